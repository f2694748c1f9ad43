#include "gui/profile/profile_window.hpp"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/choice.hpp"
#include "core/document_lock.hpp"
#include "core/number_format.hpp"
#include "core/path_names.hpp"
#include "core/strfmt.hpp"
#include "graph/chart_file.hpp"
#include "graph/profile_charts.hpp"
#include "graph/profile_run.hpp"
#include "graph/scratch_files.hpp"
#include "gui/command_buttons.hpp"
#include "gui/graph/chart_view.hpp"
#include "gui/profile/phase_table_model.hpp"
#include "gui/print_setup_dialog.hpp"
#include "gui/qt_text.hpp"
#include "gui/report_printing.hpp"
#include "gui/save_as.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/watched_run.hpp"
#include "reports/paper_sizes.hpp"
#include "reports/profile_report.hpp"
#include "reports/report_profile.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kProfileFilter = "Mission Profile Files (*.mpf)";
constexpr int kMaxRepetitions = 1000000;
constexpr const char* kUntitled = "UNTITLED.MPF";  // a profile not saved yet

// A number as the reports print it, without the padding of its column.
QString shown(double value, int width = 12, int precision = 6) {
  return QString::fromStdString(formatNumber(value, width, precision)).trimmed();
}

QTableWidget* readOnlyTable(const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setAlternatingRowColors(true);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void setCell(QTableWidget* table, int row, int column, const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
  table->setItem(row, column, item);
}

// The chart before a calculation: its titles on an empty ground.
graph::PlotModel waitingChart(const char* title) {
  graph::PlotModel plot;
  plot.title = title;
  plot.subtitle = "Calculate to draw the chart";
  return plot;
}

}  // namespace

MissionProfileWindow::MissionProfileWindow(MissionProfile profile, std::string path, GuiContext& context,
                                           QWidget* parent)
    : QWidget(parent), profile_(std::move(profile)), path_(std::move(path)), context_(context) {
  saveGuard_.remember(context_.fs, path_);
  auto* layout = new QVBoxLayout(this);

  // The profile's name and its top-level circuit or hybrid.
  auto* heading = new QHBoxLayout;
  auto* form = new QFormLayout;
  name_ = new QLineEdit(qtext(profile_.name), this);
  name_->setMaxLength(static_cast<int>(kMaxProfileName));
  form->addRow(tr("Profile Na&me:"), name_);
  auto* topRow = new QHBoxLayout;
  topLevel_ = new QLineEdit(qmixed(profile_.topLevel), this);
  topLevel_->setReadOnly(true);
  auto* browse = new QPushButton(tr("&Browse..."), this);
  browse->setAutoDefault(false);
  topRow->addWidget(topLevel_, 1);
  topRow->addWidget(browse);
  form->addRow(tr("Top-Level File:"), topRow);
  heading->addLayout(form, 1);
  layout->addLayout(heading);
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    profile_.name = stext(text);
    edited();
  });
  connect(browse, &QPushButton::clicked, this, [this] { chooseTopLevel(); });

  // The keyboard marks keep clear of the frame's menu letters (A D E F H L P W).
  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const char* text, const char* tip, auto command) {
    addCommandButton(this, buttons, tr(text), tr(tip), command);
  };
  button("Add Pha&se", "Add a phase after the selected one", [this] { addPhase(); });
  button("&Remove Phase", "Remove the selected phase", [this] { removePhase(); });
  button("Move &Up", "Move the selected phase one place earlier", [this] { movePhase(-1); });
  button("Move Dow&n", "Move the selected phase one place later", [this] { movePhase(1); });
  buttons->addSpacing(16);
  button("&Calculate", "Calculate every phase over the top-level hierarchy", [this] { calculate(); });
  buttons->addSpacing(16);
  button("Sa&ve", "Save the profile", [this] { save(); });
  button("Save As...", "Save the profile with a new name", [this] { saveAs(); });
  buttons->addStretch();
  button("Save Char&t...", "Save the chart in front as a PNG, SVG or PDF file", [this] { saveChart(); });
  button("Pr&int...", "Print the Mission Profile report", [this] { print(); });
  button("Print t&o File...", "Print the Mission Profile report to a PDF, RTF or text file", [this] { printToFile(); });
  layout->addLayout(buttons);

  // The phases, edited in place.
  auto* phaseBox = new QGroupBox(tr("Phases"), this);
  auto* phaseLayout = new QVBoxLayout(phaseBox);
  phases_ = new PhaseTableModel(profile_, *context_.ui, [this] { return messageName(); }, this);
  phases_->onEdited = [this] { edited(); };
  phaseView_ = new QTableView(phaseBox);
  phaseView_->setModel(phases_);
  phaseView_->setItemDelegateForColumn(PhaseTableModel::kEnvironment, new EnvironmentDelegate(phaseView_));
  phaseView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  phaseView_->setSelectionMode(QAbstractItemView::SingleSelection);
  phaseView_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
  phaseView_->setAlternatingRowColors(true);
  phaseView_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  phaseView_->horizontalHeader()->setSectionResizeMode(PhaseTableModel::kName, QHeaderView::Stretch);
  phaseLayout->addWidget(phaseView_);
  connect(phaseView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (result_ && current.isValid()) results_->selectRow(current.row());
            context_.stateChanged();
          });

  // The results beside the phases.
  auto* resultBox = new QGroupBox(tr("Results"), this);
  auto* resultLayout = new QVBoxLayout(resultBox);
  results_ = readOnlyTable({tr("Phase"), tr("FR (fpmh)"), tr("MTBF (hrs)"), tr("R")}, resultBox);
  results_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  results_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  resultLayout->addWidget(results_, 1);
  summary_ = new QLabel(resultBox);
  summary_->setTextFormat(Qt::RichText);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  resultLayout->addWidget(summary_);
  auto* repeatRow = new QHBoxLayout;
  auto* repeatLabel = new QLabel(tr("Repetitions:"), resultBox);
  repetitions_ = new QSpinBox(resultBox);
  repetitions_->setRange(1, kMaxRepetitions);
  repetitions_->setKeyboardTracking(false);
  repeatLabel->setBuddy(repetitions_);
  repeatRow->addWidget(repeatLabel);
  repeatRow->addWidget(repetitions_);
  repeated_ = new QLabel(resultBox);
  repeated_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  repeatRow->addWidget(repeated_, 1);
  resultLayout->addLayout(repeatRow);
  // Redundancy makes the reliability after n profiles more than the n-th
  // power of one: the hierarchy is calculated again for the new count.
  connect(repetitions_, &QSpinBox::valueChanged, this, [this] {
    if (result_) run(false);
  });
  contributorsTitle_ = new QLabel(tr("Top contributors"), resultBox);
  resultLayout->addWidget(contributorsTitle_);
  contributors_ = readOnlyTable({tr("Part Number"), tr("File"), tr("FR (fpmh)")}, resultBox);
  contributors_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  resultLayout->addWidget(contributors_, 1);
  connect(results_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    showContributors();
    if (row >= 0 && row != selectedPhase()) selectPhase(row);
  });

  auto* top = new QSplitter(Qt::Horizontal, this);
  top->addWidget(phaseBox);
  top->addWidget(resultBox);
  top->setStretchFactor(0, 1);
  top->setStretchFactor(1, 1);

  chartTabs_ = new QTabWidget(this);
  charts_[0] = new ChartView(waitingChart("FR per Mission Phase"), chartTabs_);
  charts_[1] = new ChartView(waitingChart("Reliability over the Mission"), chartTabs_);
  chartTabs_->addTab(charts_[0], tr("FR per Phase"));
  chartTabs_->addTab(charts_[1], tr("Reliability over the Mission"));

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(chartTabs_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setSizes({380, 360});
  split->setChildrenCollapsible(false);
  layout->addWidget(split, 1);

  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);

  setFocusProxy(phaseView_);
  if (!profile_.phases.empty()) selectPhase(0);
  showResult();
  updateTitle();
  setStatus(path_.empty() ? "Choose the phases, then Calculate." : "Calculate to see the profile's results.");
}

MissionProfileWindow::~MissionProfileWindow() = default;

std::string MissionProfileWindow::messageName() const {
  return path_.empty() ? std::string(kUntitled) : path_;
}

void MissionProfileWindow::updateTitle() {
  const std::string name = path_.empty() ? std::string(kUntitled) : upperCased(fileNameOf(path_));
  setWindowTitle(qmixed("Mission Profile - " + name + (modified_ ? " *" : "")));
}

void MissionProfileWindow::setStatus(const std::string& text) {
  status_->setText(qmixed(text));
  if (context_.statusText) context_.statusText(text.substr(0, text.find('\n')));
}

QString MissionProfileWindow::summaryText() const { return summary_->text() + "\n" + repeated_->text(); }

int MissionProfileWindow::selectedPhase() const {
  const QModelIndex current = phaseView_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void MissionProfileWindow::selectPhase(int row) {
  if (row < 0 || row >= phases_->rowCount()) return;
  phaseView_->setCurrentIndex(phases_->index(row, 0));
  phaseView_->selectRow(row);
}

void MissionProfileWindow::edited() {
  modified_ = true;
  if (result_) {
    result_.reset();
    showResult();
    setStatus("The profile has changed: Calculate to see its results.");
  }
  updateTitle();
  context_.stateChanged();
}

void MissionProfileWindow::addPhase() {
  if (profile_.phases.size() >= kMaxPhases) {
    ui().message(strprintf("'%s': a profile has 1 to %zu phases.", messageName().c_str(), kMaxPhases));
    return;
  }
  // The new phase starts as a copy of the selected one, named by its place.
  const int at = selectedPhase() >= 0 ? selectedPhase() + 1 : static_cast<int>(profile_.phases.size());
  MissionPhase phase = selectedPhase() >= 0 ? profile_.phases[static_cast<std::size_t>(selectedPhase())]
                                            : MissionPhase{};
  phase.name = strprintf("Phase %d", at + 1);
  profile_.phases.insert(profile_.phases.begin() + at, phase);
  phases_->reload();
  selectPhase(at);
  phaseView_->setFocus();  // the new phase's name is typed next
  edited();
}

void MissionProfileWindow::removePhase() {
  const int row = selectedPhase();
  if (row < 0) {
    ui().message("REMOVE: no phase selection.");
    return;
  }
  if (profile_.phases.size() == 1) {
    ui().message(strprintf("'%s': a profile has 1 to %zu phases.", messageName().c_str(), kMaxPhases));
    return;
  }
  profile_.phases.erase(profile_.phases.begin() + row);
  phases_->reload();
  selectPhase(std::min(row, static_cast<int>(profile_.phases.size()) - 1));
  edited();
}

void MissionProfileWindow::movePhase(int by) {
  const int row = selectedPhase();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= static_cast<int>(profile_.phases.size())) return;
  std::swap(profile_.phases[static_cast<std::size_t>(row)], profile_.phases[static_cast<std::size_t>(to)]);
  phases_->reload();
  selectPhase(to);
  edited();
}

void MissionProfileWindow::chooseTopLevel() {
  if (!context_.chooseFile) return;
  const std::string chosen =
      context_.chooseFile(false, "Choose Top-Level File", "Circuit Files (*.cir);;Hybrid Files (*.hyb)");
  if (chosen.empty()) return;
  // A file beside the profile is named by its name alone, so the two move together.
  const std::string top = !path_.empty() && folderOf(chosen) == folderOf(path_) ? fileNameOf(chosen) : chosen;
  if (top == profile_.topLevel) return;
  profile_.topLevel = top;
  topLevel_->setText(qmixed(top));
  edited();
}

bool MissionProfileWindow::calculate() { return run(true); }

bool MissionProfileWindow::run(bool withProgress) {
  graph::ProfileJob job;
  job.profilePath = messageName();
  job.profile = profile_;
  job.repetitions = repetitions_->value();
  job.openDocuments = context_.openDocuments;  // unsaved edits count
  ProfileResult out;
  WatchedUi watched(ui());
  // As Calculate does: the progress window stays up with its "OK" and the
  // results until the user closes it, which gives the keys back to the frame.
  auto* desktop = withProgress ? dynamic_cast<DialogUi*>(&ui()) : nullptr;
  if (desktop != nullptr) desktop->beginProgress("Mission Profile");
  const Status s = graph::runProfile(job, graph::posixScratchFiles(), watched, out);
  std::string line;
  if (s) {
    line = strprintf("FR=%s fpmh   MTBF=%s hrs.   R=%s", formatNumber(out.averageFailureRate, 12, 6).c_str(),
                     formatNumber(out.mtbf, 12, 6).c_str(), formatNumber(out.reliability, 8, 6).c_str());
    if (desktop != nullptr) {
      desktop->progressLine(4, "'" + upperCased(fileNameOf(messageName())) + "' Mission Profile Results:");
      desktop->progressLine(5, line);
    }
  }
  if (desktop != nullptr) desktop->endProgress();
  if (!s) {
    if (!watched.shown()) ui().message(s.message());
    setStatus(s.message());
    return false;
  }
  result_ = std::move(out);
  showResult();
  setStatus("'" + upperCased(fileNameOf(messageName())) + "' Mission Profile Results:   " + line);
  return true;
}

void MissionProfileWindow::showResult() {
  const int keep = std::max(selectedPhase(), 0);
  results_->setRowCount(0);
  contributors_->setRowCount(0);
  chartTabs_->setEnabled(result_.has_value());
  if (!result_) {
    summary_->setText(tr("Not calculated."));
    repeated_->clear();
    charts_[0]->setPlot(waitingChart("FR per Mission Phase"));
    charts_[1]->setPlot(waitingChart("Reliability over the Mission"));
    return;
  }
  const ProfileResult& r = *result_;
  charts_[0]->setPlot(graph::phaseFailureRatePlot(r, graph::ChartStyle{}));
  charts_[1]->setPlot(graph::profileReliabilityPlot(r, graph::ChartStyle{}));
  results_->setRowCount(static_cast<int>(r.phases.size()));
  for (int row = 0; row < results_->rowCount(); ++row) {
    const PhaseResult& p = r.phases[static_cast<std::size_t>(row)];
    setCell(results_, row, 0, qtext(p.phase.name), false);
    setCell(results_, row, 1, shown(p.failureRate), true);
    setCell(results_, row, 2, shown(p.mtbf, 12, 1), true);
    setCell(results_, row, 3, shown(p.reliability, 8, 6), true);
  }
  // Two figures a row, the values in bold.
  summary_->setText(QString::fromStdString(strprintf(
      "<table cellspacing=0 cellpadding=2>"
      "<tr><td>Total Hours:</td><td align=right><b>%s</b></td><td width=28></td>"
      "<td>Average FR:</td><td align=right><b>%s</b> fpmh</td></tr>"
      "<tr><td>Equivalent MTBF:</td><td align=right><b>%s</b> hrs.</td><td></td>"
      "<td>Reliability:</td><td align=right><b>%s</b></td></tr></table>",
      shown(r.totalHours, 12, 1).toStdString().c_str(), shown(r.averageFailureRate).toStdString().c_str(),
      shown(r.mtbf, 12, 1).toStdString().c_str(), shown(r.reliability, 8, 6).toStdString().c_str())));
  repeated_->setText(QString::fromStdString(strprintf("R after %d: %s", r.repetitions,
                                                      shown(r.repeatedReliability, 8, 6).toStdString().c_str())));
  results_->selectRow(std::min(keep, results_->rowCount() - 1));
  showContributors();
}

void MissionProfileWindow::showContributors() {
  contributors_->setRowCount(0);
  const int row = results_->currentRow();
  if (!result_ || row < 0 || row >= static_cast<int>(result_->phases.size())) {
    contributorsTitle_->setText(tr("Top contributors"));
    return;
  }
  const PhaseResult& phase = result_->phases[static_cast<std::size_t>(row)];
  contributorsTitle_->setText(qtext("Top contributors of '" + phase.phase.name + "'"));
  contributors_->setRowCount(static_cast<int>(phase.contributors.size()));
  for (int i = 0; i < contributors_->rowCount(); ++i) {
    const PhaseContributor& c = phase.contributors[static_cast<std::size_t>(i)];
    setCell(contributors_, i, 0, qtext(c.partNumber), false);
    setCell(contributors_, i, 1, qmixed(fileNameOf(c.circuit)), false);
    setCell(contributors_, i, 2, shown(c.failureRate), true);
  }
}

bool MissionProfileWindow::calculated() {
  if (result_) return true;
  ui().message("The mission profile must be calculated first.");
  return false;
}

bool MissionProfileWindow::saveChart() {
  if (!calculated()) return false;
  const std::string path =
      context_.chooseFile(true, "Save Chart As", "PNG Files (*.png);;SVG Files (*.svg);;PDF Files (*.pdf)");
  if (path.empty()) return false;
  const graph::PlotModel& plot = charts_[chartTabs_->currentIndex() == 1 ? 1 : 0]->plot();
  if (Status s = graph::writeChartFile(*context_.fs, plot, path); !s) {
    ui().message(s.message());
    return false;
  }
  setStatus("Chart saved to '" + path + "'.");
  return true;
}

void MissionProfileWindow::print() {
  if (!calculated()) return;
  const ReportSettings settings = loadReportSettings(*context_.settings);
  QPrinter printer(QPrinter::HighResolution);
  applyPrintSetup(printer, settings);
  QPrintDialog dialog(&printer, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  PrinterDevice device(printer);
  if (Status s = printProfileReport(*result_, device, ui(), settings); !s) {
    ui().message(s.message());
    return;
  }
  setStatus(std::string(kProfileReportTitle) + " printed.");
}

bool MissionProfileWindow::printToFile() {
  if (!calculated()) return false;
  const std::string path = context_.chooseFile(
      true, "Print Mission Profile Report",
      "Adobe PDF Files (*.pdf);;Rich Text RTF Files (*.rtf);;ASCII Text Files (*.txt)");
  if (path.empty()) return false;
  const ReportSettings settings = loadReportSettings(*context_.settings);
  if (Status s = writeProfileReport(*context_.fs, *result_, path, reportPaper(settings), settings); !s) {
    ui().message(s.message());
    return false;
  }
  setStatus(std::string(kProfileReportTitle) + " printed to '" + path + "'.");
  return true;
}

bool MissionProfileWindow::writeTo(const std::string& path) {
  MissionProfile written = profile_;
  // The top-level file is named by its name alone when it lies beside the
  // profile (the two then move together), else by its whole path.
  const std::string top = graph::profileTopPath(path_.empty() ? path : path_, profile_);
  written.topLevel = folderOf(top) == folderOf(path) ? fileNameOf(top) : top;
  if (Status s = saveProfile(*context_.fs, written, path); !s) {
    ui().message(s.message());
    return false;
  }
  profile_.topLevel = written.topLevel;
  topLevel_->setText(qmixed(profile_.topLevel));
  path_ = path;
  saveGuard_.remember(context_.fs, path_);
  modified_ = false;
  updateTitle();
  setStatus("Saved '" + path_ + "'.");
  context_.stateChanged();
  return true;
}

bool MissionProfileWindow::save() {
  if (path_.empty()) return saveAs();
  DocumentLock lock;
  if (!saveGuard_.mayWrite(*context_.fs, ui(), path_, lock)) return false;
  return writeTo(path_);
}

bool MissionProfileWindow::saveAs() {
  return saveAsAsking(context_, "Save Mission Profile As", kProfileFilter, ".mpf",
                      [this](const std::string& path) { return writeTo(path); });
}

bool MissionProfileWindow::mayClose() {
  if (!modified_) return true;
  const std::string name = path_.empty() ? std::string(kUntitled) : upperCased(fileNameOf(path_));
  return mayCloseAsking(context_, name, [this] { return save(); }, [this] { modified_ = false; });
}

void MissionProfileWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(mayClose());
}

}  // namespace kestrel::gui
