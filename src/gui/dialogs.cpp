#include "gui/dialogs.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "gui/qt_text.hpp"
#include "reports/report_kinds.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

QDialogButtonBox* okCancel(QDialog* dialog, QLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
  return buttons;
}

// A whole entry of a typed number, nothing else around it but blanks.
bool parseTime(const std::string& text, double& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  value = std::strtod(begin, &end);
  if (end == begin) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' && std::isfinite(value);
}

// The mission time with 6 decimals below 1 hour, 5 below 10 and 4 otherwise.
std::string timeText(double hours) {
  const int decimals = hours < 1.0 ? 6 : (hours < 10.0 ? 5 : 4);
  return strprintf("%.*f", decimals, hours);
}


}  // namespace

// ---- Calculate ----

CalculateDialog::CalculateDialog(Settings& settings, Ui& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui) {
  setWindowTitle(tr("Calculate"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(tr("Mode"), this);
  auto* modes = new QVBoxLayout(group);
  basic_ = new QRadioButton(tr("&Basic"), group);
  mission_ = new QRadioButton(tr("&Mission + Basic"), group);
  modes->addWidget(basic_);
  modes->addWidget(mission_);
  layout->addWidget(group);
  auto* form = new QFormLayout;
  time_ = new QLineEdit(this);
  time_->setObjectName("MissionTime");
  form->addRow(tr("Mission &Time (hrs.)"), time_);
  layout->addLayout(form);
  okCancel(this, layout);
  setMission(settings_.whole("Calculate", "Mode") == 1);
  time_->setText(qtext(timeText(settings_.real("Calculate", "Time"))));
}

void CalculateDialog::setMission(bool mission) {
  mission_->setChecked(mission);
  basic_->setChecked(!mission);
}

void CalculateDialog::setTime(const std::string& text) { time_->setText(qtext(text)); }

void CalculateDialog::accept() {
  double hours = 0.0;
  if (!parseTime(time_->text().toStdString(), hours)) {
    ui_.message("Please enter a number.");
    time_->setFocus();
    return;
  }
  hours = limitedMissionTime(hours, ui_);
  time_->setText(qtext(timeText(hours)));
  job_.mission = mission_->isChecked();
  job_.missionTime = hours;
  settings_.setWhole("Calculate", "Mode", job_.mission ? 1 : 0);
  settings_.setReal("Calculate", "Time", hours);
  QDialog::accept();
}

// ---- Add ----

std::size_t firstAddType(bool hybrid) {
  constexpr std::uint16_t kResistor = 401;  // the fixed resistor's type id in the files
  const auto table = menuTable(hybrid);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].id == kResistor) return i + 1;
  }
  return 1;
}

AddPartDialog::AddPartDialog(const std::vector<std::string>& menu, bool hybrid, bool haveLast,
                             Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), hybrid_(hybrid) {
  setWindowTitle(tr("Add Part"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  types_ = new QComboBox(this);
  types_->setObjectName("PartType");
  for (std::size_t i = 1; i < menu.size(); ++i) types_->addItem(qtext(menu[i]));
  form->addRow(tr("Part &Type"), types_);
  defaultsBox_ = new QCheckBox(tr("Fill in &default parameters"), this);
  lastBox_ = new QCheckBox(tr("&Keep last record"), this);
  lastBox_->setEnabled(haveLast);
  recallBox_ = new QCheckBox(tr("Library &Recall by PN"), this);
  form->addRow(defaultsBox_);
  form->addRow(lastBox_);
  form->addRow(recallBox_);
  layout->addLayout(form);
  okCancel(this, layout);
  // The class used last; the first time, the commonest part rather than the
  // first entry of the menu (a sub-circuit).
  long stored = settings_.whole("Circuit Add", hybrid ? "HybType" : "CircType");
  if (stored < 1 || stored > types_->count()) stored = static_cast<long>(firstAddType(hybrid));
  if (stored >= 1 && stored <= types_->count()) types_->setCurrentIndex(static_cast<int>(stored) - 1);
  defaultsBox_->setChecked(settings_.on("Circuit Add", "Defaults"));
  // Keeping the last record falls back to choosing a type when there is none.
  lastBox_->setChecked(haveLast && settings_.whole("Circuit Add", "Mode") == 2);
  recallBox_->setChecked(settings_.whole("Circuit Add", "Mode") == 1);
  // The three modes exclude each other.
  connect(recallBox_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) lastBox_->setChecked(false);
  });
  connect(lastBox_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) recallBox_->setChecked(false);
  });
}

void AddPartDialog::chooseRecall(bool recall) { recallBox_->setChecked(recall); }

void AddPartDialog::choose(std::size_t menuIndex, bool defaults, bool keepLast) {
  if (menuIndex >= 1) types_->setCurrentIndex(static_cast<int>(menuIndex) - 1);
  defaultsBox_->setChecked(defaults);
  lastBox_->setChecked(keepLast && lastBox_->isEnabled());
}

void AddPartDialog::accept() {
  index_ = static_cast<std::size_t>(types_->currentIndex() + 1);
  defaults_ = defaultsBox_->isChecked();
  keepLast_ = lastBox_->isChecked();
  recall_ = recallBox_->isChecked() && !keepLast_;
  settings_.setWhole("Circuit Add", "Mode", keepLast_ ? 2 : recall_ ? 1 : 0);
  settings_.setWhole("Circuit Add", hybrid_ ? "HybType" : "CircType", static_cast<long>(index_));
  settings_.setOn("Circuit Add", "Defaults", defaults_);
  QDialog::accept();
}

// ---- Report Setup ----

ReportSetupDialog::ReportSetupDialog(Settings& settings, Ui& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui), result_(loadReportSettings(settings)) {
  setWindowTitle("Report Setup");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  format_ = new QComboBox(this);
  std::vector<std::string> titles;
  if (Status s = buildReportTypesMenu(titles); !s) ui_.message(s.message());
  for (const std::string& title : titles) format_->addItem(qtext(title));
  format_->setCurrentIndex(result_.format);
  sortBy_ = new QComboBox(this);
  for (int key = 1; key <= kSortKeyCount; ++key) {
    sortBy_->addItem(qtext(std::string(sortKeyName(static_cast<SortKey>(key)))));
  }
  sortBy_->setCurrentIndex(static_cast<int>(result_.sortBy) - 1);
  top_ = new QLineEdit(qtext(strprintf("%.2f", static_cast<double>(result_.topMargin))), this);
  left_ = new QLineEdit(qtext(strprintf("%.2f", static_cast<double>(result_.leftMargin))), this);
  company_ = new QLineEdit(qtext(result_.company), this);
  mission_ = new QCheckBox(tr("Mission results"), this);
  warning_ = new QCheckBox(tr("Warning messages"), this);
  hybridPi_ = new QCheckBox(tr("Hybrid pi factors"), this);
  mission_->setChecked(result_.missionResults);
  warning_->setChecked(result_.warningMsg);
  hybridPi_->setChecked(result_.hybridPiFactors);
  form->addRow(tr("Report Format"), format_);
  form->addRow(tr("Sort By"), sortBy_);
  form->addRow(tr("Top Margin (in)"), top_);
  form->addRow(tr("Left Margin (in)"), left_);
  form->addRow(tr("Company"), company_);
  form->addRow(mission_);
  form->addRow(warning_);
  form->addRow(hybridPi_);
  layout->addLayout(form);
  okCancel(this, layout);
}

void ReportSetupDialog::setMargins(const std::string& top, const std::string& left) {
  top_->setText(qtext(top));
  left_->setText(qtext(left));
}

void ReportSetupDialog::accept() {
  double top = 0.0, left = 0.0;
  if (!parseTime(top_->text().toStdString(), top) || !parseTime(left_->text().toStdString(), left)) {
    ui_.message("Please enter a number.");
    return;
  }
  result_.format = format_->currentIndex();
  result_.sortBy = sortKeyFromIndex(sortBy_->currentIndex() + 1);
  result_.topMargin = static_cast<float>(top);
  result_.leftMargin = static_cast<float>(left);
  result_.company = stext(company_->text());
  result_.missionResults = mission_->isChecked();
  result_.warningMsg = warning_->isChecked();
  result_.hybridPiFactors = hybridPi_->isChecked();
  applyReportSetup(result_, ui_);
  storeReportSettings(settings_, result_);
  QDialog::accept();
}

}  // namespace kestrel::gui
