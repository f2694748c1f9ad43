#include "gui/library/recall_browse_dialog.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "gui/library/library_dialogs.hpp"
#include "gui/library/library_find.hpp"
#include "gui/qt_text.hpp"
#include "store/library/recall.hpp"

namespace kestrel::gui {

RecallBrowseDialog::RecallBrowseDialog(library::PartLibrary& lib, bool hybrid, GuiContext& context, QWidget* parent)
    : QDialog(parent), lib_(lib), hybrid_(hybrid), context_(context), pager_(lib) {
  setWindowTitle(tr("Library Recall Browse"));
  resize(560, 420);
  auto* layout = new QVBoxLayout(this);
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
  records_ = std::make_unique<RecordList>(this, layout, 2, model_);
  // The library file first, then its description.
  const std::vector<std::string> lines = library::libraryHeaderLines(lib_);
  records_->setHeaderLines({lines.size() > 1 ? lines[1] : std::string(), lines.empty() ? std::string() : lines[0]});
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* findButton = buttons->addButton(tr("&Find..."), QDialogButtonBox::ActionRole);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(findButton, &QPushButton::clicked, this, [this] { find(); });
  connect(records_->view(), &QListView::doubleClicked, this, [this](const QModelIndex&) { accept(); });
}

std::vector<std::string> RecallBrowseDialog::headerLines() const { return records_->headerLines(); }

void RecallBrowseDialog::selectRow(int row) { records_->selectRow(row); }

std::optional<int> RecallBrowseDialog::selectedRow() const { return records_->selectedRow(); }

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
  PartTypeMenus menus;
  if (!buildPartTypeMenus(menus, ui())) return;
  LibraryFindDialog dialog(menus.circuit, menus.hybrid, *context_.settings, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  const auto row = selectedRow();
  const std::int32_t current = row ? model_->recordAt(*row) : -1;
  if (const auto found = findLibraryRecord(lib_, dialog.job(), current, menus, ui())) {
    long position = -1;
    if (lib_.listPosition(*found, position) == library::Outcome::Ok) selectRow(static_cast<int>(position));
  }
}

}  // namespace kestrel::gui
