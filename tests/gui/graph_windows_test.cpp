// The graph windows driven as a user drives them, offscreen, inside the real
// frame: the Graph page and the Calculate dialog are answered by a script,
// messages and questions land in a recorder. Every run is repeated through
// `kestrel graph` on a fresh copy of the examples, and the data file, the
// chart image and the graph definition file must be the same bytes.
//
// With KESTREL_SCREENSHOTS=<folder> every chart window of the runs is also
// grabbed to <folder>/chart_<case>.png.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <fstream>

#include "core/strfmt.hpp"
#include "graph/chart_file.hpp"
#include "graph/chart_renderer.hpp"
#include "graph/graph_definition.hpp"
#include "gui/dialogs.hpp"
#include "gui/graph/chart_view.hpp"
#include "gui/graph/chart_window.hpp"
#include "gui/graph/graph_sheet.hpp"
#include "desktop_fixture.hpp"

using namespace kestrel;
using namespace kestrel::gui;
namespace fs = std::filesystem;

namespace {

// What the user types into the Graph page.
struct PageEntries {
  int type = 0;
  std::string from, to, step;
  bool years = false;
  std::string environments;
  std::string maxItems;
  bool topOnly = false;
};

PageEntries page(int type, std::string from, std::string to, std::string step, bool years = false,
                 std::string environments = "", std::string maxItems = "", bool topOnly = false) {
  return {type, std::move(from), std::move(to), std::move(step), years, std::move(environments), std::move(maxItems),
          topOnly};
}

void enter(GraphSheet& sheet, const PageEntries& e) {
  sheet.chooseType(e.type);
  auto set = [&sheet](const char* name, const std::string& text) {
    if (!text.empty()) sheet.findChild<QLineEdit*>(name)->setText(QString::fromStdString(text));
  };
  set("from", e.from);
  set("to", e.to);
  set("step", e.step);
  set("environments", e.environments);
  set("maxItems", e.maxItems);
  sheet.findChild<QComboBox*>("timeUnit")->setCurrentIndex(e.years ? 1 : 0);
  sheet.findChild<QCheckBox*>("hierarchy")->setChecked(!e.topOnly);
}

// The same entries as options of `kestrel graph`.
std::vector<std::string> options(const PageEntries& e) {
  std::vector<std::string> out{"--type", std::to_string(e.type)};
  auto add = [&out](const char* name, const std::string& value) {
    if (!value.empty()) out.insert(out.end(), {name, value});
  };
  if (e.years) out.push_back("--years");
  add("--from", e.from);
  add("--to", e.to);
  add("--step", e.step);
  add("--env", e.environments);
  add("--max-items", e.maxItems);
  if (e.topOnly) out.push_back("--top-only");
  return out;
}

// Pixels close to the first series colour: the first curve, bar or slice.
long seriesPixels(const QImage& image) {
  const graph::Color c = graph::seriesColor(0);
  const QColor want = QColor::fromRgbF(float(c.r), float(c.g), float(c.b));
  long n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - want.red()) + std::abs(p.green() - want.green()) + std::abs(p.blue() - want.blue()) < 24) {
        ++n;
      }
    }
  }
  return n;
}

}  // namespace

class GraphWindowsTest final : public QObject, test::DesktopFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void graphRunsMatchCommandLine();
  void pageRefusesBadEntries();
  void definitionSavedFromPageOpensBackAndMatchesCommandLine();
  void damagedDefinitionFilesAreRefused();
  void closingChartOffersToSaveDefinition();
  void cancelledRunLeavesNoChartAndNoFiles();

 private:
  void triggerGraph();
  ChartWindow* activeChart() const;
  // Runs a graph of `top` through the window with the page entries and the
  // Calculate dialog's mode.
  void graphThroughWindow(const fs::path& top, const PageEntries& entries, bool mission);
};

void GraphWindowsTest::initTestCase() {
  QVERIFY(setUp(true));
  frame->resize(1000, 760);
}

void GraphWindowsTest::init() { reset(); }

void GraphWindowsTest::cleanup() {
  ui.answers.assign(20, false);  // no definition is saved by the clean-up
  closeWindows();
  QVERIFY(dialogs.empty());  // every scripted dialog was shown
}

void GraphWindowsTest::triggerGraph() {
  QAction* item = test::menuItem(*frame, "Activities", "&Graph...");
  QVERIFY2(item != nullptr, "no Activities > Graph... item");
  item->trigger();
}

ChartWindow* GraphWindowsTest::activeChart() const {
  QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
  return sub != nullptr ? dynamic_cast<ChartWindow*>(sub->widget()) : nullptr;
}

void GraphWindowsTest::graphThroughWindow(const fs::path& top, const PageEntries& entries, bool mission) {
  QVERIFY(frame->openFile(top.string()));
  dialogs.push_back([entries](QDialog& d) {
    auto& sheet = dynamic_cast<GraphSheet&>(d);
    enter(sheet, entries);
    sheet.accept();
    return sheet.result();
  });
  dialogs.push_back([mission](QDialog& d) {
    auto& calculate = dynamic_cast<CalculateDialog&>(d);
    calculate.setMission(mission);
    calculate.setTime("8760");
    calculate.accept();
    return calculate.result();
  });
  triggerGraph();
}

void GraphWindowsTest::graphRunsMatchCommandLine() {
  struct Case {
    const char* name;
    PageEntries entries;
    bool mission;
    std::size_t seriesCount;  // curves of a line chart; 0: bars or slices
  };
  const Case cases[] = {
      {"fr-temperature", {0, "0", "100", "10", false, "", "", false}, false, 1},
      {"mtbf-temp-env-mission", {6, "20", "60", "20", false, "GB NS", "", false}, true, 2},
      {"fr-environment", {1, "", "", "", false, "GB GF NS AIC", "", false}, false, 0},
      {"pct-part-types", {12, "", "", "", false, "", "5", false}, false, 0},
      {"fr-circuits-top-only", {10, "", "", "", false, "", "3", true}, false, 0},
      {"reliability-years", {14, "0", "20", "2", true, "", "", false}, false, 1},
  };
  for (const Case& c : cases) {
    const fs::path gui = freshExamples(std::string("gui-") + c.name);
    const fs::path cli = freshExamples(std::string("cli-") + c.name);
    graphThroughWindow(gui / "system.cir", c.entries, c.mission);
    ChartWindow* chart = activeChart();
    QVERIFY2(chart != nullptr, (std::string(c.name) + ": " + lastMessage()).c_str());
    QVERIFY2(ui.messages.empty(), lastMessage().c_str());

    std::vector<std::string> args{"graph", (cli / "system.cir").string()};
    const auto more = options(c.entries);
    args.insert(args.end(), more.begin(), more.end());
    if (c.mission) args.insert(args.end(), {"--mission", "8760"});
    args.insert(args.end(), {"-o", (cli / "chart.png").string()});
    const test::RunResult r = kestrel(args);
    QVERIFY2(r.exitCode == 0, r.err.c_str());

    const std::string csv = test::readBytes(gui / "GRAPH-DATA.CSV");
    QVERIFY2(!csv.empty(), c.name);
    QCOMPARE(csv, test::readBytes(cli / "GRAPH-DATA.CSV"));

    // Save As image writes the command line's chart file.
    chosenFiles.push_back((gui / "chart.png").string());
    chart->saveImage();
    QVERIFY2(test::readBytes(gui / "chart.png") == test::readBytes(cli / "chart.png"), c.name);

    QCOMPARE(chart->plot().kind == graph::PlotKind::Lines ? chart->plot().series.size() : 0u, c.seriesCount);
    // The screen image and the command line's PNG show the first series in
    // about the same number of pixels (fonts may differ slightly).
    const QImage painted = chartImage(chart->plot());
    const QImage filed(QString::fromStdString((cli / "chart.png").string()));
    const long a = seriesPixels(painted), b = seriesPixels(filed);
    QVERIFY2(a > 50 && b > 50, c.name);
    QVERIFY2(a * 10 > b * 7 && b * 10 > a * 7, strprintf("%s: %ld vs %ld pixels", c.name, a, b).c_str());

    const std::string pdf = (gui / "chart.pdf").string();
    QVERIFY(chart->printToPdf(pdf));
    QVERIFY(test::readBytes(pdf).starts_with("%PDF"));

    if (qEnvironmentVariableIsSet("KESTREL_SCREENSHOTS")) {
      frame->show();
      QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
      sub->move(40, 20);
      sub->resize(880, 600);
      QApplication::processEvents();
      const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOTS");
      fs::create_directories(folder.toStdString());
      QVERIFY(frame->grab().save(folder + "/chart_" + c.name + ".png"));
    }
    ui.answers = {false};  // the chart's save question
    frame->mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    QVERIFY(ui.answers.empty());
  }
}

// Each field of the page read and refused with its name; the rules
// themselves are the graph definition's.
void GraphWindowsTest::pageRefusesBadEntries() {
  struct Case {
    PageEntries entries;
    std::string message;
  };
  const Case cases[] = {
      {page(0, "-56", "100", "10"), "Number entry for \"From\" is out of range: -55 to 175"},
      {page(3, "0", "101", "10"), "Number entry for \"To\" is out of range: 0 to 100"},
      {page(14, "0", "100", "1001", true), "Number entry for \"Step\" is out of range: 1 to 1000"},
      {page(0, "0", "10", "10"),
       "Please adjust From/To/Step to give minimum of 3 data points...\n...From 0 To 10 Step 10 gives 2 data points."},
      {page(1, "", "", "", false, "GB XX"), "Please edit \"Environment\"...\n...\"XX\" is not a valid environment code."},
      {page(9, "", "", "", false, "", "2"), "Number entry for \"Max Items\" is out of range: 3 to 100"},
      {page(0, "ten", "100", "10"), "Please enter a number."},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    GraphSheet sheet(frame->context(), graph::GraphDefinition{});
    enter(sheet, c.entries);
    sheet.accept();
    QCOMPARE(sheet.result(), static_cast<int>(QDialog::Rejected));
    QCOMPARE(lastMessage(), c.message);
  }
}

void GraphWindowsTest::definitionSavedFromPageOpensBackAndMatchesCommandLine() {
  const fs::path folder = freshExamples("gdf");
  const PageEntries entries{2, "-40", "120", "20", false, "GF NU", "", false};
  GraphSheet sheet(frame->context(), graph::GraphDefinition{});
  enter(sheet, entries);
  chosenFiles.push_back((folder / "page").string());  // ".gdf" is added
  sheet.saveDefinition();
  QVERIFY2(ui.messages.empty(), lastMessage().c_str());
  QCOMPARE(graph::lastGraphDefinition(*settings), (folder / "page.gdf").string());

  GraphSheet reopened(frame->context(), graph::GraphDefinition{});
  chosenFiles.push_back((folder / "page.gdf").string());
  reopened.openDefinition();
  graph::GraphDefinition a, b;
  QVERIFY(sheet.read(a));
  QVERIFY(reopened.read(b));
  QCOMPARE(graph::encodeGraphDefinition(b), graph::encodeGraphDefinition(a));

  std::vector<std::string> args{"graph", (folder / "system.cir").string()};
  const auto more = options(entries);
  args.insert(args.end(), more.begin(), more.end());
  args.insert(args.end(), {"--save-gdf", (folder / "cli.gdf").string()});
  const test::RunResult r = kestrel(args);
  QVERIFY2(r.exitCode == 0, r.err.c_str());
  QCOMPARE(test::readBytes(folder / "page.gdf"), test::readBytes(folder / "cli.gdf"));
}

void GraphWindowsTest::damagedDefinitionFilesAreRefused() {
  const fs::path folder = freshExamples("damaged");
  graph::GraphDefinition good;
  good.settings = graph::defaultSettings(graph::kFrVsStress);
  std::vector<std::uint8_t> bytes = graph::encodeGraphDefinition(good);
  auto write = [&folder](const std::string& name, const std::vector<std::uint8_t>& content) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return (folder / name).string();
  };
  const std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + 9);
  struct Case {
    std::string path;
    std::string start;  // the message begins so
  };
  const Case cases[] = {
      {write("short.gdf", truncated), "GDF Open...\n...can not read from '" + (folder / "short.gdf").string() +
                                          "'...\n...[CArchiveException...1]."},
      {(folder / "missing.gdf").string(), "GDF Open...\n...can not open '"},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    GraphSheet sheet(frame->context(), graph::GraphDefinition{});
    chosenFiles.push_back(c.path);
    sheet.openDefinition();
    QVERIFY2(lastMessage().starts_with(c.start), lastMessage().c_str());
    graph::GraphDefinition shown;
    QVERIFY(sheet.read(shown));
    QCOMPARE(shown.settings.type, 0);  // the page keeps what it showed
  }
}

void GraphWindowsTest::closingChartOffersToSaveDefinition() {
  const fs::path folder = freshExamples("close");
  const PageEntries entries = page(3, "10", "90", "20");
  graphThroughWindow(folder / "system.cir", entries, false);
  ChartWindow* chart = activeChart();
  QVERIFY(chart != nullptr);

  // Yes, then a cancelled file chooser: the window stays open.
  ui.questions.clear();
  ui.answers = {true};
  QVERIFY(!chart->mayClose());
  QCOMPARE(ui.questions, std::vector<std::string>{std::string(graph::kSaveDefinitionQuestion)});

  ui.answers = {true};
  chosenFiles.push_back((folder / "stress.gdf").string());
  QVERIFY(chart->mayClose());
  graph::GraphDefinition saved;
  QVERIFY(graph::openGraphDefinition(posixFileSystem(), (folder / "stress.gdf").string(), saved));
  QCOMPARE(saved.settings.type, 3);
  QCOMPARE(saved.settings.from, 10L);
  QCOMPARE(saved.settings.step, 20L);
}

void GraphWindowsTest::cancelledRunLeavesNoChartAndNoFiles() {
  const fs::path folder = freshExamples("cancel");
  auto nothingLeft = [&folder] {
    QVERIFY(!fs::exists(folder / "GRAPH-DATA.CSV"));
    for (const auto& entry : fs::directory_iterator(folder)) {
      QVERIFY2(!entry.path().filename().string().starts_with("TMP"), entry.path().c_str());
    }
  };
  // Cancel pressed as the copies begin, then Yes to the question.
  ui.cancel = true;
  graphThroughWindow(folder / "system.cir", page(0, "0", "100", "10"), false);
  ui.cancel = false;
  QVERIFY(activeChart() == nullptr);
  QVERIFY(std::find(ui.questions.begin(), ui.questions.end(), "Cancel temporary directory copy operation?") !=
          ui.questions.end());
  nothingLeft();

  // Cancel in the Calculate dialog after the confirmation: nothing is created.
  scriptAccept<GraphSheet>();
  bool calculateShown = false;
  script([&calculateShown](QDialog& d) {
    calculateShown = dynamic_cast<CalculateDialog*>(&d) != nullptr;
    return static_cast<int>(QDialog::Rejected);
  });
  triggerGraph();
  QVERIFY(calculateShown);
  QVERIFY(activeChart() == nullptr);
  nothingLeft();
}

int main(int argc, char** argv) { return test::runTests<GraphWindowsTest>(argc, argv); }
#include "graph_windows_test.moc"
