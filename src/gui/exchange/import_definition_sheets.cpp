#include "gui/exchange/import_definition_sheets.hpp"
#include "gui/form_rows.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "exchange/table_reader.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

constexpr int kFindTextLength = 25;
constexpr int kLargestRecordNumber = 9999999;

template <std::size_t N>
QComboBox* namesCombo(QWidget* parent, const std::string_view (&names)[N]) {
  auto* combo = new QComboBox(parent);
  for (std::size_t i = 1; i < N; ++i) combo->addItem(QString::fromLatin1(names[i].data(), int(names[i].size())));
  return combo;
}

// Stored choice numbers are 1-based; a damaged one shows the first choice.
void showChoice(QComboBox* combo, std::uint8_t value) {
  combo->setCurrentIndex(value >= 1 && value <= combo->count() ? value - 1 : 0);
}
std::uint8_t chosen(const QComboBox* combo) { return static_cast<std::uint8_t>(combo->currentIndex() + 1); }

QSpinBox* wholeBox(QWidget* parent, int low, int high) {
  auto* box = new QSpinBox(parent);
  box->setRange(low, high);
  return box;
}

int whole(float value) { return static_cast<int>(std::lround(value)); }

QVBoxLayout* withButtons(QDialog* dialog, QFormLayout* form) {
  auto* layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
  return layout;
}

const char* const kSeparators[] = {",", ";", "TAB"};

}  // namespace

// ---- header ----

DefinitionHeaderSheet::DefinitionHeaderSheet(const CImportHeader& header, QWidget* parent)
    : QDialog(parent), header_(header) {
  setWindowTitle(tr("Import Definition Header"));
  auto* form = new QFormLayout;
  type_ = namesCombo(this, kOutputTypeNames);
  mode_ = namesCombo(this, kOutputModeNames);
  recordMode_ = namesCombo(this, kRecordModeNames);
  format_ = namesCombo(this, kInputFormatNames);
  skipFirst_ = wholeBox(this, 0, kLargestRecordNumber);
  skipLast_ = wholeBox(this, 0, kLargestRecordNumber);
  headerRecord_ = wholeBox(this, 0, kLargestRecordNumber);
  description_ = new QLineEdit(this);
  translate_ = new QLineEdit(this);
  table_ = new QLineEdit(this);
  separator_ = new QComboBox(this);
  for (const char* s : kSeparators) separator_->addItem(QString::fromLatin1(s));
  form->addRow(tr("&Description"), description_);
  form->addRow(tr("Output File &Type"), type_);
  form->addRow(tr("Output File &Mode"), mode_);
  form->addRow(tr("Output &Record Mode"), recordMode_);
  form->addRow(tr("Input File &Format"), format_);
  auto* skip = new QHBoxLayout;
  skip->addWidget(skipFirst_);
  skip->addWidget(new QLabel(tr("to"), this));
  skip->addWidget(skipLast_);
  addEntryRow(form, tr("&Skip Records (0 = none)"), skipFirst_, skip);
  form->addRow(tr("&Header Record (0 = none)"), headerRecord_);
  form->addRow(tr("Ta&ble or Worksheet"), table_);
  form->addRow(tr("CSV Se&parator"), separator_);
  form->addRow(tr("Translate &Code"), translate_);
  withButtons(this, form);
  setHeader(header);
}

void DefinitionHeaderSheet::setHeader(const CImportHeader& h) {
  header_ = h;
  showChoice(type_, h.fileType);
  showChoice(mode_, h.fileMode);
  showChoice(recordMode_, h.recordMode);
  showChoice(format_, h.inputFormat);
  skipFirst_->setValue(whole(h.skipFirst));
  skipLast_->setValue(whole(h.skipLast));
  headerRecord_->setValue(whole(h.headerRecord));
  description_->setText(qtext(h.description));
  translate_->setText(QString::fromStdString(h.translateCode));
  table_->setText(QString::fromStdString(h.tableName));
  const int separator = separator_->findText(QString::fromStdString(h.separator));
  separator_->setCurrentIndex(separator >= 0 ? separator : 0);
}

void DefinitionHeaderSheet::accept() {
  header_.fileType = chosen(type_);
  header_.fileMode = chosen(mode_);
  header_.recordMode = chosen(recordMode_);
  header_.inputFormat = chosen(format_);
  header_.skipFirst = static_cast<float>(skipFirst_->value());
  // A range ends no earlier than it begins.
  header_.skipLast = static_cast<float>(std::max(skipFirst_->value(), skipLast_->value()));
  header_.headerRecord = static_cast<float>(headerRecord_->value());
  header_.description = stext(description_->text());
  header_.translateCode = translate_->text().trimmed().toStdString();
  header_.tableName = table_->text().trimmed().toStdString();
  // The comma is the default: a definition that never chose one keeps "".
  const std::string separator = separator_->currentText().toStdString();
  if (!(separator == "," && header_.separator.empty())) header_.separator = separator;
  QDialog::accept();
}

// ---- keyword ----

DefinitionKeywordSheet::DefinitionKeywordSheet(const CKwd& keyword, const std::vector<std::string>& columns,
                                               QWidget* parent)
    : QDialog(parent), keyword_(keyword) {
  setWindowTitle(tr("Import Keyword"));
  auto* form = new QFormLayout;
  form->addRow(tr("Keyword"), new QLabel(QString::fromStdString(keyword.name), this));
  field_ = wholeBox(this, 0, static_cast<int>(kMaxTableFields));
  form->addRow(tr("&Field Number (0 = none)"), field_);
  if (!columns.empty()) {
    // The input's columns by name: choosing one sets its field number.
    column_ = new QComboBox(this);
    column_->setObjectName(QStringLiteral("inputColumn"));
    column_->addItem(tr("(none)"));
    for (std::size_t i = 0; i < columns.size() && i < kMaxTableFields; ++i) {
      column_->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(QString::fromStdString(columns[i])));
    }
    form->addRow(tr("Input &Column"), column_);
    QObject::connect(column_, &QComboBox::activated, this, [this](int index) { field_->setValue(index); });
    QObject::connect(field_, &QSpinBox::valueChanged, this, [this](int field) {
      column_->setCurrentIndex(field < column_->count() ? field : -1);
    });
  }
  subfield_ = new QCheckBox(tr("&Subfield"), this);
  subStart_ = wholeBox(this, 1, 255);
  subLength_ = wholeBox(this, 1, 255);
  auto* sub = new QHBoxLayout;
  sub->addWidget(subfield_);
  sub->addWidget(new QLabel(tr("Start"), this));
  sub->addWidget(subStart_);
  sub->addWidget(new QLabel(tr("Length"), this));
  sub->addWidget(subLength_);
  form->addRow(sub);
  option_ = new QComboBox(this);
  const auto names = optionNames(keyword.name);
  option_->addItem(tr("(none)"));
  for (std::size_t i = 1; i < names.size(); ++i) option_->addItem(QString::fromLatin1(names[i].data(), int(names[i].size())));
  option_->setEnabled(names.size() > 1);
  form->addRow(tr("Value &Option"), option_);
  QObject::connect(subfield_, &QCheckBox::toggled, this, [this](bool on) {
    subStart_->setEnabled(on);
    subLength_->setEnabled(on);
  });
  withButtons(this, form);
  setMapping(keyword.fieldNumber, keyword.subStart, keyword.subLength, keyword.valueOption);
}

void DefinitionKeywordSheet::setMapping(float field, float subStart, float subLength, std::uint8_t option) {
  field_->setValue(whole(field));
  const bool sub = subStart >= 1.0f;
  subfield_->setChecked(sub);
  subStart_->setEnabled(sub);
  subLength_->setEnabled(sub);
  subStart_->setValue(sub ? whole(subStart) : 1);
  subLength_->setValue(sub ? std::max(1, whole(subLength)) : 1);
  option_->setCurrentIndex(option < option_->count() ? option : 0);
}

void DefinitionKeywordSheet::accept() {
  keyword_.fieldNumber = static_cast<float>(field_->value());
  const bool sub = subfield_->isChecked();
  keyword_.subStart = sub ? static_cast<float>(subStart_->value()) : 0.0f;
  keyword_.subLength = sub ? static_cast<float>(subLength_->value()) : 0.0f;
  keyword_.valueOption = static_cast<std::uint8_t>(option_->currentIndex());
  QDialog::accept();
}

// ---- find ----

DefinitionFindSheet::DefinitionFindSheet(const std::string& text, bool fromCurrent, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Import Find"));
  auto* form = new QFormLayout;
  edit_ = new QLineEdit(this);
  edit_->setMaxLength(kFindTextLength);
  from_ = new QComboBox(this);
  from_->addItem(tr("Find From Top"));
  from_->addItem(tr("Find From Current"));
  form->addRow(tr("Keyword &Text"), edit_);
  form->addRow(tr("&From"), from_);
  withButtons(this, form);
  setSearch(text, fromCurrent);
}

void DefinitionFindSheet::setSearch(const std::string& text, bool fromCurrent) {
  edit_->setText(QString::fromStdString(text.substr(0, kFindTextLength)));
  from_->setCurrentIndex(fromCurrent ? 1 : 0);
}

void DefinitionFindSheet::accept() {
  text_ = edit_->text().toStdString().substr(0, kFindTextLength);
  fromCurrent_ = from_->currentIndex() == 1;
  QDialog::accept();
}

}  // namespace kestrel::gui
