#include "gui/library/paged_list_model.hpp"

#include <climits>

#include "gui/qt_text.hpp"

namespace kestrel::gui {

PagedListModel::PagedListModel(CountSource count, PageSource pages, QObject* parent)
    : QAbstractListModel(parent), countSource_(std::move(count)), pageSource_(std::move(pages)) {
  count_ = countSource_();
}

int PagedListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || count_ <= 0) return 0;
  return count_ > INT_MAX ? INT_MAX : static_cast<int>(count_);
}

const ListRow* PagedListModel::rowAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (row >= it->first && row < it->first + static_cast<long>(it->rows.size())) {
      pages_.splice(pages_.begin(), pages_, it);
      return &pages_.front().rows[static_cast<std::size_t>(row - pages_.front().first)];
    }
  }
  if (failed_) return nullptr;
  Page page;
  page.first = static_cast<long>(row) / static_cast<long>(kPageRows) * static_cast<long>(kPageRows);
  ++pagesRead_;
  if (!pageSource_(page.first, kPageRows, page.rows)) {
    failed_ = true;
    return nullptr;
  }
  rowsRead_ += static_cast<long>(page.rows.size());
  if (row >= page.first + static_cast<long>(page.rows.size())) return nullptr;  // the file shrank meanwhile
  pages_.push_front(std::move(page));
  if (pages_.size() > kCachedPages) pages_.pop_back();
  return &pages_.front().rows[static_cast<std::size_t>(row - pages_.front().first)];
}

QVariant PagedListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const ListRow* row = rowAt(index.row());
  if (row == nullptr) return {};
  return qtext(row->line);
}

std::int32_t PagedListModel::recordAt(int row) const {
  const ListRow* r = rowAt(row);
  return r != nullptr ? r->record : -1;
}

std::string PagedListModel::keyAt(int row) const {
  const ListRow* r = rowAt(row);
  return r != nullptr ? r->key : std::string();
}

void PagedListModel::reload() {
  beginResetModel();
  pages_.clear();
  failed_ = false;
  count_ = countSource_();
  endResetModel();
}

}  // namespace kestrel::gui
