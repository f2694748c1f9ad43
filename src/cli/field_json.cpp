#include "cli/field_json.hpp"

#include <cmath>

#include "core/field_spec.hpp"
#include "core/file_system.hpp"
#include "core/stale_results.hpp"
#include "core/windows1252.hpp"

namespace kestrel::cli {
namespace {

// Non-finite numbers have no JSON form: they travel as null.
nlohmann::json number(double value) {
  if (!std::isfinite(value)) return nullptr;
  return value;
}

// Writes every visited field under its keyword (choices by their text).
class JsonFields final : public FieldVisitor {
 public:
  explicit JsonFields(nlohmann::json& out) : out_(out) {}
  // Records keep Windows-1252; JSON is UTF-8.
  void text(const FieldSpec& field, std::string& value, bool) override { put(field, windows1252ToUtf8(value)); }
  void number(const FieldSpec& field, float& value, bool) override { put(field, cli::number(value)); }
  void choice(const FieldSpec& field, std::uint8_t& value, bool) override {
    put(field, field.choices ? nlohmann::json(std::string(field.choices->text(value)))
                           : nlohmann::json(value));
  }
  void flag(const FieldSpec& field, std::uint16_t& value, bool) override { put(field, value); }

 private:
  void put(const FieldSpec& field, nlohmann::json value) {
    if (!field.keyword.empty()) out_[std::string(field.keyword)] = std::move(value);
  }
  nlohmann::json& out_;
};

nlohmann::json overFlagNames(std::uint32_t flags) {
  nlohmann::json names = nlohmann::json::array();
  if (flags & OverTemp) names.push_back("OverTemp");
  if (flags & OverStress) names.push_back("OverStress");
  if (flags & EnvNotValid) names.push_back("EnvNotValid");
  if (flags & EntryOverRange) names.push_back("EntryOverRange");
  return names;
}

}  // namespace

nlohmann::json partJson(CPart& part, const CCircDoc& doc) {
  nlohmann::json fields = nlohmann::json::object();
  JsonFields visitor(fields);
  part.identityPage(visitor);
  part.paramPage(visitor);
  part.tempPage(visitor);
  part.limitsPage(visitor);
  if (!doc.isHybrid() && doc.header().HASSMT != 0) part.smtPage(visitor);
  part.notesPage(visitor);
  nlohmann::json factors = nlohmann::json::object();
  for (const NamedFactor& f : part.factors()) factors[std::string(f.name)] = number(f.value);
  nlohmann::json out = {{"class", std::string(part.classRecord().className)},
                        {"type", part.GetTypeName()},
                        {"typeId", part.PART_TYPE},
                        {"fields", fields},
                        {"factors", factors},
                        {"FR", number(part.FR)},
                        {"TFR", number(part.TFR())},
                        {"T", number(part.T)},
                        {"S", part.S < 0 ? nlohmann::json(nullptr) : number(part.S)},
                        {"BasicR", number(part.BasicR)},
                        {"overFlags", overFlagNames(part.OverFlags)}};
  if (part.SmtCalcFlag != 0) out["FRSMT"] = number(part.FRSMT);
  return out;
}

nlohmann::json headerJson(CCircHeader& header, bool hybrid) {
  nlohmann::json fields = nlohmann::json::object();
  JsonFields visitor(fields);
  if (hybrid) {
    header.hybridPage(visitor);
  } else {
    header.circuitPage(visitor);
    header.smtPage(visitor);
  }
  header.notesPage(visitor);
  fields["MissionTime"] = number(header.MissionTime);
  return fields;
}

nlohmann::json documentJson(CCircDoc& doc) {
  CCircHeader& h = doc.header();
  nlohmann::json records = nlohmann::json::array();
  for (const auto& part : doc.records()) records.push_back(partJson(*part, doc));
  nlohmann::json totals = {{"calculated", (h.CalcFlags & HeaderBasicDone) != 0},
                           {"failureRate", number(h.TotalFR)},
                           {"mtbf", number(h.MTBF)},
                           {"parts", number(h.PartsCount)},
                           {"basicReliability", number(h.BasicR)}};
  if (doc.isHybrid()) {
    totals["SUMCHIPS"] = number(h.SUMCHIPS);
    totals["PIE"] = number(h.PIE);
    totals["PIF"] = number(h.PIF);
    totals["PIQ"] = number(h.PIQ);
    totals["PIL"] = number(h.PIL);
  } else if (h.HASSMT != 0) {
    totals["largestFRSMT"] = number(h.LargestFRSMT);
  }
  nlohmann::json staleRecords = nlohmann::json::array();
  for (const StaleRecord& r : staleSubFileRecords(posixFileSystem(), doc)) {
    staleRecords.push_back({{"record", r.record}, {"PN", windows1252ToUtf8(r.PN)}, {"file", mixedToUtf8(r.file)},
                            {"reason", mixedToUtf8(r.reason)}});
  }
  return {{"file", mixedToUtf8(doc.path())},
          {"kind", doc.isHybrid() ? "HYBRID" : "CIRCUIT"},
          {"stale", !staleRecords.empty()},
          {"staleRecords", staleRecords},
          {"header", headerJson(h, doc.isHybrid())},
          {"totals", totals},
          {"records", records}};
}

}  // namespace kestrel::cli
