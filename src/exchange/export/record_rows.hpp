// The export rows of the system's own records, in two layouts.
//
// Record layout (28 columns, for reading by people and spreadsheets): the
// document's header row, then per record: type name, hybrid flag, the five
// identity texts, QTY, CF, the two limits, the two detail lines, the
// surface-mount line, the library time stamp, the results (TFR, share, FR,
// FRSMT, T, S), "*OVER*", MissionR, BasicR, the two factor lines and the
// notes. Header row of a circuit or hybrid, by column: 1 "CIRCUIT" or
// "HYBRID", 2 file version, 3 record count, 4 description, 5 environment,
// 6 ambient temperature, 7 correction factor, 8 the model line (circuit) or
// the hybrid line, 9 the surface-mount line (circuit with surface-mount
// analysis), 10-12 total failure rate, MTBF and parts count (calculated),
// 13-16 mission time, mission MTBF, mission and basic reliability (mission
// calculated), 17-18 the hybrid factor lines (calculated hybrid), 19-20 the
// notes title and notes. A library's header row: "LIBRARY", version, record
// count, description, notes title, notes.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/writers/table_writer.hpp"

namespace kestrel {

class CPart;
class CCircDoc;

inline constexpr std::size_t kRecordColumns = 28;

struct RecordRowContext {
  bool hybridDocument = false;
  bool library = false;          // results and text lines stay empty
  double shareBase = -1.0;       // the total shares are taken against
  std::int32_t timeStamp = 0;    // library records: seconds since 1970
};

ExportRow recordRow(const CPart& part, const RecordRowContext& context);
// `calculated` is false when the header holds no current results (the
// caller logs "   ...circuit has not been calculated...").
ExportRow documentHeaderRow(const CCircDoc& doc, bool& calculated);
ExportRow libraryHeaderRow(long count, const std::string& description, const std::string& notesTitle,
                           const std::string& notes);

}  // namespace kestrel
