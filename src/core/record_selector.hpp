// Naming records of a parts list from outside a window: a record number as
// the list shows it (from 1), a part number ("PN=...") or a reference
// designator ("REFDES=..."), texts compared upper-cased as Find compares.
// Also every record a Find would stop at, top to bottom.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/record_find.hpp"
#include "core/status.hpp"

namespace kestrel {

class CCircDoc;

struct RecordSelector {
  enum class By { Number, Pn, RefDes };
  By by = By::Number;
  std::size_t number = 0;  // from 1
  std::string text;        // upper-cased
  std::string written;     // as the user wrote it, for messages
};

// Reads "7", "PN=RLR07" or "REFDES=R1" (the keyword in any case).
Status parseRecordSelector(const std::string& text, RecordSelector& out);

// The positions (from 0, in list order) of the records a selector names.
std::vector<std::size_t> selectedRecords(const CCircDoc& doc, const RecordSelector& selector);

// Every record the Find job stops at from the top, in list order; when there
// is none, `notFound` receives the Find's message.
std::vector<std::size_t> findEveryRecord(const CCircDoc& doc, RecordFindJob job, std::string& notFound);

}  // namespace kestrel
