// The Transfer and Update sheets of the library window: a Setup page (the
// input files, a name or a pattern, with their browse button, and the options) and a
// Filters page (Part Type Filter, PN Filter). The options are kept in the
// profile ("Transfer" and "Update" sections) between runs.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "gui/gui_context.hpp"
#include "store/library/transfer.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace kestrel::gui {

// The Filters page both sheets share.
class PartFiltersPage final : public QWidget {
 public:
  explicit PartFiltersPage(QWidget* parent);
  void set(const library::PartFilters& filters);
  library::PartFilters get() const;

 private:
  QCheckBox* typeOn_;
  QComboBox* types_;  // every part type, by type id
  QCheckBox* pnOn_;
  QLineEdit* pn_;
};

class TransferSheet final : public QDialog {
 public:
  TransferSheet(const std::string& libraryPath, GuiContext& context, QWidget* parent = nullptr);
  void setOptions(const library::TransferOptions& options);
  const library::TransferOptions& options() const { return options_; }
  void accept() override;

 private:
  GuiContext& context_;
  QLineEdit* input_;
  QCheckBox* replace_;
  QCheckBox* clearRefDes_;
  QCheckBox* clearLcn_;
  QCheckBox* qtyOne_;
  PartFiltersPage* filters_;
  library::TransferOptions options_;
};

class UpdateSheet final : public QDialog {
 public:
  UpdateSheet(const std::string& libraryPath, GuiContext& context, QWidget* parent = nullptr);
  void setOptions(const library::UpdateOptions& options);
  const library::UpdateOptions& options() const { return options_; }
  void accept() override;

 private:
  GuiContext& context_;
  QLineEdit* input_;
  QCheckBox* boxes_[9];  // PN2, RefDes, Descr, LCN, Qty, CF, Notes, AppParams, sub-files
  PartFiltersPage* filters_;
  library::UpdateOptions options_;
};

// The options as the profile keeps them, and back.
library::TransferOptions loadTransferOptions(const Settings& settings);
void storeTransferOptions(Settings& settings, const library::TransferOptions& options);
library::UpdateOptions loadUpdateOptions(const Settings& settings);
void storeUpdateOptions(Settings& settings, const library::UpdateOptions& options);

}  // namespace kestrel::gui
