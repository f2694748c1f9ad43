// Where the records of one input file go: an import target is begun on its
// output file, takes the header and then one input record at a time (as a
// new record, or as an update of a record it holds), and is finished, which
// writes the output the safe way. Nothing reaches the output file unless
// finish() is called, so a file that fails half-way leaves no trace.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/status.hpp"
#include "exchange/import_definition.hpp"

namespace kestrel {

class KeywordReader;
class CPart;

struct ImportCounters {
  long read = 0;         // input records seen
  long skipped = 0;      // in the skip range, or the header record
  long built = 0;        // records added
  long failed = 0;       // records discarded because their fields could not be read
  long updated = 0;
  long notFound = 0;
  long duplicatePN = 0;
};

// What became of one input record.
enum class RecordResult { Added, Updated, NotFound, Failed, Duplicate, ListFull };

// The run's log: every line goes to the operation log.
using ImportLogFn = std::function<void(std::string_view)>;

// Where a new record's part comes from before its class reads its fields
// (a library recall by number); null lets the target build the part from
// the input part type.
using PartSource = std::function<std::unique_ptr<CPart>(KeywordReader& reader, bool hybrid, long recordNumber)>;

class ImportTarget {
 public:
  virtual ~ImportTarget() = default;
  // Checks and opens the output (must not exist for Build, must exist and be
  // of the right kind for Update); false after logging why.
  virtual bool begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) = 0;
  // Reads the header keywords (Build only).
  virtual bool readHeader(KeywordReader& reader) = 0;
  // One input record, the reader set on it.
  virtual RecordResult record(KeywordReader& reader, long recordNumber) = 0;
  // Saves the output; false after logging why.
  virtual bool finish() = 0;
  // Records in the output now.
  virtual std::size_t size() const = 0;
};

}  // namespace kestrel
