#include "core/document_json.hpp"

#include "core/field_spec.hpp"
#include "core/file_system.hpp"
#include "core/stale_results.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

// Collects every visited field under its keyword (choices by their text).
class JsonFields final : public FieldVisitor {
 public:
  explicit JsonFields(JsonMembers& out) : out_(out) {}
  // Records keep Windows-1252; JSON is UTF-8.
  void text(const FieldSpec& field, std::string& value, bool) override {
    put(field, jsonString(windows1252ToUtf8(value)));
  }
  void number(const FieldSpec& field, float& value, bool) override { put(field, jsonNumber(value)); }
  void choice(const FieldSpec& field, std::uint8_t& value, bool) override {
    put(field, field.choices ? jsonString(field.choices->text(value)) : jsonInteger(value));
  }
  void flag(const FieldSpec& field, std::uint16_t& value, bool) override { put(field, jsonInteger(value)); }

 private:
  void put(const FieldSpec& field, std::string json) {
    if (!field.keyword.empty()) out_.emplace_back(std::string(field.keyword), std::move(json));
  }
  JsonMembers& out_;
};

void writeOverFlags(JsonWriter& out, std::uint32_t flags) {
  out.beginArray();
  if (flags & OverTemp) out.string("OverTemp");
  if (flags & OverStress) out.string("OverStress");
  if (flags & EnvNotValid) out.string("EnvNotValid");
  if (flags & EntryOverRange) out.string("EntryOverRange");
  out.endArray();
}

void writeHeader(JsonWriter& out, CCircHeader& header, bool hybrid) {
  JsonMembers fields;
  JsonFields visitor(fields);
  if (hybrid) {
    header.hybridPage(visitor);
  } else {
    header.circuitPage(visitor);
    header.smtPage(visitor);
  }
  header.notesPage(visitor);
  fields.emplace_back("MissionTime", jsonNumber(header.MissionTime));
  out.sortedObject(std::move(fields));
}

}  // namespace

JsonMembers documentTotalsJson(const CCircDoc& doc) {
  const CCircHeader& h = doc.header();
  JsonMembers t = {{"calculated", jsonBool((h.CalcFlags & HeaderBasicDone) != 0)},
                   {"failureRate", jsonNumber(h.TotalFR)},
                   {"mtbf", jsonNumber(h.MTBF)},
                   {"parts", jsonNumber(h.PartsCount)},
                   {"basicReliability", jsonNumber(h.BasicR)}};
  if (doc.isHybrid()) {
    for (const auto& [name, value] : {std::pair{"SUMCHIPS", h.SUMCHIPS}, {"PIE", h.PIE}, {"PIF", h.PIF},
                                      {"PIQ", h.PIQ}, {"PIL", h.PIL}}) {
      t.emplace_back(name, jsonNumber(value));
    }
  } else if (h.HASSMT != 0) {
    t.emplace_back("largestFRSMT", jsonNumber(h.LargestFRSMT));
  }
  if ((h.CalcFlags & HeaderMissionDone) != 0) {
    t.emplace_back("missionReliability", jsonNumber(h.MissionR));
    t.emplace_back("missionTime", jsonNumber(h.MissionTime));
    t.emplace_back("model", jsonString(kModels.text(h.MODEL)));
    t.emplace_back("K", jsonNumber(h.NREQ));
  }
  if ((h.CalcFlags & HeaderMissionMtbfDone) != 0) t.emplace_back("missionMTBF", jsonNumber(h.MissionMTBF));
  return t;
}

void writePartJson(JsonWriter& out, CPart& part, const CCircDoc& doc) {
  out.beginObject();
  out.key("BasicR");
  out.number(part.BasicR);
  out.key("FR");
  out.number(part.FR);
  if (part.SmtCalcFlag != 0) {
    out.key("FRSMT");
    out.number(part.FRSMT);
  }
  out.key("S");
  if (part.S < 0) {
    out.null();
  } else {
    out.number(part.S);
  }
  out.key("T");
  out.number(part.T);
  out.key("TFR");
  out.number(part.TFR());
  out.key("class");
  out.string(part.classRecord().className);
  JsonMembers factors;
  for (const NamedFactor& f : part.factors()) factors.emplace_back(std::string(f.name), jsonNumber(f.value));
  out.key("factors");
  out.sortedObject(std::move(factors));
  JsonMembers fields;
  JsonFields visitor(fields);
  part.identityPage(visitor);
  part.paramPage(visitor);
  part.tempPage(visitor);
  part.limitsPage(visitor);
  if (!doc.isHybrid() && doc.header().HASSMT != 0) part.smtPage(visitor);
  part.notesPage(visitor);
  out.key("fields");
  out.sortedObject(std::move(fields));
  out.key("overFlags");
  writeOverFlags(out, part.OverFlags);
  out.key("type");
  out.string(part.GetTypeName());
  out.key("typeId");
  out.integer(part.PART_TYPE);
  out.endObject();
}

void writeDocumentJson(JsonWriter& out, CCircDoc& doc, std::string_view command) {
  out.beginObject();
  out.key("command");
  out.string(command);
  out.key("file");
  out.string(mixedToUtf8(doc.path()));
  out.key("header");
  writeHeader(out, doc.header(), doc.isHybrid());
  out.key("kind");
  out.string(doc.isHybrid() ? "HYBRID" : "CIRCUIT");
  out.key("records");
  out.beginArray();
  for (const auto& part : doc.records()) writePartJson(out, *part, doc);
  out.endArray();
  out.key("schema");
  out.integer(kJsonSchema);
  const std::vector<StaleRecord> stale = staleSubFileRecords(posixFileSystem(), doc);
  out.key("stale");
  out.boolean(!stale.empty());
  out.key("staleRecords");
  out.beginArray();
  for (const StaleRecord& r : stale) {
    out.sortedObject({{"record", jsonInteger(static_cast<long long>(r.record))},
                      {"PN", jsonString(windows1252ToUtf8(r.PN))},
                      {"file", jsonString(mixedToUtf8(r.file))},
                      {"reason", jsonString(mixedToUtf8(r.reason))}});
  }
  out.endArray();
  out.key("totals");
  out.sortedObject(documentTotalsJson(doc));
  out.endObject();
  out.finish();
}

}  // namespace kestrel
