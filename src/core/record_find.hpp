// Find in a parts list: the first record, from the top or after the current
// one, whose chosen identity texts hold a text (case ignored), or whose part
// type is a chosen one. The Find dialogs of the circuit and hybrid windows
// fill the job; this decides the hit and the not-found message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

class CCircDoc;
class CPart;

enum class RecordFindMode { Text, PartType };

// The texts the text mode looks in.
struct RecordFindFields {
  bool pn = true;
  bool pn2 = false;
  bool refDes = false;
  bool descr = false;
  bool lcn = false;
  bool notes = false;  // the notes title and the notes
};

struct RecordFindJob {
  RecordFindMode mode = RecordFindMode::Text;
  bool fromCurrent = false;  // start after the current record, else at the top
  RecordFindFields fields;
  std::string text;          // only its first kFindTextLength characters count
  std::uint16_t typeId = 0;  // part-type mode
};

// How much of the entered text the search uses.
inline constexpr std::size_t kFindTextLength = 25;

struct RecordFindResult {
  std::optional<std::size_t> found;  // the record to select
  std::string message;               // set when nothing was found
};

// True when the record's ticked texts hold `text` (already cut to length),
// both sides upper-cased.
bool recordHoldsText(const CPart& part, const RecordFindFields& fields, const std::string& text);

// Runs the search. Without a current record a search "from current" starts
// at the top and says so in its message.
RecordFindResult findRecord(const CCircDoc& doc, const RecordFindJob& job,
                            std::optional<std::size_t> current);

}  // namespace kestrel
