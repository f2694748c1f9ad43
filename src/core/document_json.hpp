// A circuit or hybrid as JSON for scripts: its header fields, every record's
// fields, factors and results, and the totals, written record by record.
// Failure rates are in fpmh, times and MTBFs in hours; texts are UTF-8.
#pragma once

#include <string_view>

#include "core/circ_doc.hpp"
#include "core/json_writer.hpp"

namespace kestrel {

// Writes the whole document as one JSON object, under `command` (the
// command that printed it, "show" or "calc"). The mission results appear in
// the totals once the mission stages ran.
void writeDocumentJson(JsonWriter& out, CCircDoc& doc, std::string_view command);

// One record as a JSON object: class, type, fields by keyword (choices by
// their text), factors, FR, TFR, T, S, BasicR and the over flags by name.
void writePartJson(JsonWriter& out, CPart& part, const CCircDoc& doc);

// The totals of the last calculation: "calculated", "failureRate" (fpmh),
// "mtbf" (hours), "parts", "basicReliability"; a hybrid's package factors;
// "largestFRSMT" with surface-mount analysis; "missionReliability",
// "missionTime", "model" and "K" once the mission stage ran, and
// "missionMTBF" once the mission MTBF was found.
JsonMembers documentTotalsJson(const CCircDoc& doc);

}  // namespace kestrel
