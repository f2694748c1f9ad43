#include "gui/library/xref_window.hpp"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QListView>
#include <QMimeData>
#include <QVBoxLayout>
#include <filesystem>

#include "core/strfmt.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/merge_files.hpp"
#include "gui/property_sheet.hpp"
#include "gui/qt_text.hpp"
#include "store/library/library_location.hpp"

namespace kestrel::gui {
namespace {

using library::Outcome;

}  // namespace

std::unique_ptr<XRefWindow> XRefWindow::open(const std::string& path, GuiContext& context) {
  library::StoreMessage error;
  auto x = library::XRefFile::open(path, true, error);
  if (!x) {
    context.ui->message("Can not open cross-reference file\n" + error.text());
    return nullptr;
  }
  if (!x->notice().empty()) context.ui->message(x->notice().text());
  return std::unique_ptr<XRefWindow>(new XRefWindow(std::move(x), context));
}

std::unique_ptr<XRefWindow> XRefWindow::create(const std::string& path, GuiContext& context) {
  library::StoreMessage error;
  auto x = library::XRefFile::create(path, error);
  if (!x) {
    context.ui->message("Can not create cross-reference file\n" + error.text());
    return nullptr;
  }
  return std::unique_ptr<XRefWindow>(new XRefWindow(std::move(x), context));
}

XRefWindow::XRefWindow(std::unique_ptr<library::XRefFile> xref, GuiContext& context)
    : xref_(std::move(xref)), context_(context), pager_(*xref_) {
  setWindowTitle(QString::fromStdString(libraryTitle(xref_->path())));
  auto* layout = new QVBoxLayout(this);
  model_ = new PagedListModel(
      [this] {
        const long n = xref_->count();
        pager_.setCount(n);
        return n;
      },
      [this](long position, std::size_t count, std::vector<ListRow>& rows) {
        std::vector<library::XRefEntry> entries;
        if (pager_.page(position, count, entries) == Outcome::Failed) {
          ui().message("Cross-reference file error\n" + xref_->error().text());
          return false;
        }
        for (const auto& e : entries) rows.push_back({e.record, library::xrefListLine(e), e.pn});
        return true;
      },
      this);
  records_ = std::make_unique<RecordList>(this, layout, 2, model_);
  connect(list(), &QListView::doubleClicked, this, [this](const QModelIndex&) { editSelected(); });
  connect(list()->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { context_.stateChanged(); });
  refresh(model_->count() > 0 ? std::optional<int>(0) : std::nullopt);
}

XRefWindow::~XRefWindow() {
  if (xref_ && !xref_->close()) ui().message("Can not close cross-reference file\n" + xref_->error().text());
}

std::vector<std::string> XRefWindow::headerLines() const { return records_->headerLines(); }

std::optional<int> XRefWindow::selectedRow() const { return records_->selectedRow(); }

bool XRefWindow::readSelected(library::XRefEntry& entry) {
  const auto row = selectedRow();
  if (!row) return false;
  std::vector<library::XRefEntry> page;
  if (pager_.page(*row, 1, page) != Outcome::Ok || page.empty()) return false;
  entry = page.front();
  return true;
}

std::optional<std::string> XRefWindow::selectedNumber() const {
  const auto row = selectedRow();
  if (!row) return std::nullopt;
  std::string pn = model_->keyAt(*row);
  if (pn.empty()) return std::nullopt;
  return pn;
}

void XRefWindow::selectRow(int row) { records_->selectRow(row); }

void XRefWindow::merge() {
  if (!fileReadable()) return;
  mergeIntoFile(context_, xref_->path(), "Cross-Ref Files (*.xrf)",
                [this](const std::string& input, Ui& ui) { return library::mergeXRef(*xref_, input, ui); },
                [this] { refresh(selectedRow()); });
}

void XRefWindow::refresh(std::optional<int> keepRow) {
  model_->reload();
  records_->setHeaderLines(library::xrefHeaderLines(*xref_));
  records_->keepSelection(keepRow);
  context_.stateChanged();
}

void XRefWindow::selectNumber(const std::string& pn) {
  library::XRefEntry entry;
  long position = -1;
  if (xref_->findPn(pn, entry) == Outcome::Ok && xref_->listPosition(entry.record, position) == Outcome::Ok) {
    refresh(static_cast<int>(position));
  } else {
    refresh(selectedRow());
  }
}

bool XRefWindow::fileReadable() {
  if (xref_->count() >= 0) return true;
  report("Cross-reference file error");
  return false;
}

void XRefWindow::report(const std::string& command) { ui().message(command + "\n" + xref_->error().text()); }

bool XRefWindow::editInSheet(library::CXRef& xref) {
  PropertySheet sheet("Cross-Reference", ui(), this);
  sheet.addPage("Cross-Reference", [&xref](FieldVisitor& f) { visitXRef(xref, f); });
  return context_.runDialog(sheet) == QDialog::Accepted;
}

void XRefWindow::addRecord() {
  if (!fileReadable()) return;
  library::CXRef xref;
  while (editInSheet(xref)) {
    const Outcome o = xref_->add(xref);
    if (o == Outcome::Ok) {
      selectNumber(xref.pn);
      return;
    }
    report("Can not add record");
    if (o != Outcome::Duplicate) return;
  }
}

void XRefWindow::editSelected() {
  const auto pn = selectedNumber();
  if (!pn) {
    ui().message("EDIT: no selection.");
    return;
  }
  if (!fileReadable()) return;
  bool sheetShown = false;
  std::string edited = *pn;
  const Outcome o = xref_->edit(*pn, [&](library::CXRef& xref) {
    sheetShown = true;
    if (!editInSheet(xref)) return false;
    edited = xref.pn;
    return true;
  });
  if (o != Outcome::Ok) {
    report(sheetShown ? "Can not update record" : "Can not edit record");
    refresh(selectedRow());
    return;
  }
  selectNumber(edited);
}

void XRefWindow::deleteSelected() {
  const auto pn = selectedNumber();
  const auto row = selectedRow();
  if (!pn || !row) {
    ui().message("DELETE: no selection.");
    return;
  }
  if (!fileReadable()) return;
  if (!ui().confirm(strprintf("Cross-Ref PN: '%.25s'\nDelete Record?", pn->c_str()))) return;
  if (xref_->remove(*pn) != Outcome::Ok) {
    report("Can not delete record");
    return;
  }
  refresh(*row);
}

void XRefWindow::find() {
  if (!fileReadable()) return;
  XRefFindDialog dialog(*context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  const XRefFindJob& job = dialog.job();
  library::XRefEntry entry;
  const Outcome o = xref_->find(job.text, job.byLibraryPn, entry);
  if (o == Outcome::Failed) {
    report(job.byLibraryPn ? "Can not find record by Lib PN" : "Can not find record by XRef PN");
    return;
  }
  if (o != Outcome::Ok) {
    ui().message(strprintf(job.byLibraryPn ? "Library PN: '%s'\nMatching record was not found."
                                           : "Cross-Ref PN: '%s'\nMatching record was not found.",
                           job.text.c_str()));
    return;
  }
  long position = -1;
  if (xref_->listPosition(entry.record, position) == Outcome::Ok) refresh(static_cast<int>(position));
}

void XRefWindow::copySelected() {
  library::XRefEntry entry;
  if (!selectedRow()) {
    ui().message("COPY: no selection.");
    return;
  }
  std::vector<std::uint8_t> bytes;
  if (!readSelected(entry) || !library::encodeXRef(entry.xref, bytes)) {
    report("Can not copy record");
    return;
  }
  auto* mime = new QMimeData;
  mime->setData(kXRefClipboardFormat,
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  mime->setText(qtext(library::xrefListLine(entry)));
  QApplication::clipboard()->setMimeData(mime);
  const QMimeData* now = QApplication::clipboard()->mimeData();
  if (now == nullptr || !now->hasFormat(kXRefClipboardFormat)) {
    ui().message("COPY: can not copy XRef object to clipboard.");
  }
}

void XRefWindow::cutSelected() {
  const auto pn = selectedNumber();
  const auto row = selectedRow();
  if (!pn || !row) {
    ui().message("CUT: no selection.");
    return;
  }
  copySelected();
  const QMimeData* now = QApplication::clipboard()->mimeData();
  if (now == nullptr || !now->hasFormat(kXRefClipboardFormat)) {
    ui().message("CUT: can not copy XRef object to clipboard.");
    return;
  }
  if (xref_->remove(*pn) != Outcome::Ok) {
    report("Can not cut record");
    return;
  }
  refresh(*row);
}

void XRefWindow::paste() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (mime == nullptr || !mime->hasFormat(kXRefClipboardFormat)) {
    ui().message("PASTE: no matching format.");
    return;
  }
  if (!fileReadable()) return;
  const QByteArray data = mime->data(kXRefClipboardFormat);
  library::CXRef xref;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(data.constData());
  if (!library::decodeXRef({begin, static_cast<std::size_t>(data.size())}, "clipboard", xref)) {
    ui().message("PASTE: can not get XRef object.");
    return;
  }
  for (;;) {
    const Outcome o = xref_->add(xref);
    if (o == Outcome::Ok) {
      selectNumber(xref.pn);
      return;
    }
    report("Can not paste record");
    if (o != Outcome::Duplicate || !editInSheet(xref)) return;
  }
}

void XRefWindow::editHeader() {
  if (!fileReadable()) return;
  library::HeaderTexts texts;
  if (!xref_->readHeader(texts)) {
    report("Cross-reference header error");
    return;
  }
  PropertySheet sheet("Cross-Reference Header", ui(), this);
  sheet.addPage("Cross-Reference Header", [&texts](FieldVisitor& f) { visitHeaderTexts(texts, f); });
  if (context_.runDialog(sheet) != QDialog::Accepted) return;
  if (!xref_->writeHeader(texts)) report("Cross-reference header error");
  refresh(selectedRow());
}

}  // namespace kestrel::gui
