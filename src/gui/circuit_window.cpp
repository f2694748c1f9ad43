#include "gui/circuit_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "core/archive.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/stale_results.hpp"
#include "core/part_archive.hpp"
#include "core/record_find.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "gui/convert_dialog.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/dialogs.hpp"
#include "gui/library/recall_dialog.hpp"
#include "gui/find_dialog.hpp"
#include "gui/item_activation.hpp"
#include "gui/part_detail_window.hpp"
#include "gui/property_sheet.hpp"
#include "gui/qt_text.hpp"
#include "gui/report_printing.hpp"
#include "gui/save_as.hpp"
#include "reports/report.hpp"
#include "shell/document_kinds.hpp"

namespace kestrel::gui {
namespace {

const DocumentKind& kindOf(const CCircDoc& doc) {
  return documentKinds()[doc.isHybrid() ? 1 : 0];
}

bool isSubFileRecord(const CPart& part) {
  return part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType;
}

std::string upperFileName(const std::string& path) {
  return upperCased(std::filesystem::path(path).filename().string());
}

}  // namespace

// ---- clipboard records ----

std::string partClipboardFormat(bool hybrid) {
  return hybrid ? hybridPartClipboardFormat() : circuitPartClipboardFormat();
}

std::vector<std::uint8_t> encodeClipboardPart(const CPart& part) {
  Archive ar = Archive::forWriting();
  ar.restartObjectNumbering();
  writePartObject(ar, part);
  return ar.bytes();
}

Status decodeClipboardPart(std::span<const std::uint8_t> bytes, bool hybridDocument,
                           std::unique_ptr<CPart>& part) {
  part.reset();
  Archive ar = Archive::forReading(bytes, "clipboard");
  ar.restartObjectNumbering();
  auto read = readPartObject(ar);
  if (!read || !ar.ok() || ar.remaining() != 0) {
    return Status::error(StatusCode::Corrupt, "PASTE: can not get part object.");
  }
  const PartType* type = findPartTypeByClass(read->classRecord().className);
  if (type == nullptr || type->id != read->PART_TYPE || read->isHybridPart() != hybridDocument ||
      (hybridDocument && !type->inHybridMenu)) {
    return Status::error(StatusCode::Corrupt, "PASTE: can not get part object.");
  }
  part = std::move(read);
  return Status::ok();
}

// ---- the window ----

CircuitWindow::CircuitWindow(std::unique_ptr<CCircDoc> doc, GuiContext& context, QWidget* parent)
    : QWidget(parent), doc_(std::move(doc)), context_(context) {
  saveGuard_.remember(context_.fs, doc_->path());
  // The frame's sub-window owns and deletes this window when it closes.
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setFont(listFont());
  // Shown only in a window opened from a parent's sub-file record.
  parentBar_ = new QWidget(this);
  auto* parentLayout = new QHBoxLayout(parentBar_);
  parentLayout->setContentsMargins(0, 0, 0, 0);
  parentLine_ = new QLabel(parentBar_);
  parentLine_->setFont(listFont());
  auto* back = new QPushButton(tr("&Back to Parent"), parentBar_);
  back->setAutoDefault(false);
  back->setToolTip(tr("Open the parent document, or bring it to the front"));
  connect(back, &QPushButton::clicked, this, [this] { backToParent(); });
  parentLayout->addWidget(parentLine_);
  parentLayout->addWidget(back);
  parentLayout->addStretch();
  parentBar_->hide();
  selectionLine_ = new QLabel(this);
  selectionLine_->setFont(listFont());

  model_ = new RecordListModel(*doc_, this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(RecordListModel::kSortRole);
  list_ = new QTreeView(this);
  list_->setFont(listFont());
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);  // rows are laid out without asking each one
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setModel(sorted_);
  // A click on a heading sorts the view; a third click gives the document's order back.
  list_->setSortingEnabled(true);
  list_->header()->setSortIndicatorClearable(true);
  list_->header()->setSortIndicator(-1, Qt::AscendingOrder);
  list_->header()->setStretchLastSection(false);
  {
    const int ch = QFontMetrics(listFont()).horizontalAdvance(QLatin1Char('0'));
    const int widths[RecordListModel::ColumnCount] = {20, 18, 5, 18, 12, 13};
    for (int c = 0; c < RecordListModel::ColumnCount; ++c) list_->setColumnWidth(c, widths[c] * ch + 8);
  }
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { showListMenu(at); });

  detail_ = new QPlainTextEdit(this);
  detail_->setReadOnly(true);
  detail_->setFont(listFont());
  detail_->setLineWrapMode(QPlainTextEdit::NoWrap);
  detail_->setMaximumHeight(130);
  auto* bottom = new QHBoxLayout;
  result_ = new QLabel(this);
  result_->setFont(listFont());
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  openSubFile_ = new QPushButton(tr("&Open Sub-File"), this);
  openSubFile_->setAutoDefault(false);
  openSubFile_->setToolTip(tr("Open the circuit or hybrid file this record stands for"));
  connect(openSubFile_, &QPushButton::clicked, this, [this] { openSubFile(); });
  bottom->addWidget(result_, 1);
  bottom->addWidget(openSubFile_);
  layout->addWidget(heading_);
  layout->addWidget(parentBar_);
  layout->addWidget(selectionLine_);
  layout->addWidget(list_, 1);
  layout->addWidget(detail_);
  layout->addLayout(bottom);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { showSelection(); });
  onRowActivated(list_, [this] { activateSelected(); });
  // Keys go to the list when the window comes to the front, and when it first shows.
  setFocusProxy(list_);
  list_->setFocus();
  refresh(doc_->count() > 0 ? std::optional<std::size_t>(0) : std::nullopt);
  resize(900, 520);
}

CircuitWindow::~CircuitWindow() = default;

std::optional<std::size_t> CircuitWindow::selection() const {
  const QModelIndex current = sorted_->mapToSource(list_->currentIndex());
  if (!current.isValid() || static_cast<std::size_t>(current.row()) >= doc_->count()) return std::nullopt;
  return static_cast<std::size_t>(current.row());
}

void CircuitWindow::select(std::size_t row) {
  if (row >= doc_->count()) return;
  const QModelIndex index = sorted_->mapFromSource(model_->index(static_cast<int>(row), 0));
  list_->setCurrentIndex(index);
  list_->scrollTo(index);
  showSelection();
}

void CircuitWindow::sortBy(int column, Qt::SortOrder order) {
  const auto keep = selection();
  list_->header()->setSortIndicator(column, order);
  if (keep) select(*keep);
}

void CircuitWindow::refresh(std::optional<std::size_t> keep) {
  notCurrent_ = staleSubFileRecords(*context_.fs, *doc_, *context_.openDocuments);
  std::vector<std::size_t> rows;
  for (const StaleRecord& r : notCurrent_) rows.push_back(r.record - 1);
  model_->setNotCurrent(std::move(rows));
  model_->reload();
  const CCircHeader& h = doc_->header();
  heading_->setText(qtext(h.headingLine1(doc_->isHybrid())));
  heading_->setToolTip(qtext("Environment: " + environmentTitle(h.ENV)));
  if (keep && doc_->count() > 0) {
    select(std::min(*keep, doc_->count() - 1));
  } else {
    showSelection();
  }
  showResult();
  updateTitle();
}

void CircuitWindow::showResult() {
  const CCircHeader& h = doc_->header();
  if ((h.CalcFlags & HeaderBasicDone) != 0) {
    const std::vector<std::string> lines = doc_->resultLines((h.CalcFlags & HeaderMissionMtbfDone) != 0);
    lastResult_.clear();
    for (std::size_t i = 1; i < lines.size(); ++i) lastResult_ += (i > 1 ? "   " : "") + lines[i];
    if (notCurrent_.empty()) {
      result_->setText(qtext(lastResult_));
      result_->setStyleSheet({});
      result_->setToolTip({});
    } else {
      showNotCurrent(qmixed(notCurrentText(notCurrent_)));
    }
  } else if (!lastResult_.empty()) {
    // The totals of the last calculation stay in sight until the next one.
    showNotCurrent(tr("The document changed since these totals were calculated; calculate again."));
  } else {
    result_->clear();
  }
}

void CircuitWindow::showNotCurrent(const QString& why) {
  result_->setText(qtext(lastResult_ + "   (not current)"));
  result_->setStyleSheet(QStringLiteral("color: gray;"));
  result_->setToolTip(why);
}

void CircuitWindow::showSelection() {
  const auto sel = selection();
  selectionLine_->setText(qtext(sel ? doc_->selectionTitle(*sel) : doc_->header().headingLine2(doc_->isHybrid())));
  std::string detail = sel ? doc_->detailText(*sel) : std::string();
  std::string shown;
  for (char c : detail) {
    if (c != '\r') shown += c;
  }
  detail_->setPlainText(qtext(shown));
  openSubFile_->setVisible(sel && isSubFileRecord(doc_->record(*sel)));
  context_.stateChanged();
}

std::string CircuitWindow::selectionText() const { return selectionLine_->text().toStdString(); }
std::string CircuitWindow::detailText() const { return detail_->toPlainText().toStdString(); }

void CircuitWindow::recheckSubFiles() {
  const std::vector<StaleRecord> now = staleSubFileRecords(*context_.fs, *doc_, *context_.openDocuments);
  auto records = [](const std::vector<StaleRecord>& list) {
    std::vector<std::size_t> numbers;
    for (const StaleRecord& r : list) numbers.push_back(r.record);
    return numbers;
  };
  if (records(now) != records(notCurrent_)) refresh(selection());
}

std::string CircuitWindow::resultText() const { return result_->text().toStdString(); }

void CircuitWindow::updateTitle() {
  setWindowTitle(qmixed(doc_->title() + (doc_->isModified() ? " *" : "")));
}

bool CircuitWindow::editInSheet(CPart& part, const std::string& title, bool filled) {
  PropertySheet sheet(title, ui(), this);
  OpenFileChooser chooseFile;
  if (context_.chooseFile) {
    chooseFile = [this](const std::string& caption, const std::string& filter) {
      return context_.chooseFile(false, caption, filter);
    };
  }
  addPartPages(sheet, part, *doc_, filled, chooseFile);
  return context_.runDialog(sheet) == QDialog::Accepted;
}

void CircuitWindow::addParts() {
  std::vector<std::string> menu;
  if (Status s = PartRegistry::instance().buildMenu(doc_->isHybrid(), menu); !s) {
    ui().message(s.message());
    return;
  }
  for (;;) {
    if (doc_->count() >= kMaxRecs) {
      ui().message("ADD: circuit list is full.");
      return;
    }
    AddPartDialog dialog(menu, doc_->isHybrid(), lastAdded_ != nullptr, *context_.settings, this);
    if (context_.runDialog(dialog) != QDialog::Accepted) return;
    if (dialog.recall()) {
      // A recalled part is complete: its sheet opens filled, as a new record.
      std::unique_ptr<CPart> recalled = recallForAdd(*doc_, context_, this);
      if (!recalled) return;
      if (!editInSheet(*recalled, recalled->GetTypeName(), true)) continue;
      lastAdded_ = recalled->clone();
      applyStep([&] { return doc_->addRecord(std::move(recalled), ui()); });
      continue;
    }
    std::unique_ptr<CPart> part =
        dialog.menuIndex() == 0 ? lastAdded_->clone()
                                : PartRegistry::instance().createFromMenu(dialog.menuIndex(), doc_->isHybrid());
    if (!part) {
      ui().message("ADD: can not create part type.");
      return;
    }
    if (!editInSheet(*part, part->GetTypeName(), dialog.defaults() || dialog.menuIndex() == 0)) continue;
    lastAdded_ = part->clone();
    applyStep([&] { return doc_->addRecord(std::move(part), ui()); });
  }
}

void CircuitWindow::editSelected() {
  const auto sel = selection();
  if (!sel) {
    ui().message("EDIT: no part selection.");
    return;
  }
  std::unique_ptr<CPart> copy = doc_->record(*sel).clone();
  if (!copy) return;
  if (!editInSheet(*copy, copy->GetTypeName(), true)) return;
  applyStep([&] { return doc_->replaceRecord(sel, std::move(copy), ui()); });
}

void CircuitWindow::convertSelected() {
  const auto sel = selection();
  if (!sel) {
    ui().message("CONVERT: no part selection.");
    return;
  }
  std::vector<std::string> menu;
  if (Status s = PartRegistry::instance().buildMenu(doc_->isHybrid(), menu); !s) {
    ui().message(s.message());
    return;
  }
  const CPart& old = doc_->record(*sel);
  ConvertTypeDialog dialog(old.GetTypeName(), menu, doc_->isHybrid(), *context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  std::unique_ptr<CPart> converted = PartRegistry::instance().createFromMenu(dialog.menuIndex(), doc_->isHybrid());
  if (!converted) {
    ui().message("CONVERT: can not create part type.");
    return;
  }
  // The new class keeps its own type id and its own parameters.
  converted->copyBaseFieldsExceptType(old);
  converted->IS_HYBRID = doc_->hybridFlag();
  if (!editInSheet(*converted, converted->GetTypeName(), dialog.defaults())) return;
  applyStep([&] { return doc_->replaceRecord(sel, std::move(converted), ui()); });
}

void CircuitWindow::showDetail() {
  const auto sel = selection();
  if (!sel) {
    ui().message("DETAIL: no part selection.");
    return;
  }
  PartDetailWindow::showFor(this, doc_->detailText(*sel));
}

void CircuitWindow::find() {
  std::vector<std::string> menu;
  if (Status s = PartRegistry::instance().buildMenu(doc_->isHybrid(), menu); !s) {
    ui().message(s.message());
    return;
  }
  FindDialog dialog(menu, doc_->isHybrid(), *context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  const RecordFindResult result = findRecord(*doc_, dialog.job(), selection());
  if (result.found) {
    select(*result.found);
  } else {
    ui().message(result.message);
  }
}

void CircuitWindow::deleteSelected() {
  const std::size_t count = doc_->count();
  UndoHistory::State state = count > 0 && selection() ? before() : UndoHistory::State{};
  const auto after = doc_->deleteRecord(selection(), ui());
  if (doc_->count() != count) {
    changed(std::move(state));
    refresh(after);
  }
}

void CircuitWindow::copySelected() {
  const auto sel = selection();
  if (!sel) {
    ui().message("COPY: no part selection.");
    return;
  }
  const std::vector<std::uint8_t> bytes = encodeClipboardPart(doc_->record(*sel));
  auto* mime = new QMimeData;
  mime->setData(QString::fromStdString(partClipboardFormat(doc_->isHybrid())),
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  mime->setText(qtext(identityLine(doc_->record(*sel), "")));
  QApplication::clipboard()->setMimeData(mime);
  if (!QApplication::clipboard()->mimeData()->hasFormat(QString::fromStdString(partClipboardFormat(doc_->isHybrid())))) {
    ui().message("COPY: can not copy part to clipboard.");
  }
}

void CircuitWindow::cutSelected() {
  const auto sel = selection();
  if (!sel) {
    ui().message("CUT: no part selection.");
    return;
  }
  copySelected();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (mime == nullptr || !mime->hasFormat(QString::fromStdString(partClipboardFormat(doc_->isHybrid())))) {
    ui().message("CUT: can not copy part to clipboard.");
    return;
  }
  // Cut removes the record without the Delete question.
  changed(before());
  doc_->take(*sel);
  doc_->header().CalcFlags = 0;
  doc_->setModified(true);
  refresh(sel);
}

void CircuitWindow::paste() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  const QString format = QString::fromStdString(partClipboardFormat(doc_->isHybrid()));
  if (mime == nullptr || !mime->hasFormat(format)) {
    ui().message("PASTE: no matching format.");
    return;
  }
  if (doc_->count() >= kMaxRecs) {
    ui().message("PASTE: circuit list is full.");
    return;
  }
  const QByteArray data = mime->data(format);
  std::unique_ptr<CPart> part;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(data.constData());
  if (Status s = decodeClipboardPart({begin, static_cast<std::size_t>(data.size())}, doc_->isHybrid(), part); !s) {
    ui().message(s.message());
    return;
  }
  applyStep([&] { return doc_->pasteRecord(std::move(part), ui()); });
}

void CircuitWindow::editHeader() {
  CCircHeader copy = doc_->header();
  PropertySheet sheet(doc_->isHybrid() ? "Hybrid Header" : "Circuit Header", ui(), this);
  addHeaderPages(sheet, copy, doc_->isHybrid());
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  changed(before());
  doc_->header() = copy;
  doc_->header().CalcFlags = 0;
  doc_->recalculateRecords();
  doc_->setModified(true);
  refresh(selection());
}

bool CircuitWindow::calculate() {
  if (doc_->path().empty() && !saveAs()) return false;
  CalculateDialog dialog(*context_.settings, ui(), this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return false;
  return runCalculation(dialog.job());
}

bool CircuitWindow::runCalculation(const CalculateJob& job) {
  auto* dialogUi = dynamic_cast<DialogUi*>(&ui());
  if (dialogUi != nullptr) dialogUi->beginProgress("Calculate");
  DocumentSubFiles subFiles(*context_.fs, *context_.openDocuments);
  CalcContext calc(ui(), &subFiles);
  const CalculateOutcome outcome = runCalculate(*doc_, calc, job);
  if (outcome.ok) {
    ui().clearProgress();
    for (std::size_t i = 0; i < outcome.lines.size() && i < 4; ++i) {
      ui().progressLine(static_cast<int>(i) + 1, outcome.lines[i]);
    }
  }
  if (dialogUi != nullptr) dialogUi->endProgress();
  // After a failure line 5 may hold the error: it stays for the user to read.
  if (outcome.ok) ui().progressLine(5, "Updating view...");
  refresh(selection());  // the result line comes from the header's totals
  if (outcome.ok && outcome.lines.size() > 1 && context_.statusText) context_.statusText(outcome.lines[1]);
  if (context_.refreshViews) context_.refreshViews();
  if (outcome.ok) ui().progressLine(5, {});
  return outcome.ok;
}

bool CircuitWindow::save() {
  if (doc_->path().empty()) return saveAs();
  DocumentLock lock;
  if (!saveGuard_.mayWrite(*context_.fs, ui(), doc_->path(), lock)) return false;
  if (Status s = saveDocument(*context_.fs, *doc_, doc_->path()); !s) {
    // The document stays modified: nothing of it was lost.
    const std::string& text = s.message();
    ui().message(text.find(doc_->path()) == std::string::npos ? "'" + doc_->path() + "':\n" + text : text);
    doc_->setModified(true);
    updateTitle();
    return false;
  }
  saveGuard_.remember(context_.fs, doc_->path());
  history_.clear();  // what was saved is not undone
  updateTitle();
  return true;
}

bool CircuitWindow::saveAs() {
  const DocumentKind& kind = kindOf(*doc_);
  return saveAsAsking(context_, "Save As", std::string(kind.filter), kind.extension, [this](const std::string& path) {
    const Status s = saveDocument(*context_.fs, *doc_, path);
    if (!s) {
      ui().message(s.namingFile(path, ":\n").message());
      doc_->setModified(true);
    }
    if (s) {
      saveGuard_.remember(context_.fs, path);
      history_.clear();  // what was saved is not undone
    }
    updateTitle();
    return s.isOk();
  });
}

bool CircuitWindow::readyToPrint() {
  if (doc_->header().CalcFlags != 0) {
    // Results that a changed sub-file has overtaken may still be printed as
    // they are: the report says they are not current.
    refresh(selection());
    if (notCurrent_.empty() || !ui().confirm(notCurrentText(notCurrent_) + "\nCalculate now?")) return true;
    return calculate() && doc_->header().CalcFlags != 0;
  }
  if (!ui().confirm(std::string(kNotCalculatedMessage) + "\nCalculate now?")) return false;
  return calculate() && doc_->header().CalcFlags != 0;
}

void CircuitWindow::applyStep(const std::function<std::optional<std::size_t>()>& command) {
  UndoHistory::State state = before();
  if (const auto pos = command()) {
    changed(std::move(state));
    refresh(*pos);
  }
}

void CircuitWindow::documentChanged() {
  // A batch change from outside (merge, What-If?) is not a step of this
  // window: the steps before it would undo it as well.
  history_.clear();
  refresh(selection());
}

void CircuitWindow::undo() {
  if (const auto sel = history_.undo(*doc_, selection())) refresh(*sel);
}

void CircuitWindow::redo() {
  if (const auto sel = history_.redo(*doc_, selection())) refresh(*sel);
}

void CircuitWindow::activateSelected() {
  const auto sel = selection();
  if (sel && isSubFileRecord(doc_->record(*sel))) {
    openSubFile();
  } else {
    editSelected();
  }
}

CircuitWindow* CircuitWindow::openSubFile() {
  const auto sel = selection();
  if (!sel) {
    ui().message("OPEN SUB-FILE: no part selection.");
    return nullptr;
  }
  std::string error;
  const std::string path = DocumentSubFiles::childFile(doc_->path(), doc_->record(*sel), error);
  if (path.empty()) {
    ui().message(error);
    return nullptr;
  }
  CircuitWindow* child = context_.openCircuit ? context_.openCircuit(path) : nullptr;
  if (child != nullptr && child != this) child->setParentDocument(doc_->path(), sel);
  return child;
}

void CircuitWindow::setParentDocument(const std::string& path, std::optional<std::size_t> row) {
  parentPath_ = path;
  parentRow_ = row;
  parentLine_->setText(qmixed("Parent: " + upperFileName(path)));
  parentLine_->setToolTip(qmixed(path));
  parentBar_->setVisible(!path.empty());
}

CircuitWindow* CircuitWindow::backToParent() {
  if (parentPath_.empty()) return nullptr;
  const auto row = parentRow_;
  CircuitWindow* parent = context_.openCircuit ? context_.openCircuit(parentPath_) : nullptr;
  if (parent != nullptr && row && *row < parent->document().count()) parent->select(*row);
  return parent;
}

void CircuitWindow::showListMenu(const QPoint& at) {
  const QModelIndex index = list_->indexAt(at);
  if (index.isValid()) select(static_cast<std::size_t>(sorted_->mapToSource(index).row()));
  const auto sel = selection();
  QMenu menu(this);
  QAction* open = menu.addAction(tr("Open Sub-File"), this, [this] { openSubFile(); });
  open->setEnabled(sel && isSubFileRecord(doc_->record(*sel)));
  menu.addAction(tr("Edit Part..."), this, [this] { editSelected(); })->setEnabled(sel.has_value());
  menu.addAction(tr("Detail"), this, [this] { showDetail(); })->setEnabled(sel.has_value());
  if (!parentPath_.empty()) {
    menu.addSeparator();
    menu.addAction(tr("Back to Parent"), this, [this] { backToParent(); });
  }
  menu.exec(list_->viewport()->mapToGlobal(at));
}

ReportSettings CircuitWindow::printSettings() const {
  return settingsForDocument(loadReportSettings(*context_.settings), *doc_);
}

void CircuitWindow::printPreview() {
  if (readyToPrint()) showPrintPreview(*doc_, printSettings(), ui(), this);
}

void CircuitWindow::print() {
  if (readyToPrint()) printWithDialog(*doc_, printSettings(), ui(), this);
}

void CircuitWindow::printToFile(OutputKind kind) {
  if (!readyToPrint()) return;
  static constexpr const char* kFilters[] = {"ASCII Text Files (*.txt)", "Rich Text RTF Files (*.rtf)",
                                             "Adobe PDF Files (*.pdf)"};
  static constexpr const char* kCaptions[] = {"Print To TXT File", "Print To RTF File", "Print To PDF File"};
  const auto k = static_cast<std::size_t>(kind);
  const std::string chosen = context_.chooseFile ? context_.chooseFile(true, kCaptions[k], kFilters[k]) : "";
  if (chosen.empty()) return;
  // The full name, so the user can find the file whatever folder was current.
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(chosen, ec);
  const std::string path = ec ? chosen : full.lexically_normal().string();
  if (Status s = gui::printToFile(*doc_, printSettings(), kind, path, *context_.fs, ui()); !s) {
    ui().message(s.message());
    return;
  }
  const std::string done = "Report printed to '" + path + "'.";
  if (context_.statusText) context_.statusText(done);
  ui().message(done);
}

bool CircuitWindow::mayClose() {
  if (!doc_->isModified()) return true;
  return mayCloseAsking(context_, doc_->title(), [this] { return save(); }, [this] { doc_->setModified(false); });
}

WindowState CircuitWindow::frameState() const {
  return {doc_->isHybrid() ? kHybridWindow : kCircuitWindow, selection().has_value(), history_.canUndo(),
          history_.canRedo()};
}

void CircuitWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(mayClose());
}

}  // namespace kestrel::gui
