// Every sweep type on the sample hierarchy: each swept value equals a
// separate calculation of a copy of the same hierarchy at that setting (a
// What-If? to the temperature, environment or stress, then a calculation;
// or a calculation at that mission time), and the files stay as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "graph/graph_run.hpp"
#include "graph_fixture.hpp"

namespace kestrel::graph {
namespace {

using test::GraphFixture;
using test::Reference;

// The value a point should have: curve c, point i of the data.
using Expected = std::function<double(const GraphFixture&, const GraphData&, std::size_t c, std::size_t i)>;

struct SweepCase {
  const char* name;
  GraphSettings settings;
  Expected expected;
  double tolerance;  // relative
};
void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }


GraphSettings range(int type, long from, long to, long step, const char* envs = "GB", bool mission = false,
                    double missionTime = -1.0) {
  GraphSettings s;
  s.type = type;
  s.from = from, s.to = to, s.step = step;
  s.environments = envs;
  s.mission = mission;
  s.missionTime = missionTime;
  return s;
}

GraphSettings inYears(GraphSettings s) {
  s.timeUnit = TimeUnit::Years;
  return s;
}

std::uint8_t envCode(const GraphData& d, std::size_t k) {
  return static_cast<std::uint8_t>(kEnvironments.find(d.environments.at(k)));
}

const Expected frAtTemperature = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atTemperature(d.x[i]).fr;
};
const Expected mtbfAtTemperature = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atTemperature(d.x[i]).mtbf;
};
const Expected missionMtbfAtTemperature = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atTemperature(d.x[i], true, 1000.0).missionMtbf;
};
const Expected frInEnvironment = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atEnvironment(envCode(d, i), NAN).fr;
};
const Expected mtbfInEnvironment = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atEnvironment(envCode(d, i), NAN).mtbf;
};
const Expected frInEnvironmentAtTemperature = [](const GraphFixture& f, const GraphData& d, std::size_t c,
                                                 std::size_t i) { return f.atEnvironment(envCode(d, c), d.x[i]).fr; };
const Expected missionMtbfInEnvironmentAtTemperature = [](const GraphFixture& f, const GraphData& d, std::size_t c,
                                                          std::size_t i) {
  return f.atEnvironment(envCode(d, c), d.x[i], true).missionMtbf;
};
const Expected frAtStress = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atStress(d.x[i]).fr;
};
const Expected mtbfAtStress = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.atStress(d.x[i]).mtbf;
};
const Expected basicRAtHours = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.reference({}, false, d.x[i]).basicR;
};
const Expected missionRAtHours = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.reference({}, true, d.x[i]).missionR;
};
const Expected missionRAtYears = [](const GraphFixture& f, const GraphData& d, std::size_t, std::size_t i) {
  return f.reference({}, true, d.x[i] * 8760.0).missionR;
};

class Sweeps : public ::testing::TestWithParam<SweepCase>, protected GraphFixture {
 protected:
  void SetUp() override { writeSample(); }
};

TEST_P(Sweeps, EveryPointEqualsASeparateCalculationAtItsSetting) {
  const SweepCase& c = GetParam();
  const auto before = snapshot();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = topPath();
  job.settings = c.settings;
  job.seconds = 1234;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok) << ui.lines[5] << (ui.messages.empty() ? "" : ui.messages.back());

  const GraphData& d = out.data;
  ASSERT_FALSE(d.series.empty());
  const bool bars = sweepOf(c.settings.type) == Sweep::Environment;
  std::vector<std::uint8_t> codes;
  (void)parseEnvironments(c.settings.environments, codes);
  const std::size_t points = bars ? codes.size()
                                  : static_cast<std::size_t>(rangePointCount(c.settings.from, c.settings.to,
                                                                             c.settings.step));
  for (std::size_t curve = 0; curve < d.series.size(); ++curve) {
    ASSERT_EQ(d.series[curve].size(), points);
    for (std::size_t i = 0; i < points; ++i) {
      const double want = c.expected(*this, d, curve, i);
      EXPECT_NEAR(d.series[curve][i], want, std::abs(want) * c.tolerance) << "curve " << curve << " point " << i;
    }
  }
  // The sweep changes what it sweeps: its first and last points differ.
  EXPECT_NE(d.series.front().front(), d.series.front().back());
  EXPECT_EQ(out.filesCopied, 3);
  // The user's files are as they were; the data file has come beside them.
  auto after = snapshot();
  ASSERT_EQ(after.count("GRAPH-DATA.CSV"), 1u);
  EXPECT_EQ(after["GRAPH-DATA.CSV"], out.csvText);
  after.erase("GRAPH-DATA.CSV");
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Graph, Sweeps,
    ::testing::Values(
        SweepCase{"FrVsTemperature", range(kFrVsTemperature, -40, 120, 40), frAtTemperature, 1e-12},
        SweepCase{"MtbfVsTemperature", range(kMtbfVsTemperature, 0, 150, 50), mtbfAtTemperature, 1e-12},
        SweepCase{"MissionMtbfVsTemperature", range(kMtbfVsTemperature, 20, 100, 40, "GB", true, 1000.0),
                  missionMtbfAtTemperature, 1e-9},
        SweepCase{"FrVsEnvironment", range(kFrVsEnvironment, 0, 0, 0, "GB,NS AIF\tCL"), frInEnvironment, 1e-12},
        SweepCase{"MtbfVsEnvironment", range(kMtbfVsEnvironment, 0, 0, 0, "GF ML"), mtbfInEnvironment, 1e-12},
        SweepCase{"FrVsTemperatureEnvironment", range(kFrVsTempEnv, 0, 100, 50, "GB NU"),
                  frInEnvironmentAtTemperature, 1e-12},
        SweepCase{"MissionMtbfVsTemperatureEnvironment", range(kMtbfVsTempEnv, 25, 125, 50, "GM SF", true, 500.0),
                  missionMtbfInEnvironmentAtTemperature, 1e-9},
        SweepCase{"FrVsStress", range(kFrVsStress, 10, 90, 40), frAtStress, 1e-12},
        SweepCase{"MtbfVsStress", range(kMtbfVsStress, 0, 100, 25), mtbfAtStress, 1e-12},
        SweepCase{"ReliabilityVsHours", range(kReliabilityVsTime, 0, 200000, 50000), basicRAtHours, 1e-7},
        SweepCase{"MissionReliabilityVsHours", range(kReliabilityVsTime, 1000, 41000, 20000, "GB", true, 8760.0),
                  missionRAtHours, 1e-5},
        SweepCase{"MissionReliabilityVsYears", inYears(range(kReliabilityVsTime, 1, 5, 2, "GB", true, 8760.0)),
                  missionRAtYears, 1e-5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SweepProgress, StepLinesNameEachPointAndTheRestoredTemperature) {
  GraphFixture f;
  f.writeSample();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = f.topPath();
  job.settings = range(kFrVsTemperature, 0, 20, 10);
  ASSERT_TRUE(runGraph(job, posixFileSystem(), posixScratchFiles(), ui).ok);
  const std::vector<std::string> expected{"'TOP.CIR' - 0C (Step 1 of 3)", "'TOP.CIR' - 10C (Step 2 of 3)",
                                          "'TOP.CIR' - 20C (Step 3 of 3)",
                                          "'TOP.CIR' - Restore Temperature (30C)"};
  std::vector<std::string> steps;
  for (const std::string& line : ui.lineHistory[3]) {
    if (line.rfind("'TOP.CIR' -", 0) == 0) steps.push_back(line);
  }
  EXPECT_EQ(steps, expected);
  const auto& stages = ui.lineHistory[1];
  for (const char* stage : {"Graph: Creating Temporary Directory...", "Graph: Copying Files to Temporary Directory...",
                            "Graph: Batch Calculations...", "Graph: Calculation Iteration...",
                            "Graph: Writing Raw Data to CSV File...", "Creating Graph for 'TOP.CIR'...",
                            "Graph: Deleting Temporary Directory..."}) {
    EXPECT_NE(std::find(stages.begin(), stages.end(), stage), stages.end()) << stage;
  }
}

TEST(SweepProgress, TemperatureWithinEnvironmentNamesBoth) {
  GraphFixture f;
  f.writeSample();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = f.topPath();
  job.settings = range(kFrVsTempEnv, 0, 20, 10, "GB CL");
  ASSERT_TRUE(runGraph(job, posixFileSystem(), posixScratchFiles(), ui).ok);
  const auto& line2 = ui.lineHistory[2];
  EXPECT_NE(std::find(line2.begin(), line2.end(), "'CL' (Step 2 of 2)"), line2.end());
  const auto& line3 = ui.lineHistory[3];
  EXPECT_EQ(std::count(line3.begin(), line3.end(), "20C (Step 3 of 3)"), 2);
}

}  // namespace
}  // namespace kestrel::graph
