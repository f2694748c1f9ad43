#include "exchange/library_target.hpp"

#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "exchange/keyed_file_build.hpp"
#include "exchange/part_builder.hpp"

namespace kestrel {

LibraryTarget::LibraryTarget(FileSystem& fs, ImportLogFn log, bool translate)
    : fs_(fs), log_(std::move(log)), translate_(translate) {}

LibraryTarget::~LibraryTarget() {
  abandonKeyedBuild(lib_.get(), build_);  // before the staged file removes what is left
}

bool LibraryTarget::begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) {
  (void)definition;
  mode_ = mode;
  if (!prepareKeyedBuild(fs_, outputPath, mode, "library", build_, log_)) return false;
  library::StoreMessage error;
  lib_ = library::PartLibrary::create(build_.name(), error);
  return keyedBuildStarted(lib_.get(), error, "library", log_);
}

bool LibraryTarget::readHeader(KeywordReader& reader) {
  static constexpr const char* kKeywords[3] = {"HEADER_DESCR", "HEADER_NOTESTITLE", "HEADER_NOTES"};
  return importHeaderTexts(*lib_, reader, kKeywords, log_);
}

RecordResult LibraryTarget::record(KeywordReader& reader, long recordNumber) {
  return build(reader, recordNumber);
}

bool LibraryTarget::storeFailed(long recordNumber) {
  log(strprintf("   ...Error: %s (R%ld).", library::oneLine(lib_->error().text()).c_str(), recordNumber));
  broken_ = true;
  return false;
}

RecordResult LibraryTarget::build(KeywordReader& reader, long recordNumber) {
  if (broken_) return RecordResult::Failed;
  std::uint16_t hybridFlag = 0;
  reader.readInt("IS_HYBRID", hybridFlag, 0, 1);
  const bool hybrid = hybridFlag != 0;
  std::unique_ptr<CPart> part = source_ ? source_(reader, hybrid, recordNumber) : nullptr;
  const bool recalled = part != nullptr;
  if (!part) part = createPartFor(reader, hybrid, translate_, recordNumber, log_);
  if (!part) return RecordResult::Failed;
  if (!part->ImportFields(reader, recalled, !hybrid, CCircHeader{}.TEMP)) {
    log(strprintf("   ...Error: record fields could not be read, record discarded (R%ld).", recordNumber));
    return RecordResult::Failed;
  }
  part->normalizeChoices();
  switch (lib_->put(*part, false, counters_)) {
    case library::Outcome::Ok: return RecordResult::Added;
    case library::Outcome::Duplicate: return RecordResult::Duplicate;
    default: storeFailed(recordNumber); return RecordResult::Failed;
  }
}

bool LibraryTarget::finish() {
  const bool ok = finishKeyedBuild(*lib_, broken_, build_, log_, records_);
  lib_.reset();
  return ok;
}

}  // namespace kestrel
