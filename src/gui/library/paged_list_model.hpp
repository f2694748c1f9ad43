// The list of a library or cross-reference window: a virtual list whose
// row count comes from the file's record count and whose lines are read
// page by page when the view shows them. Only a few pages are kept, so a
// file of any size opens at once and scrolls without being read whole.
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

namespace kestrel::gui {

struct ListRow {
  std::int32_t record = -1;
  std::string line;
  std::string key;  // what finds the record again (a cross-reference number)
};

class PagedListModel final : public QAbstractListModel {
 public:
  // The number of records (-1 when it can not be read).
  using CountSource = std::function<long()>;
  // The rows at position .. position + count - 1 in list order; false
  // when the file could not be read (the source reports why).
  using PageSource = std::function<bool(long position, std::size_t count, std::vector<ListRow>& rows)>;

  static constexpr std::size_t kPageRows = 64;
  static constexpr std::size_t kCachedPages = 4;

  PagedListModel(CountSource count, PageSource pages, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The record shown in a row, -1 when the row can not be read.
  std::int32_t recordAt(int row) const;
  // The key of a row, "" when the row can not be read.
  std::string keyAt(int row) const;
  // Reads the count again and forgets every page (after a change).
  void reload();
  // The count as last read (-1 when it could not be read).
  long count() const { return count_; }

  // How many pages and rows have been read from the file since the model
  // was made (the cost of what the view has shown).
  long pagesRead() const { return pagesRead_; }
  long rowsRead() const { return rowsRead_; }

 private:
  struct Page {
    long first = 0;
    std::vector<ListRow> rows;
  };
  const ListRow* rowAt(int row) const;

  CountSource countSource_;
  PageSource pageSource_;
  long count_ = 0;
  mutable std::list<Page> pages_;  // most recently used first
  mutable long pagesRead_ = 0;
  mutable long rowsRead_ = 0;
  mutable bool failed_ = false;  // a failed read is reported once, not on every repaint
};

}  // namespace kestrel::gui
