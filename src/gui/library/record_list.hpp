// The body every window over a keyed file shows: its header lines in the
// list font above the virtual list of its records, one row selectable.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListView;
class QVBoxLayout;
class QWidget;

namespace kestrel::gui {

class PagedListModel;

class RecordList {
 public:
  // Adds `headerLines` labels and the list over `model` to `layout`.
  RecordList(QWidget* owner, QVBoxLayout* layout, std::size_t headerLines, PagedListModel* model);

  QListView* view() const { return view_; }
  std::vector<std::string> headerLines() const;
  // Shows lines[from + i] on header line i (blank past the end of `lines`).
  void setHeaderLines(const std::vector<std::string>& lines, std::size_t from = 0);
  // The current row, when it is a row of the list.
  std::optional<int> selectedRow() const;
  // Makes `row` current and selected and scrolls to it; false when out of range.
  bool selectRow(int row);
  // After the model was read again: the row nearest `keepRow`, when there is one.
  void keepSelection(std::optional<int> keepRow);

 private:
  PagedListModel* model_;
  std::vector<QLabel*> header_;
  QListView* view_;
};

}  // namespace kestrel::gui
