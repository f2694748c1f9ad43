#include "gui/library/library_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <filesystem>

#include "core/circ_header.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "gui/circuit_window.hpp"
#include "gui/convert_dialog.hpp"
#include "gui/library/merge_files.hpp"
#include "gui/part_detail_window.hpp"
#include "store/library/library_convert.hpp"
#include "store/library/library_location.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/logged_run.hpp"
#include "gui/library/transfer_sheets.hpp"
#include "gui/property_sheet.hpp"
#include "gui/qt_text.hpp"
#include "shell/document_kinds.hpp"

namespace kestrel::gui {
namespace {

using library::Outcome;

// Library parts carry the results of a calculation against the default header.
void calculateForLibrary(CPart& part) {
  CCircHeader header;
  part.Calculate(header);
}

}  // namespace

std::unique_ptr<LibraryWindow> LibraryWindow::open(const std::string& path, GuiContext& context) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::open(path, true, error);
  if (!lib) {
    context.ui->message("Can not open library file\n" + error.text());
    return nullptr;
  }
  if (!lib->notice().empty()) context.ui->message(lib->notice().text());
  return std::unique_ptr<LibraryWindow>(new LibraryWindow(std::move(lib), context));
}

std::unique_ptr<LibraryWindow> LibraryWindow::create(const std::string& path, GuiContext& context) {
  library::StoreMessage error;
  auto lib = library::PartLibrary::create(path, error);
  if (!lib) {
    context.ui->message("Can not create library file\n" + error.text());
    return nullptr;
  }
  return std::unique_ptr<LibraryWindow>(new LibraryWindow(std::move(lib), context));
}

LibraryWindow::LibraryWindow(std::unique_ptr<library::PartLibrary> lib, GuiContext& context)
    : lib_(std::move(lib)), context_(context), pager_(*lib_) {
  setWindowTitle(QString::fromStdString(libraryTitle(lib_->path())));
  auto* layout = new QVBoxLayout(this);
  model_ = new PagedListModel(
      [this] {
        const long n = lib_->count();
        pager_.setCount(n);
        return n;
      },
      [this](long position, std::size_t count, std::vector<ListRow>& rows) {
        std::vector<library::LibEntry> entries;
        // A damaged index: the rows that can be read, and the damage said once.
        const bool failed = pager_.readablePage(position, count, entries) == Outcome::Failed;
        const long unreadable = pager_.damage().unreadable();
        if ((failed || unreadable > 0) && !damageShown_) {
          damageShown_ = true;
          ui().message("Library file error\n" +
                       (failed ? lib_->error().text()
                               : strprintf("'%s': %ld record(s) can not be read.", lib_->path().c_str(), unreadable)));
          if (entries.empty()) return false;
        }
        for (const auto& e : entries) rows.push_back({e.record, library::libraryListLine(e, style_), e.pn});
        return true;
      },
      this);
  records_ = std::make_unique<RecordList>(this, layout, 3, model_);
  detail_ = new QPlainTextEdit(this);
  detail_->setReadOnly(true);
  detail_->setFont(listFont());
  detail_->setLineWrapMode(QPlainTextEdit::NoWrap);
  detail_->setMaximumHeight(110);
  layout->addWidget(detail_);
  connect(list()->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { showSelection(); });
  connect(list(), &QListView::doubleClicked, this, [this](const QModelIndex&) { editSelected(); });
  refresh(model_->count() > 0 ? std::optional<int>(0) : std::nullopt);
}

LibraryWindow::~LibraryWindow() {
  if (lib_ && !lib_->close()) ui().message("Can not close library file\n" + lib_->error().text());
}

std::vector<std::string> LibraryWindow::headerLines() const { return records_->headerLines(); }

std::optional<int> LibraryWindow::selectedRow() const { return records_->selectedRow(); }

std::optional<std::int32_t> LibraryWindow::selectedRecord() const {
  const auto row = selectedRow();
  if (!row) return std::nullopt;
  const std::int32_t record = model_->recordAt(*row);
  return record > 0 ? std::optional<std::int32_t>(record) : std::nullopt;
}

void LibraryWindow::selectRow(int row) {
  if (records_->selectRow(row)) showSelection();
}

void LibraryWindow::setListStyle(int style) {
  style_ = style;
  refresh(selectedRow());
}

std::string LibraryWindow::detailText() const { return detail_->toPlainText().toStdString(); }

void LibraryWindow::refresh(std::optional<int> keepRow) {
  model_->reload();
  records_->setHeaderLines(library::libraryHeaderLines(*lib_));
  if (keepRow && model_->rowCount() > 0) {
    selectRow(std::min(*keepRow, model_->rowCount() - 1));
  } else {
    showSelection();
  }
}

void LibraryWindow::showSelection() {
  const auto record = selectedRecord();
  library::LibEntry entry;
  std::unique_ptr<CPart> part;
  if (!record || lib_->read(*record, entry) != Outcome::Ok || !lib_->partOf(entry, part)) {
    detail_->clear();
    context_.stateChanged();
    return;
  }
  std::string a, b;
  part->FormatDetail(a, b, "    ");
  std::string text = identityLine(*part, "") + "\n" + descriptionLine(*part, "");
  for (const std::string& line : {a, b}) {
    if (!line.empty()) text += "\n" + line;
  }
  std::string shown;
  for (char c : text) {
    if (c != '\r') shown += c;
  }
  detail_->setPlainText(qtext(shown));
  context_.stateChanged();
}

WindowState LibraryWindow::frameState() const { return {kLibraryWindow, selectedRecord().has_value()}; }

void LibraryWindow::selectRecord(std::int32_t record) {
  long position = -1;
  if (lib_->listPosition(record, position) != Outcome::Ok) {
    refresh(std::nullopt);
    return;
  }
  refresh(static_cast<int>(position));
}

bool LibraryWindow::fileReadable() {
  if (lib_->count() >= 0) return true;
  report("Library file error");
  return false;
}

void LibraryWindow::report(const std::string& command) { ui().message(command + "\n" + lib_->error().text()); }

bool LibraryWindow::menus() { return !menus_.circuit.empty() || buildPartTypeMenus(menus_, ui()); }

bool LibraryWindow::editInSheet(CPart& part, const std::string& title, bool filled) {
  PropertySheet sheet(title, ui(), this);
  addPartPages(sheet, part, part.IS_HYBRID != 0 ? hybridKind_ : circuitKind_, filled);
  return context_.runDialog(sheet) == QDialog::Accepted;
}

// ---- commands ----

void LibraryWindow::addParts() {
  if (!fileReadable() || !menus()) return;
  for (;;) {
    LibraryAddDialog dialog(menus_.circuit, menus_.hybrid, *context_.settings, this);
    if (context_.runDialog(dialog) != QDialog::Accepted) return;
    std::unique_ptr<CPart> part;
    if (dialog.mode() == LibraryAddDialog::kKeepLast) {
      if (!lastAdded_) {
        ui().message("Keep record error");
        continue;
      }
      part = lastAdded_->clone();
    } else {
      part = PartRegistry::instance().createFromMenu(dialog.menuIndex(), dialog.mode() == LibraryAddDialog::kHybridType);
    }
    if (!part) {
      ui().message("ADD: can not create part type.");
      return;
    }
    const bool filled = dialog.defaults() || dialog.mode() == LibraryAddDialog::kKeepLast;
    for (;;) {
      if (!editInSheet(*part, part->GetTypeName(), filled)) break;
      calculateForLibrary(*part);
      std::int32_t record = -1;
      const Outcome o = lib_->add(*part, &record);
      if (o == Outcome::Ok) {
        lastAdded_ = part->clone();
        selectRecord(record);
        break;
      }
      report("Can not add record");
      if (o != Outcome::Duplicate) break;
      // A duplicate part number: the sheet opens again for another number.
    }
  }
}

void LibraryWindow::editSelected() {
  const auto record = selectedRecord();
  if (!record) {
    ui().message("EDIT: no part selection.");
    return;
  }
  if (!fileReadable()) return;
  bool sheetShown = false;
  std::string pn;
  // The record stays locked while its sheet is open.
  const Outcome o = lib_->edit(*record, [&](CPart& part) {
    sheetShown = true;
    if (!editInSheet(part, part.GetTypeName(), true)) return false;
    calculateForLibrary(part);
    pn = part.PN;
    return true;
  });
  if (o != Outcome::Ok) {
    report(sheetShown ? "Can not update record" : "Can not edit record");
    refresh(selectedRow());
    return;
  }
  selectPartNumber(pn);
}

void LibraryWindow::selectPartNumber(const std::string& pn) {
  library::LibEntry entry;
  if (!pn.empty() && lib_->findPn(pn, entry) == Outcome::Ok) {
    selectRecord(entry.record);
  } else {
    refresh(selectedRow());
  }
}

void LibraryWindow::convertSelected() {
  const auto record = selectedRecord();
  if (!record) {
    ui().message("CONVERT: no part selection.");
    return;
  }
  if (!fileReadable() || !menus()) return;
  library::ConvertSteps steps;
  steps.chooseType = [this](const CPart& old, bool& defaults) -> std::unique_ptr<CPart> {
    const bool hybrid = old.IS_HYBRID != 0;
    ConvertTypeDialog dialog(old.GetTypeName(), hybrid ? menus_.hybrid : menus_.circuit, hybrid,
                             *context_.settings, this);
    if (context_.runDialog(dialog) != QDialog::Accepted) return nullptr;
    defaults = dialog.defaults();
    auto converted = PartRegistry::instance().createFromMenu(dialog.menuIndex(), hybrid);
    if (!converted) ui().message("CONVERT: can not create part type.");
    return converted;
  };
  std::string pn;
  steps.edit = [&](CPart& converted, bool defaults) {
    if (!editInSheet(converted, converted.GetTypeName(), defaults)) return false;
    calculateForLibrary(converted);
    pn = converted.PN;
    return true;
  };
  const library::ConvertResult result = library::convertRecord(*lib_, *record, steps);
  if (!result.failure.empty()) report(result.failure);
  selectPartNumber(result.converted ? pn : std::string());
}

void LibraryWindow::showDetail() {
  const auto record = selectedRecord();
  if (!record) {
    ui().message("DETAIL: no part selection.");
    return;
  }
  library::LibEntry entry;
  std::unique_ptr<CPart> part;
  if (lib_->read(*record, entry) != Outcome::Ok || !lib_->partOf(entry, part)) {
    report("Can not get record for detail");
    return;
  }
  // A library part belongs to no circuit: its share is not calculated.
  PartDetailWindow::showFor(this, partDetailText(*part, -1.0));
}

void LibraryWindow::merge() {
  if (!fileReadable()) return;
  mergeIntoFile(context_, lib_->path(), "Library Files (*.lib)",
                [this](const std::string& input, Ui& ui) { return library::mergeLibrary(*lib_, input, ui); },
                [this] { refresh(selectedRow()); });
}

void LibraryWindow::deleteSelected() {
  const auto record = selectedRecord();
  const auto row = selectedRow();
  if (!record || !row) {
    ui().message("DELETE: no part selection.");
    return;
  }
  if (!fileReadable()) return;
  library::LibEntry entry;
  if (lib_->read(*record, entry) != Outcome::Ok) {
    report("Can not delete record");
    return;
  }
  if (!ui().confirm(strprintf("PN: '%.25s'\nDelete Record?", entry.pn.c_str()))) return;
  if (lib_->removeRecord(*record) != Outcome::Ok) {
    report("Can not delete record");
    return;
  }
  // The selection moves to the next record, or the previous one at the end.
  refresh(*row);
}

void LibraryWindow::find() {
  if (!fileReadable() || !menus()) return;
  LibraryFindDialog dialog(menus_.circuit, menus_.hybrid, *context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  const auto current = selectedRecord();
  if (const auto found = findLibraryRecord(*lib_, dialog.job(), current ? *current : -1, menus_, ui())) {
    selectRecord(*found);
  }
}

void LibraryWindow::copySelected() {
  const auto record = selectedRecord();
  if (!record) {
    ui().message("COPY: no part selection.");
    return;
  }
  library::LibEntry entry;
  std::unique_ptr<CPart> part;
  if (lib_->read(*record, entry) != Outcome::Ok || !lib_->partOf(entry, part)) {
    report("Can not copy record");
    return;
  }
  const std::string format = partClipboardFormat(part->IS_HYBRID != 0);
  const std::vector<std::uint8_t> bytes = encodeClipboardPart(*part);
  auto* mime = new QMimeData;
  mime->setData(QString::fromStdString(format),
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  mime->setText(qtext(identityLine(*part, "")));
  QApplication::clipboard()->setMimeData(mime);
  const QMimeData* now = QApplication::clipboard()->mimeData();
  if (now == nullptr || !now->hasFormat(QString::fromStdString(format))) {
    ui().message("COPY: can not copy part to clipboard.");
  }
}

void LibraryWindow::cutSelected() {
  const auto record = selectedRecord();
  const auto row = selectedRow();
  if (!record || !row) {
    ui().message("CUT: no part selection.");
    return;
  }
  library::LibEntry entry;
  std::unique_ptr<CPart> part;
  if (lib_->read(*record, entry) != Outcome::Ok || !lib_->partOf(entry, part)) {
    report("Can not cut record");
    return;
  }
  copySelected();
  const QMimeData* now = QApplication::clipboard()->mimeData();
  if (now == nullptr || !now->hasFormat(QString::fromStdString(partClipboardFormat(part->IS_HYBRID != 0)))) {
    ui().message("CUT: can not copy part to clipboard.");
    return;
  }
  if (lib_->removeRecord(*record) != Outcome::Ok) {
    report("Can not cut record");
    return;
  }
  refresh(*row);
}

void LibraryWindow::paste() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  bool hybrid = false;
  QString format;
  for (bool h : {false, true}) {
    const QString f = QString::fromStdString(partClipboardFormat(h));
    if (mime != nullptr && mime->hasFormat(f)) {
      hybrid = h;
      format = f;
      break;
    }
  }
  if (format.isEmpty()) {
    ui().message("PASTE: no matching format.");
    return;
  }
  if (!fileReadable()) return;
  const QByteArray data = mime->data(format);
  std::unique_ptr<CPart> part;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(data.constData());
  if (Status s = decodeClipboardPart({begin, static_cast<std::size_t>(data.size())}, hybrid, part); !s) {
    ui().message("PASTE: can not get part object.");
    return;
  }
  for (;;) {
    std::int32_t record = -1;
    const Outcome o = lib_->add(*part, &record);
    if (o == Outcome::Ok) {
      selectRecord(record);
      return;
    }
    report("Can not paste record");
    // A duplicate part number: the part's sheet asks for a new number.
    if (o != Outcome::Duplicate || !editInSheet(*part, part->GetTypeName(), true)) return;
  }
}

void LibraryWindow::editHeader() {
  if (!fileReadable()) return;
  library::HeaderTexts texts;
  if (!lib_->readHeader(texts)) {
    report("Library header error");
    return;
  }
  PropertySheet sheet("Library Header", ui(), this);
  sheet.addPage("Library Header", [&texts](FieldVisitor& f) { visitHeaderTexts(texts, f); });
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  if (!lib_->writeHeader(texts)) report("Library header error");
  refresh(selectedRow());
}

void LibraryWindow::transfer() {
  if (!fileReadable()) return;
  TransferSheet sheet(lib_->path(), context_, this);
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  context_.saveSettings();
  if (!ui().confirm(joinLines(library::transferConfirmation(sheet.options(), lib_->path())))) return;
  runTransfer(sheet.options());
}

library::TransferOutcome LibraryWindow::runTransfer(const library::TransferOptions& options) {
  library::TransferOutcome out;
  {
    LoggedRun run(ui(), "TRANSFER", operationLogFile(context_));
    out = library::runTransfer(*lib_, options, *context_.fs, run, *context_.openDocuments);
    run.progressLine(5, "Updating view...");
  }
  refresh(selectedRow());
  return out;
}

void LibraryWindow::update() {
  if (!fileReadable()) return;
  UpdateSheet sheet(lib_->path(), context_, this);
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  context_.saveSettings();
  if (!ui().confirm(joinLines(library::updateConfirmation(sheet.options(), lib_->path())))) return;
  runUpdate(sheet.options());
}

library::UpdateOutcome LibraryWindow::runUpdate(const library::UpdateOptions& options) {
  library::UpdateOutcome out;
  {
    LoggedRun run(ui(), "UPDATE", operationLogFile(context_));
    out = library::runUpdate(*lib_, options, *context_.fs, run, *context_.openDocuments);
  }
  if (context_.refreshViews) context_.refreshViews();
  return out;
}

}  // namespace kestrel::gui
