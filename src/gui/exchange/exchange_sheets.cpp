#include "gui/exchange/exchange_sheets.hpp"
#include "gui/form_rows.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/registry.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

constexpr int kPnFilterLength = 40;

std::string fieldText(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

// A file name row with its browse button; the chooser's answer replaces the text.
QLineEdit* fileRow(QFormLayout* form, QWidget* page, GuiContext& context, const QString& label,
                   const char* caption, const char* filters) {
  auto* row = new QHBoxLayout;
  auto* edit = new QLineEdit(page);
  auto* browse = new QPushButton(QObject::tr("&Browse..."), page);
  row->addWidget(edit, 1);
  row->addWidget(browse);
  addEntryRow(form, label, edit, row);
  QObject::connect(browse, &QPushButton::clicked, page, [edit, &context, caption, filters] {
    if (!context.chooseFile) return;
    const std::string chosen = context.chooseFile(false, caption, filters);
    if (!chosen.empty()) edit->setText(QString::fromStdString(chosen));
  });
  return edit;
}

void addOkCancel(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
}

}  // namespace

// ---- Import ----

ImportSheet::ImportSheet(GuiContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setWindowTitle(tr("Import"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  readBy_ = new QComboBox(this);
  readBy_->addItem(tr("Import definition file"));
  readBy_->addItem(tr("Column headers (field keywords in the first row)"));
  readBy_->addItem(tr("Bill of materials (Reference, Value, Qty, MPN...)"));
  form->addRow(tr("&Read Input By"), readBy_);
  definition_ = fileRow(form, this, context_, tr("Import &Definition File"), "Import Definition",
                        "Import Files (*.imp)");
  // Without a definition file the import needs none of its rows.
  connect(readBy_, &QComboBox::currentIndexChanged, this,
          [this](int index) { definition_->setEnabled(index == static_cast<int>(ImportReadBy::Definition)); });
  data_ = fileRow(form, this, context_, tr("Input &Data FileSpec"), "Input Data",
                  "Data Files (*.csv *.wks *.dbf *.xls *.xlsx *.mdb *.sqlite *.db);;All Files (*)");
  outputDir_ = new QLineEdit(this);
  form->addRow(tr("&Output File Directory"), outputDir_);
  library_ = fileRow(form, this, context_, tr("&Library File"), "Library File", "Library Files (*.lib)");
  searchXRef_ = new QCheckBox(tr("&Search Cross-Reference File First"), this);
  form->addRow(searchXRef_);
  xref_ = fileRow(form, this, context_, tr("&Cross-Reference File"), "Cross-Reference File",
                  "Cross-Ref Files (*.xrf)");
  xrefMove_ = new QComboBox(this);
  xrefMove_->addItem(QStringLiteral("XRefPN-->PN2"));
  xrefMove_->addItem(QStringLiteral("XRefPN-->PN,PN-->PN2"));
  form->addRow(tr("Cross-Reference &Move Option"), xrefMove_);
  overrideTranslate_ = new QCheckBox(tr("Use &Translate Code"), this);
  translate_ = new QLineEdit(this);
  form->addRow(overrideTranslate_, translate_);
  addOkCancel(this, layout);
  setOptions(loadImportOptions(*context_.settings));
}

void ImportSheet::setOptions(const ImportSheetOptions& o) {
  readBy_->setCurrentIndex(static_cast<int>(o.readBy));
  definition_->setEnabled(o.readBy == ImportReadBy::Definition);
  definition_->setText(QString::fromStdString(o.definitionPath));
  data_->setText(QString::fromStdString(o.dataSpec));
  outputDir_->setText(QString::fromStdString(o.outputDir));
  library_->setText(QString::fromStdString(o.libraryPath));
  searchXRef_->setChecked(o.searchXRef);
  xref_->setText(QString::fromStdString(o.xrefPath));
  xrefMove_->setCurrentIndex(o.xrefMoveBoth ? 1 : 0);
  overrideTranslate_->setChecked(o.overrideTranslate);
  translate_->setText(QString::fromStdString(o.translateCode));
}

void ImportSheet::accept() {
  options_.readBy = static_cast<ImportReadBy>(readBy_->currentIndex());
  options_.definitionPath = fieldText(definition_);
  options_.dataSpec = fieldText(data_);
  options_.outputDir = fieldText(outputDir_);
  options_.libraryPath = fieldText(library_);
  options_.searchXRef = searchXRef_->isChecked();
  options_.xrefPath = fieldText(xref_);
  options_.xrefMoveBoth = xrefMove_->currentIndex() == 1;
  options_.overrideTranslate = overrideTranslate_->isChecked();
  options_.translateCode = fieldText(translate_);
  storeImportOptions(*context_.settings, options_);
  QDialog::accept();
}

// ---- Export ----

ExportSheet::ExportSheet(GuiContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setWindowTitle(tr("Export"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  input_ = fileRow(form, this, context_, tr("&Input FileSpec"), "Export",
                   "Kestrel Files (*.cir *.hyb *.lib *.xrf *.imp)");
  outputDir_ = new QLineEdit(this);
  form->addRow(tr("&Output File Directory"), outputDir_);
  format_ = new QComboBox(this);
  const char* labels[] = {"", "CSV (comma-separated text)", "WKS (Lotus worksheet)", "DBF (dBASE table)",
                          "XLS (workbook .xlsx)", "MDB (database table .sqlite)"};
  for (int f = 1; f <= 5; ++f) format_->addItem(QString::fromLatin1(labels[f]), f);
  form->addRow(tr("Output File &Format"), format_);
  layout_ = new QComboBox(this);
  layout_->addItem(tr("Records (the report's columns)"), static_cast<int>(ExportLayout::Records));
  layout_->addItem(tr("Keywords (imports back by column headers)"), static_cast<int>(ExportLayout::Keywords));
  form->addRow(tr("Output &Layout"), layout_);
  typeOn_ = new QCheckBox(tr("Part &Type Filter"), this);
  types_ = new QComboBox(this);
  for (const PartType& t : allPartTypes()) types_->addItem(qtext(std::string(t.menuName)), static_cast<int>(t.id));
  form->addRow(typeOn_, types_);
  pn_ = new QLineEdit(this);
  pn_->setMaxLength(kPnFilterLength);
  form->addRow(tr("&PN Filter"), pn_);
  addOkCancel(this, layout);
  setOptions(loadExportOptions(*context_.settings));
}

void ExportSheet::setOptions(const ExportSheetOptions& o) {
  input_->setText(QString::fromStdString(o.inputSpec));
  outputDir_->setText(QString::fromStdString(o.outputDir));
  format_->setCurrentIndex(format_->findData(static_cast<int>(o.format)));
  layout_->setCurrentIndex(layout_->findData(static_cast<int>(o.layout)));
  typeOn_->setChecked(o.typeOn);
  if (const int at = types_->findData(static_cast<int>(o.partType)); at >= 0) types_->setCurrentIndex(at);
  pn_->setText(qtext(o.pnFilter));
}

void ExportSheet::accept() {
  options_.inputSpec = fieldText(input_);
  options_.outputDir = fieldText(outputDir_);
  options_.format = static_cast<OutputFormat>(format_->currentData().toInt());
  options_.layout = static_cast<ExportLayout>(layout_->currentData().toInt());
  options_.typeOn = typeOn_->isChecked();
  options_.partType = static_cast<std::uint16_t>(types_->currentData().toInt());
  options_.pnFilter = stext(pn_->text()).substr(0, kPnFilterLength);
  storeExportOptions(*context_.settings, options_);
  QDialog::accept();
}

}  // namespace kestrel::gui
