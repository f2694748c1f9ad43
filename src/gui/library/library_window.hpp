// The window of an open library (.lib): its header lines, the parts in
// part-type order in a virtual list, and the library view's commands (Add,
// Edit, Convert, Delete, Find, Copy, Cut, Paste, Detail, Header, Merge,
// Transfer, Update). The
// store handle stays open while the window is; a record being edited stays
// locked until its sheet closes, so another process can not change it.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/library/library_find.hpp"
#include "gui/library/paged_list_model.hpp"
#include "gui/library/record_list.hpp"
#include "store/library/library_list.hpp"
#include "store/library/part_library.hpp"
#include "store/library/transfer.hpp"

class QListView;
class QPlainTextEdit;

namespace kestrel::gui {

class LibraryWindow final : public QWidget, public FrameChild {
 public:
  // Opens a library for reading and writing; null (message shown) on failure.
  static std::unique_ptr<LibraryWindow> open(const std::string& path, GuiContext& context);
  // Creates a new library ("Can not create library file" on failure).
  static std::unique_ptr<LibraryWindow> create(const std::string& path, GuiContext& context);
  ~LibraryWindow() override;

  library::PartLibrary& library() { return *lib_; }
  PagedListModel* model() { return model_; }
  QListView* list() { return records_->view(); }
  // The three header lines as shown.
  std::vector<std::string> headerLines() const;
  // The record of the selected row, or none.
  std::optional<std::int32_t> selectedRecord() const;
  std::optional<int> selectedRow() const;
  void selectRow(int row);
  // Style 2: number, PN2, type; 1: number, type, date.
  void setListStyle(int style);
  std::string detailText() const;

  // ---- commands ----
  void addParts();  // repeats until the Add dialog is cancelled
  void editSelected();
  // Convert: the selected part becomes a part of another type, keeping its
  // base fields; the record stays locked while the dialog and sheet are open.
  void convertSelected();
  void deleteSelected();
  void find();
  void copySelected();
  void cutSelected();
  void paste();
  void editHeader();
  // The selected part's detail lines in the Part Detail window.
  void showDetail();
  // Merge another library into this one ("Library Files (*.lib)").
  void merge();
  void transfer();
  void update();
  // The runs behind the sheets, after the confirmation.
  library::TransferOutcome runTransfer(const library::TransferOptions& options);
  library::UpdateOutcome runUpdate(const library::UpdateOptions& options);
  // Reads the count and the header again and keeps the selection's row.
  void refresh(std::optional<int> keepRow);
  WindowState frameState() const override;

 private:
  LibraryWindow(std::unique_ptr<library::PartLibrary> lib, GuiContext& context);
  Ui& ui() { return *context_.ui; }
  bool fileReadable();
  void report(const std::string& command);
  bool editInSheet(CPart& part, const std::string& title, bool filled);
  void selectRecord(std::int32_t record);
  // The record of that part number after a change (its place may have moved); the list kept otherwise.
  void selectPartNumber(const std::string& pn);
  void showSelection();
  bool menus();

  std::unique_ptr<library::PartLibrary> lib_;
  GuiContext& context_;
  library::LibraryPager pager_;
  bool damageShown_ = false;
  int style_ = 1;
  PagedListModel* model_;
  std::unique_ptr<RecordList> records_;
  QPlainTextEdit* detail_;
  PartTypeMenus menus_;
  std::unique_ptr<CPart> lastAdded_;
  // The document kinds a part sheet is laid out for.
  CCircDoc circuitKind_{DocKind::Circuit};
  CCircDoc hybridKind_{DocKind::Hybrid};
};

}  // namespace kestrel::gui
