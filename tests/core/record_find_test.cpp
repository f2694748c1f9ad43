#include "core/record_find.hpp"

#include <gtest/gtest.h>

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

// A small list in sort order: a transistor, a diode, two resistors, a fan.
class RecordFind : public ::testing::Test {
 protected:
  void SetUp() override {
    registerAllParts();
    add(301, "2N2222A", "Q1", "switch transistor", "", "", "", "");
    add(302, "1N4148", "CR1", "signal diode", "ALT-4148", "LCN-77", "Derated", "keep below 50 C");
    add(401, "RLR07C1001", "R1", "pull-up 1k", "", "", "", "");
    add(401, "RLR07C4701", "R2", "divider 4.7k", "", "", "Sourcing", "second source: rwr81s");
    add(609, "FAN-12V", "B1", "cooling fan", "", "", "", "");
  }

  void add(std::uint16_t type, const char* pn, const char* ref, const char* descr, const char* pn2,
           const char* lcn, const char* notesTitle, const char* notes) {
    auto part = PartRegistry::instance().create(type, false);
    ASSERT_TRUE(part);
    part->PN = pn;
    part->REFDES = ref;
    part->DESCR = descr;
    part->PN2 = pn2;
    part->LCN = lcn;
    part->NOTESTITLE = notesTitle;
    part->NOTES = notes;
    doc.insertSorted(std::move(part));
  }

  static RecordFindJob text(std::string what, RecordFindFields fields, bool fromCurrent = false) {
    RecordFindJob job;
    job.text = std::move(what);
    job.fields = fields;
    job.fromCurrent = fromCurrent;
    return job;
  }

  CCircDoc doc;
};

RecordFindFields only(bool RecordFindFields::*field) {
  RecordFindFields f{};
  f.pn = false;
  f.*field = true;
  return f;
}

TEST_F(RecordFind, TextLooksOnlyInTheTickedFieldsCaseIgnored) {
  const struct {
    const char* what;
    RecordFindFields fields;
    std::optional<std::size_t> hit;
  } cases[] = {
      {"rlr07", only(&RecordFindFields::pn), 2},
      {"4701", only(&RecordFindFields::pn), 3},
      {"r2", only(&RecordFindFields::pn), std::nullopt},  // REFDES not ticked
      {"r2", only(&RecordFindFields::refDes), 3},
      {"alt-", only(&RecordFindFields::pn2), 1},
      {"alt-", only(&RecordFindFields::pn), std::nullopt},
      {"FAN", only(&RecordFindFields::descr), 4},  // "cooling fan"
      {"lcn-7", only(&RecordFindFields::lcn), 1},
      {"sourcing", only(&RecordFindFields::notes), 3},  // the notes title
      {"RWR81", only(&RecordFindFields::notes), 3},     // the notes themselves
      {"rwr81", only(&RecordFindFields::descr), std::nullopt},
      {"1", RecordFindFields{false, false, false, false, false, false}, std::nullopt},  // nothing ticked
      {"zzz", RecordFindFields{true, true, true, true, true, true}, std::nullopt},
  };
  for (const auto& c : cases) {
    const RecordFindResult r = findRecord(doc, text(c.what, c.fields), std::nullopt);
    EXPECT_EQ(r.found, c.hit) << c.what;
    EXPECT_EQ(r.message.empty(), c.hit.has_value()) << c.what;
  }
}

TEST_F(RecordFind, FromCurrentStartsAfterTheSelectionAndNeverWraps) {
  const RecordFindFields pn = only(&RecordFindFields::pn);
  const struct {
    bool fromCurrent;
    std::optional<std::size_t> current;
    std::optional<std::size_t> hit;
    const char* message;
  } cases[] = {
      {false, 3, 2, ""},  // from the top the selection does not matter
      {true, 1, 2, ""},
      {true, 2, 3, ""},   // the selected record itself is skipped
      {true, 3, std::nullopt, "Text: 'RLR07'\nMatching record was not found (from current)."},
      {true, 4, std::nullopt, "Text: 'RLR07'\nMatching record was not found (from current)."},
      {true, std::nullopt, 2, ""},  // nothing selected: from the top
  };
  for (const auto& c : cases) {
    const RecordFindResult r = findRecord(doc, text("RLR07", pn, c.fromCurrent), c.current);
    EXPECT_EQ(r.found, c.hit);
    EXPECT_EQ(r.message, c.message);
  }
  const RecordFindResult none = findRecord(doc, text("nothing", pn, true), std::nullopt);
  EXPECT_EQ(none.message, "Text: 'nothing'\nMatching record was not found (from top).");
}

TEST_F(RecordFind, OnlyTheFirstTwentyFiveCharactersAreSought) {
  add(609, "ABCDEFGHIJKLMNOPQRSTUVWXY", "X1", "", "", "", "", "");
  const std::string entered = "abcdefghijklmnopqrstuvwxyZZZ";  // 28 characters
  const RecordFindResult hit = findRecord(doc, text(entered, only(&RecordFindFields::pn)), std::nullopt);
  ASSERT_TRUE(hit.found);
  EXPECT_EQ(doc.record(*hit.found).REFDES, "X1");

  CCircDoc empty;
  const RecordFindResult miss = findRecord(empty, text(entered, only(&RecordFindFields::pn)), std::nullopt);
  EXPECT_EQ(miss.message, "Text: 'abcdefghijklmnopqrstuvwxy'\nMatching record was not found (from top).");
}

TEST_F(RecordFind, PartTypeModeFindsTheFirstRecordOfTheType) {
  const struct {
    std::uint16_t type;
    bool fromCurrent;
    std::optional<std::size_t> current;
    std::optional<std::size_t> hit;
    const char* message;
  } cases[] = {
      {401, false, std::nullopt, 2, ""},
      {401, true, 2, 3, ""},
      {401, true, 3, std::nullopt, "Part Type: 'Resistor'\nMatching record was not found (from current)."},
      {302, false, 4, 1, ""},
      {1, false, std::nullopt, std::nullopt, "Part Type: 'SubCircuit'\nMatching record was not found (from top)."},
  };
  for (const auto& c : cases) {
    RecordFindJob job;
    job.mode = RecordFindMode::PartType;
    job.typeId = c.type;
    job.fromCurrent = c.fromCurrent;
    job.text = "RLR07";  // the text is not used in this mode
    const RecordFindResult r = findRecord(doc, job, c.current);
    EXPECT_EQ(r.found, c.hit) << c.type;
    EXPECT_EQ(r.message, c.message) << c.type;
  }
}

TEST(RecordFindHybrid, TypeNameInTheMessageIsTheHybridMenuName) {
  registerAllParts();
  CCircDoc hybrid(DocKind::Hybrid);
  RecordFindJob job;
  job.mode = RecordFindMode::PartType;
  job.typeId = 401;
  const RecordFindResult r = findRecord(hybrid, job, std::nullopt);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.message, "Part Type: '" + typeName(401, true, nullptr) +
                           "'\nMatching record was not found (from top).");
  EXPECT_NE(typeName(401, true, nullptr).find("(Hyb)"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
