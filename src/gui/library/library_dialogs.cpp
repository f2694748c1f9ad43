#include "gui/library/library_dialogs.hpp"
#include "gui/dialogs.hpp"
#include "gui/qt_text.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kAddSection = "Library Add";
constexpr const char* kFindSection = "Library Find";
constexpr const char* kXRefFindSection = "XRef Find";

void okCancel(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
}

QComboBox* typeBox(const std::vector<std::string>& menu, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::size_t i = 1; i < menu.size(); ++i) box->addItem(qtext(menu[i]));
  return box;
}

// A stored 1-based menu index applied to a box (ignored when out of range).
void restoreType(QComboBox* box, long stored) {
  if (stored >= 1 && stored <= box->count()) box->setCurrentIndex(static_cast<int>(stored) - 1);
}

void selectIndex(QComboBox* box, std::size_t menuIndex) {
  if (menuIndex >= 1 && static_cast<int>(menuIndex) <= box->count()) box->setCurrentIndex(static_cast<int>(menuIndex) - 1);
}

}  // namespace

// ---- Add ----

LibraryAddDialog::LibraryAddDialog(const std::vector<std::string>& circuitMenu,
                                   const std::vector<std::string>& hybridMenu, Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(tr("Add"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  modes_[kCircuitType] = new QRadioButton(tr("Select &Part Type"), this);
  modes_[kHybridType] = new QRadioButton(tr("Select &Hybrid Part Type"), this);
  modes_[kKeepLast] = new QRadioButton(tr("&Keep Last Record"), this);
  circuitTypes_ = typeBox(circuitMenu, this);
  hybridTypes_ = typeBox(hybridMenu, this);
  form->addRow(modes_[kCircuitType], circuitTypes_);
  form->addRow(modes_[kHybridType], hybridTypes_);
  form->addRow(modes_[kKeepLast]);
  defaultsBox_ = new QCheckBox(tr("Fill In &Default Parameters for Selected Part Type"), this);
  form->addRow(defaultsBox_);
  layout->addLayout(form);
  okCancel(this, layout);
  const long mode = settings_.whole(kAddSection, "Mode");
  modes_[mode >= 0 && mode <= 2 ? mode : 0]->setChecked(true);
  // The classes used last; the resistor the first time.
  const long circuitType = settings_.whole(kAddSection, "CircType");
  const long hybridType = settings_.whole(kAddSection, "HybType");
  restoreType(circuitTypes_, circuitType >= 1 ? circuitType : static_cast<long>(firstAddType(false)));
  restoreType(hybridTypes_, hybridType >= 1 ? hybridType : static_cast<long>(firstAddType(true)));
  defaultsBox_->setChecked(settings_.on(kAddSection, "Defaults"));
}

void LibraryAddDialog::choose(Mode mode, std::size_t menuIndex, bool defaults) {
  modes_[mode]->setChecked(true);
  selectIndex(mode == kHybridType ? hybridTypes_ : circuitTypes_, menuIndex);
  defaultsBox_->setChecked(defaults);
}

void LibraryAddDialog::accept() {
  mode_ = modes_[kHybridType]->isChecked() ? kHybridType : modes_[kKeepLast]->isChecked() ? kKeepLast : kCircuitType;
  index_ = static_cast<std::size_t>((mode_ == kHybridType ? hybridTypes_ : circuitTypes_)->currentIndex() + 1);
  defaults_ = defaultsBox_->isChecked();
  settings_.setWhole(kAddSection, "Mode", mode_);
  settings_.setWhole(kAddSection, "CircType", circuitTypes_->currentIndex() + 1);
  settings_.setWhole(kAddSection, "HybType", hybridTypes_->currentIndex() + 1);
  settings_.setOn(kAddSection, "Defaults", defaults_);
  QDialog::accept();
}

// ---- Find ----

LibraryFindDialog::LibraryFindDialog(const std::vector<std::string>& circuitMenu,
                                     const std::vector<std::string>& hybridMenu, Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(tr("Find"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  modes_[0] = new QRadioButton(tr("Part &Number"), this);
  modes_[1] = new QRadioButton(tr("PN&2"), this);
  modes_[2] = new QRadioButton(tr("Part &Type"), this);
  modes_[3] = new QRadioButton(tr("&Hybrid Part Type"), this);
  text_ = new QLineEdit(this);
  circuitTypes_ = typeBox(circuitMenu, this);
  hybridTypes_ = typeBox(hybridMenu, this);
  form->addRow(modes_[0]);
  form->addRow(modes_[1]);
  form->addRow(tr("Te&xt"), text_);
  form->addRow(modes_[2], circuitTypes_);
  form->addRow(modes_[3], hybridTypes_);
  layout->addLayout(form);
  auto* from = new QGroupBox(tr("Find From"), this);
  auto* fromLayout = new QVBoxLayout(from);
  fromTop_ = new QRadioButton(tr("T&op"), from);
  fromCurrent_ = new QRadioButton(tr("&Current"), from);
  fromLayout->addWidget(fromTop_);
  fromLayout->addWidget(fromCurrent_);
  layout->addWidget(from);
  okCancel(this, layout);
  const long mode = settings_.whole(kFindSection, "Mode");
  modes_[mode >= 0 && mode <= 3 ? mode : 0]->setChecked(true);
  (settings_.whole(kFindSection, "From") == 1 ? fromCurrent_ : fromTop_)->setChecked(true);
  text_->setText(qtext(settings_.text(kFindSection, "Text")));
  restoreType(circuitTypes_, settings_.whole(kFindSection, "CircType"));
  restoreType(hybridTypes_, settings_.whole(kFindSection, "HybType"));
}

void LibraryFindDialog::setJob(const LibraryFindJob& job) {
  modes_[job.mode]->setChecked(true);
  (job.fromCurrent ? fromCurrent_ : fromTop_)->setChecked(true);
  text_->setText(qtext(job.text));
  selectIndex(job.mode == LibraryFindJob::kHybridPartType ? hybridTypes_ : circuitTypes_, job.menuIndex);
}

void LibraryFindDialog::accept() {
  job_.mode = LibraryFindJob::kPartNumber;
  for (int i = 0; i < 4; ++i) {
    if (modes_[i]->isChecked()) job_.mode = static_cast<LibraryFindJob::Mode>(i);
  }
  job_.fromCurrent = fromCurrent_->isChecked();
  job_.text = stext(text_->text());
  job_.menuIndex = static_cast<std::size_t>(
      (job_.mode == LibraryFindJob::kHybridPartType ? hybridTypes_ : circuitTypes_)->currentIndex() + 1);
  settings_.setWhole(kFindSection, "Mode", job_.mode);
  settings_.setWhole(kFindSection, "From", job_.fromCurrent ? 1 : 0);
  settings_.setText(kFindSection, "Text", job_.text);
  settings_.setWhole(kFindSection, "CircType", circuitTypes_->currentIndex() + 1);
  settings_.setWhole(kFindSection, "HybType", hybridTypes_->currentIndex() + 1);
  QDialog::accept();
}

// ---- XRef Find ----

XRefFindDialog::XRefFindDialog(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle(tr("XRef Find"));
  auto* layout = new QVBoxLayout(this);
  auto* mode = new QGroupBox(tr("Find Mode"), this);
  auto* modeLayout = new QVBoxLayout(mode);
  byXRef_ = new QRadioButton(tr("Cross-&Reference PN"), mode);
  byLibrary_ = new QRadioButton(tr("&Library PN"), mode);
  modeLayout->addWidget(byXRef_);
  modeLayout->addWidget(byLibrary_);
  layout->addWidget(mode);
  auto* form = new QFormLayout;
  text_ = new QLineEdit(this);
  text_->setMaxLength(25);
  form->addRow(tr("Te&xt"), text_);
  layout->addLayout(form);
  okCancel(this, layout);
  (settings_.whole(kXRefFindSection, "Mode") == 1 ? byLibrary_ : byXRef_)->setChecked(true);
  text_->setText(qtext(settings_.text(kXRefFindSection, "Text")));
}

void XRefFindDialog::setJob(const XRefFindJob& job) {
  (job.byLibraryPn ? byLibrary_ : byXRef_)->setChecked(true);
  text_->setText(qtext(job.text));
}

void XRefFindDialog::accept() {
  job_.byLibraryPn = byLibrary_->isChecked();
  job_.text = stext(text_->text()).substr(0, 25);
  settings_.setWhole(kXRefFindSection, "Mode", job_.byLibraryPn ? 1 : 0);
  settings_.setText(kXRefFindSection, "Text", job_.text);
  QDialog::accept();
}

// ---- sheet pages ----

void visitXRef(library::CXRef& xref, FieldVisitor& f) {
  static const FieldSpec kPn{"XREF_PN", "Cross-Reference PN", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
  static const FieldSpec kLibPn{"XREF_LIBPN", "Library PN", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
  static const FieldSpec kNotesTitle{"XREF_NOTESTITLE", "Notes title", FieldKind::Text, 0, 0, 60};
  static const FieldSpec kNotes{"XREF_NOTES", "Notes", FieldKind::Text, 0, 0, 512};
  f.text(kPn, xref.pn, true);
  f.text(kLibPn, xref.libPn, true);
  f.text(kNotesTitle, xref.notesTitle, true);
  f.text(kNotes, xref.notes, true);
}

void visitHeaderTexts(library::HeaderTexts& texts, FieldVisitor& f) {
  // The header records' read limits less their terminators.
  static const FieldSpec kDescr{"", "Description", FieldKind::Text, 0, 0, 132};
  static const FieldSpec kNotesTitle{"", "Notes title", FieldKind::Text, 0, 0, 79};
  static const FieldSpec kNotes{"", "Notes", FieldKind::Text, 0, 0, 543};
  f.text(kDescr, texts.description, true);
  f.text(kNotesTitle, texts.notesTitle, true);
  f.text(kNotes, texts.notes, true);
}

}  // namespace kestrel::gui
