// Every part class the registry links in, taken from the registry itself (a
// class registered later joins these loops by itself): creation under its
// type id and names, calculation in a circuit and in a hybrid, the detail and
// factor lines, keyword import, a circuit-file round trip, and the rules every
// class keeps: hybrid parts take quality and environment from the package,
// the surface-mount step, the over flags and entries outside their ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/ui.hpp"
#include "core/validation.hpp"
#include "core/whatif.hpp"
#include "models/model_test_support.hpp"
#include "models/register_all.hpp"
#include "support/golden.hpp"

namespace kestrel {
namespace {

// The types whose classes are registered, in type-id order.
std::vector<PartType> registeredTypes() {
  registerAllParts();
  std::vector<PartType> out;
  for (const PartType& t : allPartTypes()) {
    if (PartRegistry::instance().isRegistered(t.id)) out.push_back(t);
  }
  return out;
}

// Sub-circuit and sub-hybrid records take their results from a child file.
bool isSubFile(const PartType& t) { return t.id == kSubCircuitType || t.id == kSubHybridType; }

// The types with a calculation of their own (not the sub-file records).
std::vector<PartType> calculatedTypes() {
  std::vector<PartType> out = registeredTypes();
  std::erase_if(out, isSubFile);
  return out;
}

std::vector<std::uint8_t> fieldBytes(CPart& part) {
  Archive out = Archive::forWriting();
  part.Serialize(out);
  return out.bytes();
}

// Sets every number field of the class's pages to one value and every
// choice to one index, whether the field applies or not.
class FieldFiller final : public FieldVisitor {
 public:
  FieldFiller(float number, std::uint8_t choice) : number_(number), choice_(choice) {}
  void text(const FieldSpec&, std::string&, bool) override {}
  void number(const FieldSpec& f, float& value, bool applies) override {
    value = number_;
    if (applies && f.lo < f.hi) ++rangedNumbers;
  }
  void choice(const FieldSpec& f, std::uint8_t& value, bool) override {
    value = choice_;
    if (f.choices != nullptr && f.choices->count() > 0) ++listedChoices;
  }
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}
  int listedChoices = 0;
  int rangedNumbers = 0;

 private:
  float number_;
  std::uint8_t choice_;
};

// Returns how many of the fields were choices with a list (the count of
// applying ranged number fields in `ranged`).
int fillPages(CPart& part, float number, std::uint8_t choice, int* ranged = nullptr) {
  FieldFiller filler(number, choice);
  part.paramPage(filler);
  part.tempPage(filler);
  if (ranged != nullptr) *ranged = filler.rangedNumbers;
  return filler.listedChoices;
}

std::unique_ptr<CPart> calculated(const PartType& t, bool hybrid, std::uint8_t env, float cf, float qty) {
  auto part = PartRegistry::instance().create(t.id, hybrid);
  part->CF = cf;
  part->QTY = qty;
  CCircHeader h;
  h.ENV = env;
  h.TEMP = 40.0f;
  part->Calculate(h);
  return part;
}

TEST(AllClasses, EveryPartTypeOfTheTableHasItsClass) {
  registerAllParts();
  for (const PartType& t : allPartTypes()) {
    EXPECT_TRUE(PartRegistry::instance().isRegistered(t.id)) << t.className << " (" << t.id << ")";
  }
}

TEST(AllClasses, CreatedUnderTypeIdWithMenuNames) {
  for (const PartType& t : registeredTypes()) {
    SCOPED_TRACE(std::string(t.className));
    auto circuitPart = PartRegistry::instance().create(t.id, false);
    ASSERT_NE(circuitPart, nullptr);
    EXPECT_EQ(circuitPart->PART_TYPE, t.id);
    EXPECT_EQ(circuitPart->classRecord().className, t.className);
    EXPECT_EQ(PartRegistry::instance().byClassName(t.className), &circuitPart->classRecord());
    EXPECT_EQ(circuitPart->GetTypeName(), std::string(t.menuName));
    if (t.inHybridMenu) {
      auto hybridPart = PartRegistry::instance().create(t.id, true);
      ASSERT_NE(hybridPart, nullptr);
      EXPECT_EQ(hybridPart->IS_HYBRID, 1);
      EXPECT_EQ(hybridPart->GetTypeName(), std::string(t.menuName) + "(Hyb)");
    }
  }
}

TEST(AllClasses, CalculatesInCircuitAndHybridDocumentsScaledByTheCorrectionFactor) {
  SilentUi ui;
  for (const PartType& t : registeredTypes()) {
    if (isSubFile(t)) continue;
    SCOPED_TRACE(std::string(t.className));
    for (const DocKind kind : {DocKind::Circuit, DocKind::Hybrid}) {
      if (kind == DocKind::Hybrid && !t.inHybridMenu) continue;
      CCircDoc doc(kind);
      doc.header().ENV = 2;  // GF
      doc.header().TEMP = 40.0f;
      doc.appendLoaded(PartRegistry::instance().create(t.id, kind == DocKind::Hybrid));
      CalcContext context{ui};
      EXPECT_TRUE(doc.BasicCalc(context, 0, 8760.0));
      const CPart& p = doc.record(0);
      EXPECT_TRUE(std::isfinite(p.FR));
      EXPECT_GE(p.FR, 0.0f);
      EXPECT_TRUE(std::isfinite(p.T));
      EXPECT_TRUE(p.S == -1.0f || (p.S >= 0.0f && p.S <= 100.0f)) << p.S;
      // the correction factor scales the rate, the quantity does not
      const bool hybrid = kind == DocKind::Hybrid;
      const auto once = calculated(t, hybrid, 2, 1.0f, 1.0f);
      EXPECT_NEAR(calculated(t, hybrid, 2, 2.5f, 7.0f)->FR, 2.5 * once->FR, 1e-5 * once->FR + 1e-12);
    }
  }
}

struct Extreme {
  float number;
  std::uint8_t choice;
  std::size_t prefix;
};

TEST(AllClasses, ExtremeStoredValuesCalculateFiniteAndLinesStayWithin132) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Extreme extremes[] = {{3e38f, 255, 0}, {-3e38f, 0, 0}, {nan, 1, 0}, {1e-30f, 2, 140}, {0.0f, 3, 131}};
  for (const PartType& t : registeredTypes()) {
    SCOPED_TRACE(std::string(t.className));
    for (const Extreme& e : extremes) {
      for (const bool hybrid : {false, true}) {
        if (hybrid && !t.inHybridMenu) continue;
        auto part = PartRegistry::instance().create(t.id, hybrid);
        fillPages(*part, e.number, e.choice);
        part->CF = e.number;
        if (!isSubFile(t)) {
          CCircHeader h;
          h.ENV = 14;
          h.HASSMT = 1;
          part->IS_SMT = 1;
          part->Calculate(h);
          EXPECT_TRUE(std::isfinite(part->FR)) << e.number;
          EXPECT_GE(part->FR, 0.0f);
        }
        std::string lines[4];
        const std::string prefix(e.prefix, '>');

        part->FormatDetail(lines[0], lines[1], prefix);
        part->FormatFactors(lines[2], lines[3], prefix);
        for (const std::string& line : lines) EXPECT_LE(line.size(), 132u) << line;
      }
    }
  }
}

// Every applying number entry held far outside its range (or not a number)
// is limited for the calculation and flags the entry, whatever the class; the
// correction factor stays valid so the flag is the class's own.
TEST(AllClasses, StoredNumbersOutsideTheirRangesAreFlagged) {
  for (const PartType& t : registeredTypes()) {
    if (isSubFile(t)) continue;
    SCOPED_TRACE(std::string(t.className));
    for (const float number : {3e38f, -3e38f, std::numeric_limits<float>::quiet_NaN()}) {
      auto part = PartRegistry::instance().create(t.id, false);
      int ranged = 0;
      fillPages(*part, number, 1, &ranged);
      if (ranged == 0) continue;
      CCircHeader h;
      h.ENV = 2;
      part->Calculate(h);
      EXPECT_EQ(part->OverFlags & EntryOverRange, EntryOverRange) << number;
      EXPECT_TRUE(std::isfinite(part->FR)) << number;
    }
  }
}

// The applying number fields of a record's pages with a range.
class RangedFields final : public FieldVisitor {
 public:
  void text(const FieldSpec&, std::string&, bool) override {}
  void number(const FieldSpec& f, float&, bool applies) override {
    if (applies && !f.keyword.empty() && f.lo < f.hi) fields.push_back(f);
  }
  void choice(const FieldSpec&, std::uint8_t&, bool) override {}
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}
  std::vector<FieldSpec> fields;
};

// A number as a person types it: the shortest text of the float it is stored as.
std::string typed(float value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// Every ranged field entered at exactly its minimum and its maximum, as text
// through the keyword readers and the page check: in range, and the record
// calculates without EntryOverRange. One step beyond either bound is still
// refused and logged.
TEST(AllClasses, EntriesAtTheirRangeBoundsAreInRange) {
  // Entries a model flags itself at an end of their range: more layers than
  // the board model covers, a high-power bipolar stress above 55 %, a power
  // whose rate passes the largest float, a rating below the operating value.
  const std::set<std::string_view> flaggedByTheModel = {"BD_LAYERS", "MTR_VOP", "MTR_POWER", "MTR_VMAX"};
  for (const PartType& t : registeredTypes()) {
    if (isSubFile(t)) continue;
    RangedFields ranged;
    auto part = PartRegistry::instance().create(t.id, false);
    part->identityPage(ranged);
    part->limitsPage(ranged);
    part->paramPage(ranged);
    part->tempPage(ranged);
    for (const FieldSpec& field : ranged.fields) {
      // Imports `entry` into a new record; true when the reader logs it out of range.
      const auto importLogsOutOfRange = [&](const std::string& entry) {
        test::ImportSetup setup;
        setup.map(field.keyword, test::kFld, entry);
        part = PartRegistry::instance().create(t.id, false);
        EXPECT_TRUE(part->ImportFields(setup.reader, false, false, 25.0f));
        return std::ranges::any_of(setup.log, [](const std::string& line) {
          return line.find("out of range") != std::string::npos;
        });
      };
      const float lo = static_cast<float>(field.lo), hi = static_cast<float>(field.hi);
      for (const float bound : {lo, hi}) {
        SCOPED_TRACE(std::string(t.className) + " " + std::string(field.keyword) + "=" + typed(bound));
        EXPECT_FALSE(importLogsOutOfRange(typed(bound)));
        EXPECT_FALSE(validateEntry(field, typed(bound)).error.has_value());
        part->TEMPLIMIT = 500.0f;
        CCircHeader h;
        part->Calculate(h);
        if (!flaggedByTheModel.contains(field.keyword)) {
          EXPECT_EQ(part->OverFlags & EntryOverRange, 0u);
        }
        const float step = bound == lo ? -1.0f : 1.0f;  // whole numbers are truncated: a whole step
        const float beyond =
            field.kind == FieldKind::Whole ? bound + step : std::nextafter(bound, step * INFINITY);
        EXPECT_TRUE(importLogsOutOfRange(typed(beyond))) << typed(beyond);
        EXPECT_TRUE(validateEntry(field, typed(beyond)).error.has_value()) << typed(beyond);
      }
    }
  }
}

std::vector<std::uint8_t> baseBytes(CPart& part) {
  Archive out = Archive::forWriting();
  part.serializeBase(out);
  return out.bytes();
}

// Every field of every class, filled with distinct values and calculated, in
// a circuit and a hybrid file: the file, the part archive, clone and CopyFrom
// keep all of them; CopyFrom of a part of another class takes the base fields only.
TEST(AllClasses, CopiesAndFilesKeepEveryField) {
  SilentUi ui;
  for (const DocKind kind : {DocKind::Circuit, DocKind::Hybrid}) {
    const bool hybrid = kind == DocKind::Hybrid;
    CCircDoc doc(kind);
    std::vector<std::vector<std::uint8_t>> expected;
    for (const PartType& t : registeredTypes()) {
      if (hybrid && !t.inHybridMenu) continue;
      auto part = PartRegistry::instance().create(t.id, hybrid);
      part->PN = "PN-" + std::string(t.className);
      part->REFDES = "U" + std::to_string(t.id);
      part->DESCR = "distinct";
      part->NOTES = "round trip";
      part->QTY = 3.0f;
      part->CF = 1.25f;
      if (!isSubFile(t)) {
        test::DistinctFiller filler;
        part->paramPage(filler);
        part->tempPage(filler);
        CCircHeader h;
        h.ENV = 4;
        h.TEMP = 35.0f;
        part->Calculate(h);
      }
      doc.appendLoaded(std::move(part));
    }
    for (const auto& p : doc.records()) expected.push_back(fieldBytes(*p));
    CCircDoc back(kind);
    ASSERT_TRUE(decodeDocument(encodeDocument(doc), kind, back)) << "kind " << static_cast<int>(kind);
    ASSERT_EQ(back.count(), doc.count());
    for (std::size_t i = 0; i < back.count(); ++i) {
      CPart& part = back.record(i);
      SCOPED_TRACE(std::string(part.classRecord().className) + (hybrid ? " (hybrid)" : ""));
      EXPECT_EQ(&part.classRecord(), &doc.record(i).classRecord());
      EXPECT_EQ(fieldBytes(part), expected[i]);
      EXPECT_EQ(fieldBytes(*part.clone()), expected[i]);
      auto copy = PartRegistry::instance().create(part.PART_TYPE, hybrid);
      copy->CopyFrom(part);
      EXPECT_EQ(fieldBytes(*copy), expected[i]);
      Archive out = Archive::forWriting();
      writePartObject(out, part);
      Archive in = Archive::forReading(out.bytes(), "part");
      auto single = readPartObject(in);
      ASSERT_TRUE(in.ok()) << in.error();
      ASSERT_NE(single, nullptr);
      EXPECT_EQ(fieldBytes(*single), expected[i]);
      EXPECT_EQ(in.remaining(), 0u);
      if (hybrid) continue;

      // Another class's record gives its base fields and leaves the own ones.
      const std::uint16_t otherType = part.PART_TYPE == kMiscType ? registeredTypes()[2].id : kMiscType;
      auto other = PartRegistry::instance().create(otherType, false);  // [2]: the first after the sub-file types
      other->PN = "OTHER";
      other->NOTES = "from another class";
      const std::vector<std::uint8_t> ownBefore(
          expected[i].begin() + static_cast<std::ptrdiff_t>(baseBytes(part).size()), expected[i].end());
      part.CopyFrom(*other);
      const std::vector<std::uint8_t> after = fieldBytes(part);
      const std::vector<std::uint8_t> base = baseBytes(part);
      EXPECT_EQ(base, baseBytes(*other));
      EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + static_cast<std::ptrdiff_t>(base.size()), after.end()),
                ownBefore);
    }
  }
}

// The bytes each class stores after the base fields (its own fields, then the
// factors the calculation stores), every field holding its own value, in file
// order: a field written in another place or size, or one more or less, moves
// every field after it, and files of earlier versions would no longer read.
TEST(AllClasses, OwnFieldsKeepTheirStoredLayout) {
  std::string out;
  for (const PartType& t : calculatedTypes()) {
    out += std::string(t.className) + " " + test::layoutHex(t.className) + '\n';
  }
  EXPECT_GOLDEN("stored_layouts.txt", out);
}

// The quality choice of a record's parameter page (keyword "..._QU"), or null.
class QualityFinder final : public FieldVisitor {
 public:
  void text(const FieldSpec&, std::string&, bool) override {}
  void number(const FieldSpec&, float&, bool) override {}
  void choice(const FieldSpec& f, std::uint8_t& value, bool) override {
    if (f.keyword.ends_with("_QU") && f.choices != nullptr) {
      quality = &value;
      count = f.choices->count();
    }
  }
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}
  std::uint8_t* quality = nullptr;
  std::size_t count = 0;
};

// A surface-mounted record runs the solder-joint step only in a circuit whose
// header has the analysis on; a manual rise stays as entered. Records of
// boards and connections have no solder joints of their own.
TEST(AllClasses, SurfaceMountStepOnlyForSurfaceMountedCircuitRecords) {
  const std::set<std::string_view> noJoints = {"CCircuitBoard", "CConnections"};
  struct Case {
    bool hybrid;
    std::uint16_t isSmt;
    std::uint8_t hasSmt;
    bool runs;
  };
  const Case cases[] = {{false, 1, 1, true}, {false, 0, 1, false}, {false, 1, 0, false}, {true, 1, 1, false}};
  for (const PartType& t : registeredTypes()) {
    if (isSubFile(t)) continue;
    SCOPED_TRACE(std::string(t.className));
    for (const Case& c : cases) {
      if (c.hybrid && !t.inHybridMenu) continue;
      auto part = PartRegistry::instance().create(t.id, c.hybrid);
      part->IS_SMT = c.isSmt;
      part->SMT_TRISEMODE = 2;  // manual rise
      part->SMT_TEMPRISE = 20.0f;
      part->SmtCalcFlag = 1;  // a stale flag from an earlier run
      CCircHeader h;
      h.ENV = 2;
      h.HASSMT = c.hasSmt;
      part->Calculate(h);
      const bool runs = c.runs && !noJoints.contains(t.className);
      EXPECT_EQ(part->SmtCalcFlag, runs ? 1 : 0) << "hybrid " << c.hybrid << " smt " << c.isSmt << c.hasSmt;
      if (runs) {
        EXPECT_TRUE(std::isfinite(part->FRSMT) && part->FRSMT > 0.0f) << part->FRSMT;
        EXPECT_FLOAT_EQ(part->SMT_TEMPRISE, 20.0f);
      }
    }
  }
}

// In a hybrid the package supplies the quality: a quality factor a hybrid
// record names is 1.0 whatever its stored quality, and What-If?
// leaves it alone. A circuit record's quality stays within its list whatever
// change is asked, and "NoChange" changes nothing.
TEST(AllClasses, QualityOfHybridRecordsIsTheHybridsAndWhatIfKeepsItInItsList) {
  struct Change {
    std::uint8_t mode;
    float level;
  };
  const Change changes[] = {{SetDirect, 1}, {SetDirect, 10}, {Increase, 10}, {Decrease, 10}};
  for (const PartType& t : registeredTypes()) {
    if (isSubFile(t)) continue;
    SCOPED_TRACE(std::string(t.className));
    for (const bool hybrid : {false, true}) {
      if (hybrid && !t.inHybridMenu) continue;
      auto part = PartRegistry::instance().create(t.id, hybrid);
      QualityFinder finder;
      part->paramPage(finder);
      WhatIfSettings unchanged;
      const std::vector<std::uint8_t> before = fieldBytes(*part);
      part->ApplyWhatIf(unchanged);
      EXPECT_EQ(fieldBytes(*part), before) << "NoChange";
      if (finder.quality == nullptr) continue;
      for (const Change& change : changes) {
        WhatIfSettings s;
        s.qualityMode = change.mode;
        s.qualityLevel = change.level;
        auto changed = part->clone();
        changed->ApplyWhatIf(s);
        QualityFinder after;
        changed->paramPage(after);
        if (hybrid) {
          EXPECT_EQ(fieldBytes(*changed), before) << "mode " << int(change.mode);
        } else {
          EXPECT_GE(*after.quality, 1);
          EXPECT_LE(*after.quality, after.count) << "mode " << int(change.mode);
        }
      }
      if (!hybrid) continue;
      for (std::uint8_t q = 1; q <= finder.count; ++q) {  // (its rate: the next test)
        *finder.quality = q;
        CCircHeader h;
        part->Calculate(h);
        const double piq = test::valueOf(*part, "PIQ");
        EXPECT_TRUE(std::isnan(piq) || piq == 1.0) << "quality " << int(q) << ": " << piq;
      }
    }
  }
}

// The class's own fields (parameter and temperature pages) by keyword, with
// whether they apply, their choice list, and a pointer to set them.
struct Field {
  bool applies = false;
  bool importable = false;  // has a keyword
  const ChoiceList* choices = nullptr;
  std::uint8_t* choice = nullptr;
  float* number = nullptr;
};

class OwnFields final : public FieldVisitor {
 public:
  explicit OwnFields(CPart& part) {
    part.paramPage(*this);
    part.tempPage(*this);
  }
  void text(const FieldSpec& f, std::string&, bool applies) override { add(f, applies); }
  void number(const FieldSpec& f, float& v, bool applies) override { add(f, applies).number = &v; }
  void choice(const FieldSpec& f, std::uint8_t& v, bool applies) override {
    Field& field = add(f, applies);
    field.choice = &v;
    field.choices = f.choices;
  }
  void flag(const FieldSpec& f, std::uint16_t&, bool applies) override { add(f, applies); }
  std::set<std::string> applying(bool importableOnly = false) const {
    std::set<std::string> out;
    for (const auto& [k, f] : fields) {
      if (f.applies && (f.importable || !importableOnly)) out.insert(k);
    }
    return out;
  }
  std::map<std::string, Field> fields;

 private:
  Field& add(const FieldSpec& f, bool applies) {
    Field& field = fields[f.keyword.empty() ? std::string(f.label) : std::string(f.keyword)];
    field.applies = field.applies || applies;
    field.importable = !f.keyword.empty();
    return field;
  }
};

float rateAt(CPart& part, std::uint8_t env) {
  CCircHeader h;
  h.ENV = env;
  h.TEMP = 40.0f;
  part.Calculate(h);
  return part.FR;
}

// A hybrid part takes quality and environment from its package: the fields
// that apply only outside a hybrid change neither its rate nor a What-If?,
// and the environment does not change its rate.
TEST(AllClasses, HybridPartsTakeQualityAndEnvironmentFromThePackage) {
  for (const PartType& t : calculatedTypes()) {
    if (!t.inHybridMenu) continue;
    SCOPED_TRACE(std::string(t.className));
    auto circuit = PartRegistry::instance().create(t.id, false);
    auto hybrid = PartRegistry::instance().create(t.id, true);
    OwnFields inCircuit(*circuit);
    OwnFields inHybrid(*hybrid);  // (the pages bring a computed stress up to date)
    const float rate = rateAt(*hybrid, 1);
    for (std::uint8_t env = 2; env <= 14; ++env) {
      EXPECT_EQ(rateAt(*hybrid, env), rate) << int(env);
    }
    for (const std::string& keyword : inCircuit.applying()) {
      Field& field = inHybrid.fields[keyword];
      if (field.applies || field.choice == nullptr || field.choices == nullptr) continue;
      SCOPED_TRACE(keyword);
      const std::uint8_t kept = *field.choice;
      for (unsigned c = 1; c <= field.choices->count(); ++c) {
        *field.choice = static_cast<std::uint8_t>(c);
        EXPECT_EQ(rateAt(*hybrid, 14), rate) << c;
      }
      *field.choice = kept;
      WhatIfSettings s;
      s.qualityMode = SetDirect;
      s.qualityLevel = static_cast<float>(kept == 1 ? 2 : 1);
      hybrid->ApplyWhatIf(s);
      EXPECT_EQ(*field.choice, kept);
    }
  }
}

// Over temperature and over stress are flagged strictly above their limits; a
// record with no stress figure (S = -1) is never over stress.
TEST(AllClasses, OverFlagsStrictlyAboveTheLimits) {
  for (const PartType& t : calculatedTypes()) {
    SCOPED_TRACE(std::string(t.className));
    auto part = PartRegistry::instance().create(t.id, false);
    rateAt(*part, 1);
    const float tj = part->T, stress = part->S;
    part->TEMPLIMIT = tj;
    part->STRESSLIMIT = stress < 0 ? 0.0f : stress;
    rateAt(*part, 1);
    EXPECT_EQ(part->OverFlags & (OverTemp | OverStress), 0u);
    part->TEMPLIMIT = std::nextafter(tj, -INFINITY);
    if (stress > 0) part->STRESSLIMIT = std::nextafter(stress, -INFINITY);
    rateAt(*part, 1);
    EXPECT_EQ(part->OverFlags & (OverTemp | OverStress), OverTemp | (stress > 0 ? OverStress : 0u));
  }
}

// A stored environment outside 1..14 is taken as the nearest and flagged (by
// the classes whose rate depends on it).
TEST(AllClasses, StoredEnvironmentOutsideItsListIsTheNearestAndFlagged) {
  for (const PartType& t : calculatedTypes()) {
    SCOPED_TRACE(std::string(t.className));
    auto part = PartRegistry::instance().create(t.id, false);
    const bool usesEnvironment = rateAt(*part, 1) != rateAt(*part, 14);
    for (const auto& [stored, nearest] : {std::pair<std::uint8_t, std::uint8_t>{0, 1}, {99, 14}}) {
      if (!usesEnvironment) break;
      const float expected = rateAt(*part, nearest);
      part->OverFlags = 0;
      EXPECT_EQ(rateAt(*part, stored), expected);
      EXPECT_EQ(part->OverFlags & EntryOverRange, EntryOverRange) << int(stored);
    }
  }
}

// The keyword import reads the own fields that apply after it, and no other;
// a missing keyword of an applying field fails the record. Walked for every
// choice of every list field, as the choice decides what else applies.
TEST(AllClasses, ImportReadsExactlyTheApplyingFields) {
  for (const PartType& t : registeredTypes()) {
    for (const bool hybrid : {false, true}) {
      if (hybrid && !t.inHybridMenu) continue;
      std::vector<std::pair<std::string, unsigned>> settings = {{"", 0}};
      auto blank = PartRegistry::instance().create(t.id, hybrid);
      for (const auto& [keyword, field] : OwnFields(*blank).fields) {
        if (field.choices == nullptr) continue;
        for (unsigned c = 1; c <= field.choices->count(); ++c) settings.emplace_back(keyword, c);
      }
      for (const auto& [keyword, choice] : settings) {
        SCOPED_TRACE(std::string(t.className) + (hybrid ? " (hybrid) " : " ") + keyword + "=" +
                     std::to_string(choice));
        test::ImportSetup setup;
        if (choice != 0) setup.map(keyword, 1, static_cast<double>(choice));
        auto part = PartRegistry::instance().create(t.id, hybrid);
        ASSERT_TRUE(part->ImportFields(setup.reader, false, false, 25.0f));
        OwnFields own(*part);
        std::set<std::string> read;
        for (const auto& [k, field] : own.fields) {
          if (setup.reader.consulted().count(k) != 0) read.insert(k);
        }
        EXPECT_EQ(read, own.applying(true));
        if (choice != 0) continue;
        if (!isSubFile(t)) {
          EXPECT_TRUE(std::isfinite(rateAt(*part, 1)));
        }
        for (const std::string& k : own.applying(true)) {
          test::ImportSetup missing;
          std::erase_if(missing.kwds, [&k](const CKwd& kwd) { return kwd.name == k; });
          EXPECT_FALSE(
              PartRegistry::instance().create(t.id, hybrid)->ImportFields(missing.reader, false, false, 25));
          EXPECT_EQ(missing.log.empty() ? "" : missing.log.back(),
                    "   ...Error: keyword not found ('" + k + "').");
        }
      }
    }
  }
}

// A file may hold choices outside their lists (a damaged or foreign record):
// the record reads back with every applying choice inside its list, flagged.
TEST(AllClasses, StoredChoicesOutsideTheirListsAreTakenIntoThemOnLoad) {
  for (const PartType& t : registeredTypes()) {
    for (const std::uint8_t stored : {std::uint8_t{0}, std::uint8_t{255}}) {
      SCOPED_TRACE(std::string(t.className) + " " + std::to_string(stored));
      auto part = PartRegistry::instance().create(t.id, false);
      bool anyList = false;
      for (auto& [keyword, field] : OwnFields(*part).fields) {
        if (field.choice != nullptr && field.choices != nullptr && field.choices->count() > 0) {
          *field.choice = stored;
          anyList = true;
        }
      }
      if (!anyList) continue;
      Archive out = Archive::forWriting();
      writePartObject(out, *part);
      Archive in = Archive::forReading(out.bytes(), "part");
      auto back = readPartObject(in);
      ASSERT_TRUE(in.ok()) << in.error();
      EXPECT_EQ(back->OverFlags & EntryOverRange, EntryOverRange);
      // The pages clamp what they show: the choices as read are taken from a
      // copy made before, at the same place in the record.
      const auto asRead = back->clone();
      for (const auto& [keyword, field] : OwnFields(*back).fields) {
        if (field.applies && field.choice != nullptr && field.choices != nullptr &&
            field.choices->count() > 0 &&
            !keyword.ends_with("_TEMPMODE")) {  // an unknown thermal mode is kept and flagged
          const auto at =
              reinterpret_cast<const char*>(field.choice) - reinterpret_cast<const char*>(back.get());
          const auto value =
              *reinterpret_cast<const std::uint8_t*>(reinterpret_cast<const char*>(asRead.get()) + at);
          EXPECT_TRUE(field.choices->isValid(value)) << keyword << " " << int(value);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kestrel
