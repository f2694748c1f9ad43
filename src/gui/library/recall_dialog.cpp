#include "gui/library/recall_dialog.hpp"
#include "gui/form_rows.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/circ_doc.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "gui/library/recall_browse_dialog.hpp"
#include "gui/qt_text.hpp"
#include "store/library/header_texts.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kSection = "Circuit Add";
constexpr const char* kLibraryFilter = "Library Files (*.LIB *.lib);;All Files (*)";
constexpr const char* kXRefFilter = "Cross-Reference Files (*.XRF *.xrf);;All Files (*)";

// A file name field with its Browse... button.
QLineEdit* fileField(QFormLayout* form, const QString& label, const char* filter, GuiContext& context,
                     QWidget* parent) {
  auto* row = new QHBoxLayout;
  auto* edit = new QLineEdit(parent);
  auto* browse = new QPushButton(QObject::tr("Browse..."), parent);
  row->addWidget(edit, 1);
  row->addWidget(browse);
  addEntryRow(form, label, edit, row);
  const std::string caption = QString(label).remove('&').toStdString();
  QObject::connect(browse, &QPushButton::clicked, parent, [edit, filter, &context, caption] {
    if (!context.chooseFile) return;
    const std::string chosen = context.chooseFile(false, caption, filter);
    if (!chosen.empty()) edit->setText(qmixed(chosen));
  });
  return edit;
}

}  // namespace

RecallDialog::RecallDialog(bool hybrid, GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context), hybrid_(hybrid) {
  setWindowTitle(tr("Library Recall by PN"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  number_ = new QLineEdit(this);
  number_->setMaxLength(static_cast<int>(library::kNumberLength));
  form->addRow(tr("&PN"), number_);
  libFile_ = fileField(form, tr("&Library FileSpec"), kLibraryFilter, context_, this);
  layout->addLayout(form);
  searchXRef_ = new QCheckBox(tr("&Search Cross-Reference"), this);
  layout->addWidget(searchXRef_);
  auto* xrefBox = new QGroupBox(tr("Cross-Reference Settings"), this);
  auto* xrefForm = new QFormLayout(xrefBox);
  xrefFile_ = fileField(xrefForm, tr("&XRef FileSpec"), kXRefFilter, context_, xrefBox);
  xrefMove_ = new QComboBox(xrefBox);
  xrefMove_->addItems({"None", "XRefPN-->PN,PN-->PN2", "XRefPN-->PN2"});
  xrefForm->addRow(tr("XRef &Move"), xrefMove_);
  layout->addWidget(xrefBox);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(searchXRef_, &QCheckBox::toggled, this, [this](bool) { showXRefState(); });

  const Settings& s = *context_.settings;
  RecallJob stored;
  stored.number = s.text(kSection, hybrid_ ? "HybPN" : "CircPN");
  stored.settings.libFile = s.text(kSection, "LibFileSpec");
  stored.settings.searchXRef = s.on(kSection, "SearchXRef");
  stored.settings.xrefFile = s.text(kSection, "XRefFileSpec");
  stored.settings.xrefMove = static_cast<int>(s.whole(kSection, "XRefMove"));
  setJob(stored);
}

void RecallDialog::setJob(const RecallJob& job) {
  number_->setText(qtext(library::cut(job.number, library::kNumberLength)));
  libFile_->setText(qmixed(job.settings.libFile));
  searchXRef_->setChecked(job.settings.searchXRef);
  xrefFile_->setText(qmixed(job.settings.xrefFile));
  // Any value other than the two moves reads as "None".
  const int move = job.settings.xrefMove;
  xrefMove_->setCurrentIndex(move == library::kXRefToPnLibToPn2 || move == library::kXRefToPn2 ? move : 0);
  showXRefState();
}

void RecallDialog::showXRefState() {
  xrefFile_->parentWidget()->setEnabled(searchXRef_->isChecked());
}

void RecallDialog::accept() {
  job_.number = library::cut(stext(number_->text()), library::kNumberLength);
  job_.settings.libFile = libFile_->text().trimmed().toStdString();
  job_.settings.searchXRef = searchXRef_->isChecked();
  job_.settings.xrefFile = xrefFile_->text().trimmed().toStdString();
  job_.settings.xrefMove = xrefMove_->currentIndex();
  Settings& s = *context_.settings;
  s.setText(kSection, hybrid_ ? "HybPN" : "CircPN", job_.number);
  s.setText(kSection, "LibFileSpec", job_.settings.libFile);
  s.setOn(kSection, "SearchXRef", job_.settings.searchXRef);
  s.setText(kSection, "XRefFileSpec", job_.settings.xrefFile);
  s.setWhole(kSection, "XRefMove", job_.settings.xrefMove);
  QDialog::accept();
}

namespace {

// The number through the cross-reference file, which is open only for the
// look-up.
library::Recalled recallWithXRef(library::PartLibrary& lib, const RecallJob& job, bool hybrid, Ui& ui,
                                 std::unique_ptr<CPart>& part) {
  library::Recalled r = library::recallByNumber(lib, job.number, hybrid, false, ui, part);
  if (r != library::Recalled::NotFound || !job.settings.searchXRef) return r;
  library::StoreMessage error;
  auto xref = library::XRefFile::open(job.settings.xrefFile, false, error);
  if (!xref) {
    ui.message("Can not open cross-reference file\n" + error.text());
    return library::Recalled::Failed;
  }
  r = library::recallThroughXRef(lib, xref.get(), job.number, hybrid, job.settings.xrefMove, ui, part);
  if (!xref->close()) ui.message("Can not close cross-reference file\n" + xref->error().text());
  return r;
}

}  // namespace

std::unique_ptr<CPart> recallForAdd(const CCircDoc& doc, GuiContext& context, QWidget* parent) {
  RecallDialog dialog(doc.isHybrid(), context, parent);
  if (context.runDialog(dialog) != QDialog::Accepted) return nullptr;
  const RecallJob& job = dialog.job();
  Ui& ui = *context.ui;
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(job.settings.libFile, false, error);
  if (!lib) {
    ui.message("Can not open recall library file\n" + error.text());
    return nullptr;
  }
  std::unique_ptr<CPart> part;
  const library::Recalled r = recallWithXRef(*lib, job, doc.isHybrid(), ui, part);
  if (r == library::Recalled::NotFound) {
    RecallBrowseDialog browse(*lib, doc.isHybrid(), context, parent);
    if (context.runDialog(browse) == QDialog::Accepted) part = browse.takePart();
  } else if (r != library::Recalled::Found) {
    part.reset();
  }
  if (!lib->close()) ui.message("Can not close recall library file\n" + lib->error().text());
  return part;
}

}  // namespace kestrel::gui
