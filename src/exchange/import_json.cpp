#include "exchange/import_json.hpp"

#include "core/document_json.hpp"
#include "core/windows1252.hpp"

namespace kestrel {

void writeImportJson(JsonWriter& out, const ImportOutcome& outcome) {
  out.beginCommandDocument("import");
  out.key("cancelled");
  out.boolean(outcome.cancelled);
  out.key("files");
  out.beginArray();
  for (const FileOutcome& f : outcome.files) {
    const ImportCounters& n = f.counters;
    out.sortedObject({{"input", jsonString(mixedToUtf8(f.input))},
                      {"output", jsonString(mixedToUtf8(f.output))},
                      {"ok", jsonBool(f.ok)},
                      {"read", jsonInteger(n.read)},
                      {"built", jsonInteger(n.built)},
                      {"updated", jsonInteger(n.updated)},
                      {"notFound", jsonInteger(n.notFound)},
                      {"failed", jsonInteger(n.failed)},
                      {"skipped", jsonInteger(n.skipped)},
                      {"duplicatePN", jsonInteger(n.duplicatePN)}});
  }
  out.endArray();
  out.endObject();
  out.finish();
}

}  // namespace kestrel
