#include "gui/exchange/import_definition_window.hpp"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "core/strfmt.hpp"
#include "exchange/auto_definition.hpp"
#include "exchange/table_preview.hpp"
#include "gui/exchange/import_definition_sheets.hpp"
#include "gui/save_as.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kFindSection = "Import Find";

std::string fileTitle(const std::string& path) {
  return path.empty() ? std::string("Untitled Import Definition")
                      : upperCased(std::filesystem::path(path).filename().string());
}

std::string upper(std::string_view text) { return upperCased(std::string(text)); }

}  // namespace

std::unique_ptr<ImportDefinitionWindow> ImportDefinitionWindow::open(const std::string& path, GuiContext& context) {
  CImportDoc doc;
  std::vector<std::string> warnings;
  if (Status s = loadDefinition(*context.fs, path, doc, warnings); !s) {
    context.ui->message(s.message());
    return nullptr;
  }
  std::string warning;
  for (const std::string& w : warnings) {
    context.ui->message(w);
    warning += (warning.empty() ? "" : "\n") + w;
  }
  return std::unique_ptr<ImportDefinitionWindow>(new ImportDefinitionWindow(std::move(doc), path, warning, context));
}

std::unique_ptr<ImportDefinitionWindow> ImportDefinitionWindow::create(GuiContext& context) {
  return std::unique_ptr<ImportDefinitionWindow>(new ImportDefinitionWindow(CImportDoc{}, {}, {}, context));
}

ImportDefinitionWindow::ImportDefinitionWindow(CImportDoc doc, std::string path, std::string warning,
                                               GuiContext& context)
    : doc_(std::move(doc)), path_(std::move(path)), warning_(std::move(warning)), context_(context) {
  saveGuard_.remember(context_.fs, path_);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  QFont fixed(QStringLiteral("Monospace"));
  fixed.setStyleHint(QFont::TypeWriter);
  header_ = new QLabel(this);
  header_->setFont(fixed);
  header_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list_ = new QListWidget(this);
  list_->setFont(fixed);
  list_->setUniformItemSizes(true);
  layout->addWidget(header_);
  layout->addWidget(list_, 1);
  QObject::connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { editKeyword(); });
  QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int) { context_.stateChanged(); });
  refresh();
}

std::vector<std::string> ImportDefinitionWindow::headerLines() const {
  std::vector<std::string> lines = {"Description: " + doc_.header.description};
  for (const std::string& line : kestrel::headerLines(doc_)) lines.push_back(line);
  if (!warning_.empty()) lines.push_back(warning_);
  return lines;
}

std::vector<std::string> ImportDefinitionWindow::keywordLines() const {
  std::vector<std::string> lines;
  lines.reserve(doc_.keywords.size());
  for (const CKwd& k : doc_.keywords) lines.push_back(keywordLine(k));
  return lines;
}

std::optional<int> ImportDefinitionWindow::selectedRow() const {
  const int row = list_->currentRow();
  return row >= 0 && row < static_cast<int>(doc_.keywords.size()) ? std::optional<int>(row) : std::nullopt;
}

void ImportDefinitionWindow::selectRow(int row) {
  list_->setCurrentRow(row);
  if (QListWidgetItem* item = list_->item(row)) list_->scrollToItem(item);
}

void ImportDefinitionWindow::refresh() {
  const int row = list_->currentRow();
  QString text;
  for (const std::string& line : headerLines()) text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(line);
  header_->setText(text);
  list_->clear();
  for (const std::string& line : keywordLines()) list_->addItem(QString::fromStdString(line));
  if (row >= 0) list_->setCurrentRow(std::min(row, list_->count() - 1));
  setWindowTitle(QString::fromStdString(fileTitle(path_)) + (modified_ ? QStringLiteral(" *") : QString()));
}

void ImportDefinitionWindow::changed() {
  modified_ = true;
  refresh();
}

void ImportDefinitionWindow::editHeader() {
  DefinitionHeaderSheet sheet(doc_.header, this);
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  doc_.header = sheet.header();
  changed();
}

void ImportDefinitionWindow::editKeyword() {
  const std::optional<int> row = selectedRow();
  if (!row) return;
  // The input file last imported, when it is one file: its column names.
  const std::string input = context_.settings->text("Import", "DataFileSpec");
  std::error_code error;
  std::vector<std::string> columns;
  if (!input.empty() && std::filesystem::is_regular_file(input, error)) {
    // The extension tells how the file reads; the definition's format when it does not.
    columns = tableColumnNames(input, formatForPath(input).value_or(static_cast<InputFormat>(doc_.header.inputFormat)));
  }
  DefinitionKeywordSheet sheet(doc_.keywords[static_cast<std::size_t>(*row)], columns, this);
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  doc_.keywords[static_cast<std::size_t>(*row)] = sheet.keyword();
  changed();
}

void ImportDefinitionWindow::find() {
  Settings& settings = *context_.settings;
  DefinitionFindSheet sheet(settings.text(kFindSection, "Text"), settings.whole(kFindSection, "From") == 1, this);
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  settings.setText(kFindSection, "Text", sheet.text());
  settings.setWhole(kFindSection, "From", sheet.fromCurrent() ? 1 : 0);
  const std::string wanted = upper(sheet.text());
  const std::optional<int> current = selectedRow();
  const bool fromCurrent = sheet.fromCurrent() && current.has_value();
  for (std::size_t i = fromCurrent ? static_cast<std::size_t>(*current) + 1 : 0; i < doc_.keywords.size(); ++i) {
    if (upper(doc_.keywords[i].name).find(wanted) != std::string::npos) {
      selectRow(static_cast<int>(i));
      return;
    }
  }
  context_.ui->message(strprintf("Text: '%s'\nMatching record was not found (from %s).", sheet.text().c_str(),
                                 fromCurrent ? "current" : "top"));
}

bool ImportDefinitionWindow::saveTo(const std::string& path) {
  DocumentLock lock;  // over the file it read: asked first when another program wrote it since
  if (path == path_ && !saveGuard_.mayWrite(*context_.fs, *context_.ui, path, lock)) return false;
  if (Status s = saveDefinition(*context_.fs, doc_, path); !s) {
    context_.ui->message(s.message());
    return false;
  }
  saveGuard_.remember(context_.fs, path);
  path_ = path;
  modified_ = false;
  refresh();
  return true;
}

bool ImportDefinitionWindow::save() { return path_.empty() ? saveAs() : saveTo(path_); }

bool ImportDefinitionWindow::saveAs() {
  return saveAsAsking(context_, "Save Import Definition As", "Import Files (*.imp)", ".imp",
                      [this](const std::string& path) { return saveTo(path); });
}

bool ImportDefinitionWindow::mayClose() {
  if (!modified_) return true;
  return mayCloseAsking(context_, fileTitle(path_), [this] { return save(); }, [this] { modified_ = false; });
}

void ImportDefinitionWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(mayClose());
}

}  // namespace kestrel::gui
