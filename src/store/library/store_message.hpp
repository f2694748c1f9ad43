// The three-part report of a library or cross-reference failure: where (the
// file), what failed, and why (the store's message or a phrase of our own),
// shown as one message "%s...\n...%s...\n...%s.".
#pragma once

#include <string>

#include "core/status.hpp"

namespace kestrel::library {

// A message on one line (log files, lists): line breaks become blanks.
std::string oneLine(std::string text);

// The kind of failure a record store code stands for.
StatusCode statusCodeOf(int storeCode);

struct StoreMessage {
  std::string context;  // "'FILE'"
  std::string what;     // "add error", "can not lock record", ...
  std::string detail;   // the store's text, or "file not found", ...
  StatusCode code = StatusCode::Failed;  // the kind of failure, for callers to decide on

  // The failure as a Status of its own code, with `prefix` before the message on one line.
  Status status(const std::string& prefix = {}) const {
    return Status::error(code, prefix + oneLine(text()));
  }

  bool empty() const { return what.empty(); }
  std::string text() const;
};

// What a library or cross-reference operation came to.
enum class Outcome {
  Ok,
  Duplicate,  // add: the part number is in the file already
  NotFound,   // find, recall: no such record
  End,        // step: past the first or last record
  Failed,     // reported in the message
};

}  // namespace kestrel::library
