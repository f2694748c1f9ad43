// The window of an import definition (.imp): its header lines above the
// list of keyword lines (name, value type, field, subfield, option), with
// Edit Header, Edit Keyword, Find ("Import Find"), Save and Save As, and the
// save question when a changed definition is closed.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange/import_definition.hpp"
#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/save_guard.hpp"

class QLabel;
class QListWidget;

namespace kestrel::gui {

class ImportDefinitionWindow final : public QWidget, public FrameChild {
 public:
  // Null, with the definition's message shown, when the file can not be read.
  static std::unique_ptr<ImportDefinitionWindow> open(const std::string& path, GuiContext& context);
  // A new definition: every keyword unmapped, no file until it is saved.
  static std::unique_ptr<ImportDefinitionWindow> create(GuiContext& context);

  const CImportDoc& definition() const { return doc_; }
  const std::string& path() const { return path_; }
  bool modified() const { return modified_; }
  // "Description: %s", the header lines and, for a list that did not match
  // the catalogue, the warning.
  std::vector<std::string> headerLines() const;
  std::vector<std::string> keywordLines() const;
  QListWidget* list() const { return list_; }
  std::optional<int> selectedRow() const;
  void selectRow(int row);

  void editHeader();
  void editKeyword();  // the selected keyword
  void find();
  bool save();  // Save As when the definition has no file yet
  bool saveAs();
  // The save question of a changed definition; false when the user cancels.
  bool mayClose() override;
  WindowState frameState() const override { return {kDefinitionWindow, selectedRow().has_value()}; }

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  ImportDefinitionWindow(CImportDoc doc, std::string path, std::string warning, GuiContext& context);
  void refresh();
  void changed();
  bool saveTo(const std::string& path);

  CImportDoc doc_;
  std::string path_;
  std::string warning_;
  GuiContext& context_;
  bool modified_ = false;
  SaveGuard saveGuard_;  // knows the file as read or last saved
  QLabel* header_;
  QListWidget* list_;
};

}  // namespace kestrel::gui
