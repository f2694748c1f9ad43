// The window of an open cross-reference file (.xrf): its header lines and
// its records in cross-reference number order in a virtual list, with Add,
// Edit, Delete, Find ("XRef Find"), Copy, Cut, Paste ("Kestrel XRefObj")
// Header and Merge. A record being edited stays locked until its sheet
// closes.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/library/paged_list_model.hpp"
#include "gui/library/record_list.hpp"
#include "store/library/library_list.hpp"
#include "store/library/xref_file.hpp"

class QListView;

namespace kestrel::gui {

// The clipboard format of a cross-reference record.
inline constexpr const char* kXRefClipboardFormat = "Kestrel XRefObj";

class XRefWindow final : public QWidget, public FrameChild {
 public:
  static std::unique_ptr<XRefWindow> open(const std::string& path, GuiContext& context);
  static std::unique_ptr<XRefWindow> create(const std::string& path, GuiContext& context);
  ~XRefWindow() override;

  library::XRefFile& file() { return *xref_; }
  PagedListModel* model() { return model_; }
  QListView* list() { return records_->view(); }
  std::vector<std::string> headerLines() const;
  std::optional<int> selectedRow() const;
  // The selected record's cross-reference number, or none.
  std::optional<std::string> selectedNumber() const;
  void selectRow(int row);

  void addRecord();
  void editSelected();
  void deleteSelected();
  void find();
  void copySelected();
  void cutSelected();
  void paste();
  void editHeader();
  // Merge another cross-reference file into this one ("Cross-Ref Files (*.xrf)").
  void merge();
  void refresh(std::optional<int> keepRow);
  WindowState frameState() const override { return {kXRefWindow, selectedRow().has_value()}; }

 private:
  XRefWindow(std::unique_ptr<library::XRefFile> xref, GuiContext& context);
  Ui& ui() { return *context_.ui; }
  bool fileReadable();
  void report(const std::string& command);
  bool editInSheet(library::CXRef& xref);
  bool readSelected(library::XRefEntry& entry);
  void selectNumber(const std::string& pn);

  std::unique_ptr<library::XRefFile> xref_;
  GuiContext& context_;
  library::XRefPager pager_;
  PagedListModel* model_;
  std::unique_ptr<RecordList> records_;
};

}  // namespace kestrel::gui
