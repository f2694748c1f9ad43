// Library Recall Browse: the recall library listed in part-type order, with
// the library view's Find..., so that the user picks the record to recall.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/gui_context.hpp"
#include "gui/library/paged_list_model.hpp"
#include "gui/library/record_list.hpp"
#include "store/library/library_list.hpp"

class QListView;

namespace kestrel {
class CPart;
}

namespace kestrel::gui {

class RecallBrowseDialog final : public QDialog {
 public:
  RecallBrowseDialog(library::PartLibrary& lib, bool hybrid, GuiContext& context, QWidget* parent = nullptr);

  // OK: the selected record recalled by its part number; stays open on a
  // refusal ("RECALL: no part selection.", a hybrid mis-match).
  void accept() override;
  // Find...: the library view's find modes and messages; selects the match.
  void find();

  std::unique_ptr<CPart> takePart() { return std::move(part_); }
  std::vector<std::string> headerLines() const;
  PagedListModel* model() const { return model_; }
  void selectRow(int row);
  std::optional<int> selectedRow() const;

 private:
  Ui& ui() { return *context_.ui; }

  library::PartLibrary& lib_;
  bool hybrid_;
  GuiContext& context_;
  library::LibraryPager pager_;
  PagedListModel* model_;
  std::unique_ptr<RecordList> records_;
  std::unique_ptr<CPart> part_;
};

}  // namespace kestrel::gui
