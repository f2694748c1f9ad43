// The Import and Export sheets: the files a run reads and writes and its
// options, preset from the settings and kept there when the user clicks OK.
#pragma once

#include <QDialog>

#include "gui/exchange/exchange_settings.hpp"
#include "gui/gui_context.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kestrel::gui {

class ImportSheet final : public QDialog {
 public:
  explicit ImportSheet(GuiContext& context, QWidget* parent = nullptr);
  void setOptions(const ImportSheetOptions& options);
  const ImportSheetOptions& options() const { return options_; }
  // Reads the fields into options() and stores them in the settings.
  void accept() override;

 private:
  GuiContext& context_;
  QComboBox* readBy_;
  QLineEdit* definition_;
  QLineEdit* data_;
  QLineEdit* outputDir_;
  QLineEdit* library_;
  QCheckBox* searchXRef_;
  QLineEdit* xref_;
  QComboBox* xrefMove_;
  QCheckBox* overrideTranslate_;
  QLineEdit* translate_;
  ImportSheetOptions options_;
};

class ExportSheet final : public QDialog {
 public:
  explicit ExportSheet(GuiContext& context, QWidget* parent = nullptr);
  void setOptions(const ExportSheetOptions& options);
  const ExportSheetOptions& options() const { return options_; }
  void accept() override;

 private:
  GuiContext& context_;
  QLineEdit* input_;
  QLineEdit* outputDir_;
  QComboBox* format_;
  QComboBox* layout_;
  QCheckBox* typeOn_;
  QComboBox* types_;
  QLineEdit* pn_;
  ExportSheetOptions options_;
};

}  // namespace kestrel::gui
