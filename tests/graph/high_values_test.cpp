// The high-value graphs: each item's failure rate is its share of the
// top-level failure rate, worked out here by hand from a separate
// calculation of the same hierarchy; the highest kept, the rest summed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/registry.hpp"
#include "graph/graph_run.hpp"
#include "graph/high_values.hpp"
#include "graph_fixture.hpp"

namespace kestrel::graph {
namespace {

using Items = std::map<std::string, double>;  // name -> FR

// The sample's contributions by hand: BOARD is weighed by its record (QTY 2
// x duty cycle 50 % x CF 1) and its own CF 1.5, CHIPS by the package model
// (its total over the sum of its chips), TOP by its CF 1.
struct Contributions {
  explicit Contributions(const std::vector<std::unique_ptr<CCircDoc>>& docs) {
    const CCircDoc& top = *docs[0];
    const CCircDoc& board = *docs[1];
    const CCircDoc& chips = *docs[2];
    for (std::size_t i = 0; i < top.count(); ++i) {
      const CPart& p = top.record(i);
      topRecords[p.PN] = top.header().CF * p.TFR();
      if (p.PART_TYPE != kSubCircuitType && p.PART_TYPE != kSubHybridType) leaves[p.PN] = topRecords[p.PN];
    }
    const double boardWeight = 2.0 * 0.5 * 1.0 * board.header().CF;
    for (std::size_t i = 0; i < board.count(); ++i) leaves[board.record(i).PN] = boardWeight * board.record(i).TFR();
    const double chipsWeight = chips.header().TotalFR / chips.header().SUMCHIPS;
    for (std::size_t i = 0; i < chips.count(); ++i) leaves[chips.record(i).PN] = chipsWeight * chips.record(i).TFR();
    total = top.header().TotalFR;
  }
  Items topRecords, leaves;
  double total = 0.0;
};

Items byType(const Items& leaves) {
  const std::map<std::string, std::string> type{{"RT-1", "Resistor"}, {"RT-2", "Resistor"},
                                                {"RB-1", "Resistor"}, {"RB-2", "Resistor"},
                                                {"UT-1", "Miscellaneous"}, {"UB-1", "Miscellaneous"},
                                                {"FB-1", "Miscellaneous"}, {"DIE-1", "Miscellaneous(Hyb)"},
                                                {"RZ-1", "Resistor(Hyb)"}};
  Items out;
  for (const auto& [pn, fr] : leaves) out[type.at(pn)] += fr;
  return out;
}

Items expectedItems(int type, bool hierarchy, const Contributions& c) {
  switch (itemKindOf(type)) {
    case ItemKind::PartRecords: return hierarchy ? c.leaves : c.topRecords;
    case ItemKind::PartTypes: {
      if (hierarchy) return byType(c.leaves);
      Items t{{"Resistor", c.topRecords.at("RT-1") + c.topRecords.at("RT-2")},
              {"Miscellaneous", c.topRecords.at("UT-1")},
              {"SubCircuit", c.topRecords.at("board.cir")},
              {"SubHybrid", c.topRecords.at("CHIPS.HYB")}};
      return t;
    }
    default: {
      const double own = c.leaves.at("RT-1") + c.leaves.at("RT-2") + c.leaves.at("UT-1");
      if (!hierarchy) {
        return {{"TOP.CIR", own}, {"board.cir", c.topRecords.at("board.cir")}, {"CHIPS.HYB", c.topRecords.at("CHIPS.HYB")}};
      }
      return {{"TOP.CIR", own},
              {"BOARD.CIR", c.leaves.at("RB-1") + c.leaves.at("RB-2") + c.leaves.at("UB-1") + c.leaves.at("FB-1")},
              {"CHIPS.HYB", c.leaves.at("DIE-1") + c.leaves.at("RZ-1")}};
    }
  }
}

struct ItemCase {
  const char* name;
  int type;
  bool hierarchy;
};
void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.name; }

class HighValues : public ::testing::TestWithParam<ItemCase>, protected test::GraphFixture {
 protected:
  void SetUp() override { writeSample(); }
};

TEST_P(HighValues, ItemsAreTheirShareOfTheTopLevelFailureRateHighestFirst) {
  const ItemCase& c = GetParam();
  const auto before = snapshot();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = topPath();
  job.settings = defaultSettings(c.type);
  job.settings.maxItems = 100;
  job.settings.includeHierarchy = c.hierarchy;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok) << ui.lines[5];

  const Contributions contributions(calculatedCopy());
  Items expected = expectedItems(c.type, c.hierarchy, contributions);
  const bool percent = valueOf(c.type) == Value::ItemPercent;
  double sum = 0.0;
  for (const auto& [name, fr] : expected) sum += fr;
  if (percent) {
    for (auto& [name, fr] : expected) fr = fr / sum * 100.0;
  }
  ASSERT_EQ(out.data.items.size(), expected.size());
  for (std::size_t i = 0; i < out.data.items.size(); ++i) {
    const GraphItem& item = out.data.items[i];
    ASSERT_EQ(expected.count(item.name), 1u) << item.name;
    EXPECT_NEAR(item.value, expected[item.name], expected[item.name] * 1e-9) << item.name;
    if (i > 0) {
      EXPECT_GE(out.data.items[i - 1].value, item.value);
    }
  }
  // Without a solder-joint term the shares add up to the whole (the whole
  // takes each child's total in single precision).
  EXPECT_NEAR(sum, contributions.total, contributions.total * 2e-7);
  const auto& line2 = ui.lineHistory[2];
  const char* stage = percent ? "'TOP.CIR' Highest %FR Value Calculation" : "'TOP.CIR' Highest FR Value Calculation";
  EXPECT_NE(std::find(line2.begin(), line2.end(), stage), line2.end());
  auto after = snapshot();
  after.erase("GRAPH-DATA.CSV");
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Graph, HighValues,
                         ::testing::Values(ItemCase{"PartRecordsWithHierarchy", kFrPartRecords, true},
                                           ItemCase{"PartRecordsTopLevelOnly", kFrPartRecords, false},
                                           ItemCase{"PartTypesWithHierarchy", kFrPartTypes, true},
                                           ItemCase{"PartTypesTopLevelOnly", kFrPartTypes, false},
                                           ItemCase{"CircuitsWithHierarchy", kFrCircuits, true},
                                           ItemCase{"CircuitsTopLevelOnly", kFrCircuits, false},
                                           ItemCase{"PercentPartRecords", kPctFrPartRecords, true},
                                           ItemCase{"PercentPartTypesTopLevelOnly", kPctFrPartTypes, false},
                                           ItemCase{"PercentCircuits", kPctFrCircuits, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HighValues, PartRecordsNameTheFileHoldingThem) {
  test::GraphFixture f;
  f.writeSample();
  test::RecordingUi ui;
  GraphJob job;
  job.topPath = f.topPath();
  job.settings = defaultSettings(kFrPartRecords);
  job.settings.maxItems = 3;
  const GraphOutcome out = runGraph(job, posixFileSystem(), posixScratchFiles(), ui);
  ASSERT_TRUE(out.ok);
  ASSERT_EQ(out.data.items.size(), 4u);
  const Contributions c(f.calculatedCopy());
  const std::map<std::string, std::string> file{{"RT-1", "TOP.CIR"}, {"RT-2", "TOP.CIR"}, {"UT-1", "TOP.CIR"},
                                                {"RB-1", "BOARD.CIR"}, {"RB-2", "BOARD.CIR"}, {"UB-1", "BOARD.CIR"},
                                                {"FB-1", "BOARD.CIR"}, {"DIE-1", "CHIPS.HYB"}, {"RZ-1", "CHIPS.HYB"}};
  double kept = 0.0;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(out.data.items[i].circuit, file.at(out.data.items[i].name));
    kept += out.data.items[i].value;
  }
  EXPECT_EQ(out.data.items[3].name, "All Other Part Records");
  EXPECT_EQ(out.data.items[3].circuit, "");
  EXPECT_NEAR(out.data.items[3].value, c.total - kept, c.total * 2e-7);
}

struct CutCase {
  const char* name;
  std::vector<GraphItem> items;
  long maxItems;
  ItemKind kind;
  bool percent;
  std::vector<std::pair<std::string, double>> expected;
};
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class HighestItems : public ::testing::TestWithParam<CutCase> {};

TEST_P(HighestItems, KeepTheHighestAndSumTheRest) {
  const CutCase& c = GetParam();
  std::vector<std::pair<std::string, double>> got;
  for (const GraphItem& item : highestItems(c.items, c.maxItems, c.kind, c.percent)) got.emplace_back(item.name, item.value);
  ASSERT_EQ(got.size(), c.expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].first, c.expected[i].first) << i;
    EXPECT_NEAR(got[i].second, c.expected[i].second, 1e-12) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Graph, HighestItems,
    ::testing::Values(
        CutCase{"FewerThanMaxHaveNoRest", {{"a", 1, ""}, {"b", 3, ""}}, 3, ItemKind::PartRecords, false,
                {{"b", 3}, {"a", 1}}},
        CutCase{"ExactlyMaxHaveNoRest", {{"a", 1, ""}, {"b", 3, ""}, {"c", 2, ""}}, 3, ItemKind::PartTypes, false,
                {{"b", 3}, {"c", 2}, {"a", 1}}},
        CutCase{"RestSummedUnderItsName", {{"a", 1, ""}, {"b", 4, ""}, {"c", 2, ""}, {"d", 8, ""}, {"e", 0.5, ""}}, 3,
                ItemKind::Circuits, false, {{"d", 8}, {"b", 4}, {"c", 2}, {"All Other Circuits", 1.5}}},
        CutCase{"TiesKeepTheirOrder", {{"x", 2, ""}, {"y", 2, ""}, {"z", 2, ""}, {"w", 2, ""}}, 3, ItemKind::PartTypes,
                false, {{"x", 2}, {"y", 2}, {"z", 2}, {"All Other Part Types", 2}}},
        CutCase{"PercentOfTheWholeIncludingTheRest", {{"a", 1, ""}, {"b", 2, ""}, {"c", 3, ""}, {"d", 4, ""}}, 3,
                ItemKind::PartRecords, true, {{"d", 40}, {"c", 30}, {"b", 20}, {"All Other Part Records", 10}}},
        CutCase{"PercentOfNothingIsZero", {{"a", 0, ""}, {"b", 0, ""}}, 3, ItemKind::PartRecords, true,
                {{"a", 0}, {"b", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::graph
