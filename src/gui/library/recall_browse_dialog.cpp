#include "gui/library/recall_browse_dialog.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/qt_text.hpp"
#include "store/library/recall.hpp"

namespace kestrel::gui {

RecallBrowseDialog::RecallBrowseDialog(library::PartLibrary& lib, bool hybrid, GuiContext& context, QWidget* parent)
    : QDialog(parent), lib_(lib), hybrid_(hybrid), context_(context), pager_(lib) {
  setWindowTitle(tr("Library Recall Browse"));
  resize(560, 420);
  auto* layout = new QVBoxLayout(this);
  // The library file first, then its description.
  const std::vector<std::string> lines = library::libraryHeaderLines(lib_);
  for (int i = 0; i < 2; ++i) {
    header_[i] = new QLabel(this);
    header_[i]->setFont(listFont());
    const std::size_t from = i == 0 ? 1 : 0;
    if (from < lines.size()) header_[i]->setText(qtext(lines[from]));
    layout->addWidget(header_[i]);
  }
  model_ = new PagedListModel(
      [this] {
        const long n = lib_.count();
        pager_.setCount(n);
        return n;
      },
      [this](long position, std::size_t count, std::vector<ListRow>& rows) {
        std::vector<library::LibEntry> entries;
        if (pager_.page(position, count, entries) == library::Outcome::Failed) {
          ui().message("Library file error\n" + lib_.error().text());
          return false;
        }
        for (const auto& e : entries) rows.push_back({e.record, library::libraryListLine(e, 1), e.pn});
        return true;
      },
      this);
  list_ = new QListView(this);
  list_->setFont(listFont());
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setModel(model_);
  layout->addWidget(list_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* findButton = buttons->addButton(tr("&Find..."), QDialogButtonBox::ActionRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(findButton, &QPushButton::clicked, this, [this] { find(); });
  connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex&) { accept(); });
}

std::vector<std::string> RecallBrowseDialog::headerLines() const {
  return {header_[0]->text().toStdString(), header_[1]->text().toStdString()};
}

void RecallBrowseDialog::selectRow(int row) {
  const QModelIndex index = model_->index(row);
  list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  list_->scrollTo(index);
}

std::optional<int> RecallBrowseDialog::selectedRow() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return rows.front().row();
}

void RecallBrowseDialog::accept() {
  const auto row = selectedRow();
  const std::string pn = row ? model_->keyAt(*row) : std::string();
  if (!row || model_->recordAt(*row) < 0) {
    ui().message("RECALL: no part selection.");
    return;
  }
  std::unique_ptr<CPart> part;
  switch (library::recallByNumber(lib_, pn, hybrid_, true, ui(), part)) {
    case library::Recalled::Found:
      part_ = std::move(part);
      QDialog::accept();
      return;
    case library::Recalled::HybridMismatch:
      ui().message(strprintf("PN='%.25s'...\n", pn.c_str()) + "...can not recall: hybrid mis-match.");
      return;
    case library::Recalled::NotFound:
      ui().message("Can not recall record\n" + lib_.error().text());
      return;
    case library::Recalled::Failed:
      return;  // the read error has been shown
  }
}

void RecallBrowseDialog::find() {
  std::vector<std::string> circuitMenu, hybridMenu;
  for (bool hybrid : {false, true}) {
    if (Status s = PartRegistry::instance().buildMenu(hybrid, hybrid ? hybridMenu : circuitMenu); !s) {
      ui().message(s.message());
      return;
    }
  }
  LibraryFindDialog dialog(circuitMenu, hybridMenu, *context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  const LibraryFindJob& job = dialog.job();
  library::LibEntry entry;
  library::Outcome o = library::Outcome::NotFound;
  std::string failure, notFound;
  if (job.mode == LibraryFindJob::kPartNumber || job.mode == LibraryFindJob::kPn2) {
    const bool byPn2 = job.mode == LibraryFindJob::kPn2;
    const auto row = job.fromCurrent ? selectedRow() : std::nullopt;
    const std::int32_t current = row ? model_->recordAt(*row) : -1;
    o = lib_.search(job.text, byPn2, current, entry);
    failure = byPn2 ? "Can not find record by PN2" : "Can not find record by PN";
    notFound = strprintf(byPn2 ? "PN2: '%s'\nMatching record was not found." : "PN: '%s'\nMatching record was not found.",
                         job.text.c_str());
  } else {
    const bool hybrid = job.mode == LibraryFindJob::kHybridPartType;
    const auto table = menuTable(hybrid);
    const std::vector<std::string>& menu = hybrid ? hybridMenu : circuitMenu;
    if (job.menuIndex < 1 || job.menuIndex > table.size()) return;
    const std::uint16_t type = table[job.menuIndex - 1].id;
    o = lib_.findType(type, hybrid, entry, store::kFindEqualOrGreater);
    if (o == library::Outcome::Ok && (entry.type != type || (entry.hybrid != 0) != hybrid)) {
      o = library::Outcome::NotFound;
    }
    failure = hybrid ? "Can not find record by hybrid part type" : "Can not find record by part type";
    notFound = strprintf("Part Type: '%.25s'\nMatching record was not found.", menu[job.menuIndex].c_str());
  }
  if (o == library::Outcome::Failed) {
    ui().message(failure + "\n" + lib_.error().text());
    return;
  }
  if (o != library::Outcome::Ok) {
    ui().message(notFound);
    return;
  }
  long position = -1;
  if (library::listPosition(lib_, entry.record, position) == library::Outcome::Ok) {
    selectRow(static_cast<int>(position));
  }
}

}  // namespace kestrel::gui
