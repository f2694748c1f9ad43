#include "gui/library/record_list.hpp"

#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/library/paged_list_model.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {

RecordList::RecordList(QWidget* owner, QVBoxLayout* layout, std::size_t headerLines, PagedListModel* model)
    : model_(model) {
  for (std::size_t i = 0; i < headerLines; ++i) {
    auto* line = new QLabel(owner);
    line->setFont(listFont());
    layout->addWidget(line);
    header_.push_back(line);
  }
  view_ = new QListView(owner);
  view_->setFont(listFont());
  view_->setUniformItemSizes(true);  // rows are laid out without asking each one
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setModel(model_);
  layout->addWidget(view_, 1);
}

std::vector<std::string> RecordList::headerLines() const {
  std::vector<std::string> lines;
  for (const QLabel* l : header_) lines.push_back(l->text().toStdString());
  return lines;
}

void RecordList::setHeaderLines(const std::vector<std::string>& lines, std::size_t from) {
  for (std::size_t i = 0; i < header_.size(); ++i) {
    header_[i]->setText(from + i < lines.size() ? qmixed(lines[from + i]) : QString());  // texts and the path
  }
}

std::optional<int> RecordList::selectedRow() const {
  const QModelIndex current = view_->currentIndex();
  if (!current.isValid() || current.row() >= model_->rowCount()) return std::nullopt;
  return current.row();
}

bool RecordList::selectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return false;
  const QModelIndex index = model_->index(row);
  view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  view_->scrollTo(index);
  return true;
}

void RecordList::keepSelection(std::optional<int> keepRow) {
  if (keepRow && model_->rowCount() > 0) selectRow(std::min(*keepRow, model_->rowCount() - 1));
}

}  // namespace kestrel::gui
