// Print Setup: the paper a report is laid out on (the named sizes and the
// default printer's own) and its orientation, kept with the report settings
// so printing, previews, print to file and `kestrel report` lay a report out
// alike.
#pragma once

#include <QDialog>

#include "reports/report_settings.hpp"

class QComboBox;
class QPrinter;
class QRadioButton;

namespace kestrel {
class Settings;
}

namespace kestrel::gui {

class PrintSetupDialog final : public QDialog {
 public:
  explicit PrintSetupDialog(Settings& settings, QWidget* parent = nullptr);
  // Chooses a paper by its saved text ("a4", "8.5x13") and the orientation.
  void choose(const std::string& paper, bool landscape);
  void accept() override;
  QComboBox* papers() const { return paper_; }

 private:
  Settings& settings_;
  QComboBox* paper_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
};

// Lays the printer's page out as Print Setup chose.
void applyPrintSetup(QPrinter& printer, const ReportSettings& settings);

}  // namespace kestrel::gui
