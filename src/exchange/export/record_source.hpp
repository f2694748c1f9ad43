// Where an export takes its records from: an open circuit or hybrid, or a
// library read first to last. A source can be walked more than once (the
// keyword layout looks at every record before it writes the first row).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "exchange/export/keyword_rows.hpp"
#include "exchange/export/record_rows.hpp"

namespace kestrel {

class CPart;
class Ui;

// Called per record; false stops the walk.
using RecordFn = std::function<bool(const CPart& part, const RecordRowContext& context)>;

// What the last walk of a damaged input went past: the records it could not
// read (at least the lines' count) and one line per fault, naming the file.
struct SourceDamage {
  long unreadable = 0;
  std::vector<std::string> lines;
};

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual long count() = 0;
  // The record layout's header row; logs "   ...circuit has not been
  // calculated..." when the document's results are not current.
  virtual ExportRow headerRow(Ui& ui) = 0;
  // The header keywords repeated on every row of the keyword layout.
  virtual KeywordCells headerCells() = 0;
  // Every record in order; a read failure ends the walk with its message.
  virtual Status forEach(const RecordFn& fn) = 0;
  // Child files named by sub-circuit and sub-hybrid records.
  virtual std::vector<std::string> childFiles() { return {}; }
  // Empty unless the last walk read past damage.
  virtual SourceDamage damage() const { return {}; }
};

Status openDocumentSource(FileSystem& fs, const std::string& path, std::unique_ptr<RecordSource>& source);
Status openLibrarySource(const std::string& path, std::unique_ptr<RecordSource>& source);

}  // namespace kestrel
