#include "core/whatif_json.hpp"

#include "core/document_json.hpp"
#include "core/windows1252.hpp"

namespace kestrel {

void writeWhatIfJson(JsonWriter& out, std::string_view file, bool dryRun, const CCircDoc& top,
                     const WhatIfOutcome& outcome) {
  out.beginCommandDocument("whatif");
  out.key("file");
  out.string(mixedToUtf8(file));
  out.key("dryRun");
  out.boolean(dryRun);
  out.key("documents");
  out.beginArray();
  for (const DocumentTotals& t : outcome.totals) {
    // A stored total that was not current has no "before".
    out.sortedObject({{"file", jsonString(mixedToUtf8(t.path))},
                      {"failureRateBefore", t.calculatedBefore ? jsonNumber(t.before) : "null"},
                      {"failureRate", jsonNumber(t.after)}});
  }
  out.endArray();
  out.key("saved");
  out.beginArray();
  for (const std::string& path : outcome.saved) out.string(mixedToUtf8(path));
  out.endArray();
  out.key("totals");
  out.sortedObject(documentTotalsJson(top));
  out.endObject();
  out.finish();
}

}  // namespace kestrel
