// Field validation shared by every editing page and by `kestrel add`.
// Each check returns the exact message to show, or nothing when the entry
// is valid; valid entries are returned in their stored form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/choice.hpp"
#include "core/field_spec.hpp"

namespace kestrel {

struct Validated {
  std::optional<std::string> error;  // the message, when the entry is refused
  double number = 0.0;               // Whole / Real / Flag: the value to store
  unsigned choice = 0;               // Choice: the 1-based index to store
  std::string text;                  // Text: the text to store; numbers: redisplay text
};

// "Text entry has too many characters:\n%d ch entered ... %d ch max".
std::optional<std::string> checkTextLength(std::string_view text, std::size_t maxLength);
// "Number entry is out of range:\n%ld to %ld". A valid entry redisplays as "%.0f".
Validated checkWholeNumber(std::string_view entry, long lo, long hi);
// "Number entry is out of range:\n%s to %s" with the bounds formatted at 15/6.
// A valid entry redisplays through the number formatter at 20/6.
Validated checkRealNumber(std::string_view entry, double lo, double hi);
// "Choice entry not found in choice list." Accepts a choice text (case
// ignored) or its 1-based number.
Validated checkChoice(std::string_view entry, const ChoiceList& list);
// Checks an entry against a field description (kind, range, length, list).
Validated validateEntry(const FieldSpec& field, std::string_view entry);
// "Page %d needs to be completed..." (pageNumber counted from 1).
std::string pageNeedsCompletion(int pageNumber);
// The same first line, then which field of which page still has no entry.
std::string pageNeedsCompletion(int pageNumber, std::string_view field, std::string_view pageTitle);

}  // namespace kestrel
