// Rules every part class keeps, walked over the registry: a hybrid part takes
// no quality or environment of its own, the surface-mount step, the over
// flags, environments and stored numbers outside their ranges, and a keyword
// import that reads exactly the fields the pages show as applying.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/field_spec.hpp"
#include "core/keywords/import_setup.hpp"
#include "core/part.hpp"
#include "core/part_archive.hpp"
#include "core/registry.hpp"
#include "core/whatif.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

// The part types with a calculation of their own (not the sub-file records), in type-id order.
std::vector<PartType> calculatedTypes() {
  registerAllParts();
  std::vector<PartType> out;
  for (const PartType& t : allPartTypes()) {
    if (PartRegistry::instance().isRegistered(t.id) && t.id != kSubCircuitType && t.id != kSubHybridType) {
      out.push_back(t);
    }
  }
  return out;
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
TEST(RegistryLimits, HybridPartsTakeQualityAndEnvironmentFromThePackage) {
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

// The solder-joint step runs for a surface-mounted part of a circuit with the
// analysis on, never inside a hybrid; a "Manual" rise mode keeps the rise entered.
// (The board-level records, offered in no hybrid, have no joints of their own.)
TEST(RegistryLimits, SurfaceMountStep) {
  for (const PartType& t : calculatedTypes()) {
    if (!t.inHybridMenu) continue;
    SCOPED_TRACE(std::string(t.className));
    for (const bool hybrid : {false, true}) {
      if (hybrid && !t.inHybridMenu) continue;
      auto part = PartRegistry::instance().create(t.id, hybrid);
      part->IS_SMT = 1;
      part->SmtCalcFlag = 1;  // a result of before
      part->SMT_TRISEMODE = 2;
      part->SMT_TEMPRISE = 3.5f;
      CCircHeader h;
      h.HASSMT = 1;
      part->Calculate(h);
      EXPECT_EQ(part->SmtCalcFlag, hybrid ? 0 : 1);
      EXPECT_FLOAT_EQ(part->SMT_TEMPRISE, 3.5f);
      if (!hybrid) {
        EXPECT_TRUE(std::isfinite(part->FRSMT) && part->FRSMT > 0.0f) << part->FRSMT;
        h.HASSMT = 0;
        part->Calculate(h);
        EXPECT_EQ(part->SmtCalcFlag, 0);
      }
    }
  }
}

// Over temperature and over stress are flagged strictly above their limits; a
// record with no stress figure (S = -1) is never over stress.
TEST(RegistryLimits, OverFlagsStrictlyAboveTheLimits) {
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
// the classes whose rate depends on it); a record whose numbers all lie far
// outside their ranges is flagged too.
TEST(RegistryLimits, StoredValuesOutsideTheirRangesAreFlagged) {
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
    for (const float extreme : {3e38f, -3e38f, std::numeric_limits<float>::quiet_NaN()}) {
      OwnFields own(*part);
      bool ranged = false;
      for (auto& [keyword, field] : own.fields) {
        if (field.number != nullptr) *field.number = extreme, ranged = true;
      }
      rateAt(*part, 1);
      if (ranged) {
        EXPECT_EQ(part->OverFlags & EntryOverRange, EntryOverRange) << extreme;
      }
    }
  }
}

// The keyword import reads the own fields that apply after it, and no other;
// a missing keyword of an applying field fails the record. Walked for every
// choice of every list field, as the choice decides what else applies.
TEST(RegistryLimits, ImportReadsExactlyTheApplyingFields) {
  for (const PartType& t : calculatedTypes()) {
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

// A file may hold choices past their lists (a damaged or foreign record): the
// record reads back with every applying choice inside its list, flagged.
TEST(RegistryLimits, StoredChoicesPastTheirListsAreTakenIntoThemOnLoad) {
  for (const PartType& t : calculatedTypes()) {
    SCOPED_TRACE(std::string(t.className));
    auto part = PartRegistry::instance().create(t.id, false);
    bool anyList = false;
    for (auto& [keyword, field] : OwnFields(*part).fields) {
      if (field.choice != nullptr && field.choices != nullptr && field.choices->count() > 0) {
        *field.choice = 255;
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

}  // namespace
}  // namespace kestrel
