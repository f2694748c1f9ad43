// The small dialogs of the circuit window: Calculate, Add and Report Setup.
// Each reads its settings from the profile when it opens and writes them
// back on OK; the checks they make are the libraries' own.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/calculate_command.hpp"
#include "reports/report_profile.hpp"
#include "reports/report_settings.hpp"

class QRadioButton;
class QLineEdit;
class QComboBox;
class QCheckBox;

namespace kestrel {
class Ui;
class Settings;
}  // namespace kestrel

namespace kestrel::gui {

// "&Basic" / "&Mission + Basic" and the mission time in hours.
class CalculateDialog final : public QDialog {
 public:
  CalculateDialog(Settings& settings, Ui& ui, QWidget* parent = nullptr);
  void setMission(bool mission);
  void setTime(const std::string& text);
  // OK: "Please enter a number." for a time that is not one; the time is
  // limited to its range with the minimum and maximum messages.
  void accept() override;
  const CalculateJob& job() const { return job_; }

 private:
  Settings& settings_;
  Ui& ui_;
  QRadioButton* basic_;
  QRadioButton* mission_;
  QLineEdit* time_;
  CalculateJob job_;
};

// The menu index Add starts on before any part was added: the resistor.
std::size_t firstAddType(bool hybrid);

// Add: the part type from the document kind's menu, and whether the new
// record starts with the type's default parameters; or the last record added.
class AddPartDialog final : public QDialog {
 public:
  AddPartDialog(const std::vector<std::string>& menu, bool hybrid, bool haveLast, Settings& settings,
                QWidget* parent = nullptr);
  void accept() override;
  // 1-based menu index, 0 for "keep the last record".
  std::size_t menuIndex() const { return keepLast_ ? 0 : index_; }
  bool defaults() const { return defaults_; }
  // Mode "Library Recall by PN": the new record comes from a library.
  bool recall() const { return recall_; }
  void choose(std::size_t menuIndex, bool defaults, bool keepLast = false);
  void chooseRecall(bool recall);

 private:
  Settings& settings_;
  bool hybrid_;
  QComboBox* types_;
  QCheckBox* defaultsBox_;
  QCheckBox* lastBox_;
  QCheckBox* recallBox_;
  std::size_t index_ = 1;
  bool defaults_ = true;
  bool keepLast_ = false;
  bool recall_ = false;
};

// Report Setup: kind, sort key, margins, company and the three switches.
class ReportSetupDialog final : public QDialog {
 public:
  ReportSetupDialog(Settings& settings, Ui& ui, QWidget* parent = nullptr);
  void setMargins(const std::string& top, const std::string& left);
  void accept() override;
  const ReportSettings& result() const { return result_; }

 private:
  Settings& settings_;
  Ui& ui_;
  QComboBox* format_;
  QComboBox* sortBy_;
  QLineEdit* top_;
  QLineEdit* left_;
  QLineEdit* company_;
  QCheckBox* mission_;
  QCheckBox* warning_;
  QCheckBox* hybridPi_;
  ReportSettings result_;
};

}  // namespace kestrel::gui
