// The window of one mission profile: its name and top-level file, the
// phases edited in place, Calculate over the desktop's open documents, and
// beside the phases the results -- per phase the failure rate, MTBF and
// reliability, over the profile the average failure rate, the equivalent
// MTBF and the reliability once and after a number of repetitions, and the
// records that carry most of the selected phase. Below them the two charts,
// saved as images or printed with the "Mission Profile" report.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "core/mission_profile.hpp"
#include "core/mission_profile_result.hpp"
#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"
#include "gui/save_guard.hpp"

class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace kestrel::gui {

class ChartView;
class PhaseTableModel;

class MissionProfileWindow final : public QWidget, public FrameChild {
 public:
  // `path` is empty for a profile not saved yet.
  MissionProfileWindow(MissionProfile profile, std::string path, GuiContext& context, QWidget* parent = nullptr);
  ~MissionProfileWindow() override;

  const MissionProfile& profile() const { return profile_; }
  const std::string& path() const { return path_; }
  bool isModified() const { return modified_; }
  PhaseTableModel* phases() const { return phases_; }
  QTableView* phaseView() const { return phaseView_; }
  QTableWidget* resultTable() const { return results_; }
  QTableWidget* contributorTable() const { return contributors_; }
  QSpinBox* repetitions() const { return repetitions_; }
  // The last calculation's results; none before it and after any edit.
  const std::optional<ProfileResult>& result() const { return result_; }
  // The profile's summary lines as shown (average FR, MTBF, reliability...).
  QString summaryText() const;
  ChartView* chart(int which) const { return charts_[which]; }
  QTabWidget* chartTabs() const { return chartTabs_; }

  // ---- commands ----
  void addPhase();
  void removePhase();
  void movePhase(int by);
  void chooseTopLevel();
  // The calculation with the progress window; false when it failed or was stopped.
  bool calculate();
  bool save();
  bool saveAs();
  // The chart in front as a .png, .svg or .pdf file.
  bool saveChart();
  // The "Mission Profile" report on the printer, or into a .pdf, .rtf or .txt file.
  void print();
  bool printToFile();

  bool mayClose() override;
  WindowState frameState() const override { return {kProfileWindow, selectedPhase() >= 0}; }

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  // The calculation; the progress window only for Calculate, not for a new
  // number of repetitions.
  bool run(bool withProgress);
  int selectedPhase() const;
  void selectPhase(int row);
  // The profile or its phases changed: the results no longer hold.
  void edited();
  void showResult();
  void showContributors();
  void updateTitle();
  void setStatus(const std::string& text);
  // The name messages give the profile: its file, or the window's title.
  std::string messageName() const;
  bool writeTo(const std::string& path);
  // False (told) without results.
  bool calculated();
  Ui& ui() { return *context_.ui; }

  MissionProfile profile_;
  std::string path_;
  GuiContext& context_;
  std::optional<ProfileResult> result_;
  bool modified_ = false;
  SaveGuard saveGuard_;
  QLineEdit* name_;
  QLineEdit* topLevel_;
  PhaseTableModel* phases_;
  QTableView* phaseView_;
  QTableWidget* results_;
  QLabel* summary_;
  QSpinBox* repetitions_;
  QLabel* repeated_;
  QTableWidget* contributors_;
  QLabel* contributorsTitle_;
  QTabWidget* chartTabs_;
  ChartView* charts_[2];
  QLabel* status_;
};

}  // namespace kestrel::gui
