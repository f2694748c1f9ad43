// The library import target: builds a new library from the input records
// (each part made as for a circuit and added by its part number, a number
// already present counted as DuplicatePN). Libraries are shared through the
// store's locks, so an import only builds them. The work is done on a
// temporary file that takes the output's place only when the run succeeds.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.hpp"
#include "exchange/import_target.hpp"
#include "exchange/keyed_file_build.hpp"
#include "store/library/part_library.hpp"

namespace kestrel {

class LibraryTarget final : public ImportTarget {
 public:
  LibraryTarget(FileSystem& fs, ImportLogFn log, bool translate = false);
  ~LibraryTarget() override;

  // Parts are asked of `source` first (library recall).
  void recallFrom(PartSource source) { source_ = std::move(source); }

  bool begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) override;
  bool readHeader(KeywordReader& reader) override;
  RecordResult record(KeywordReader& reader, long recordNumber) override;
  bool finish() override;
  std::size_t size() const override { return static_cast<std::size_t>(records_); }

 private:
  RecordResult build(KeywordReader& reader, long recordNumber);
  bool storeFailed(long recordNumber);
  void log(const std::string& line) const { log_(line); }

  FileSystem& fs_;
  ImportLogFn log_;
  bool translate_;
  PartSource source_;
  OutputMode mode_ = OutputMode::Build;
  KeyedBuild build_;  // declared first: outlives the open library
  std::unique_ptr<library::PartLibrary> lib_;
  library::StoreCounters counters_;
  long records_ = 0;
  bool broken_ = false;  // a store failure: the output is not written
};

}  // namespace kestrel
