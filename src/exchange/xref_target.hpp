// The cross-reference import target: builds a new cross-reference file from
// the input records (XREF_PN, XREF_LIBPN, XREF_NOTESTITLE, XREF_NOTES; a
// cross-reference number already present counted as DuplicatePN). Files
// shared through the store are only built by an import, never updated. Like
// the library target it works on a temporary file moved into place at the end.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.hpp"
#include "exchange/import_target.hpp"
#include "exchange/keyed_file_build.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel {

class XRefTarget final : public ImportTarget {
 public:
  XRefTarget(FileSystem& fs, ImportLogFn log);
  ~XRefTarget() override;

  bool begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) override;
  bool readHeader(KeywordReader& reader) override;
  RecordResult record(KeywordReader& reader, long recordNumber) override;
  bool finish() override;
  std::size_t size() const override { return static_cast<std::size_t>(records_); }

 private:
  RecordResult storeFailed(long recordNumber);
  void log(const std::string& line) const { log_(line); }

  FileSystem& fs_;
  ImportLogFn log_;
  OutputMode mode_ = OutputMode::Build;
  KeyedBuild build_;  // declared first: outlives the open library
  std::unique_ptr<library::XRefFile> file_;
  library::StoreCounters counters_;
  long records_ = 0;
  bool broken_ = false;
};

}  // namespace kestrel
