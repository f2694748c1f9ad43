#include "exchange/xref_target.hpp"

#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"
#include "exchange/keyed_file_build.hpp"

namespace kestrel {
namespace {

// The record's texts; false (logged by the reader) when one can not be read.
bool readXRef(KeywordReader& reader, library::CXRef& x, bool withNumber) {
  using library::kHeaderReadLimit;
  return (!withNumber || reader.readText("XREF_PN", x.pn, library::kNumberLength)) &&
         reader.readText("XREF_LIBPN", x.libPn, library::kNumberLength) &&
         reader.readText("XREF_NOTESTITLE", x.notesTitle, kHeaderReadLimit[3] - 1) &&
         reader.readText("XREF_NOTES", x.notes, kHeaderReadLimit[4] - 1);
}

}  // namespace

XRefTarget::XRefTarget(FileSystem& fs, ImportLogFn log) : fs_(fs), log_(std::move(log)) {}

XRefTarget::~XRefTarget() { abandonKeyedBuild(file_.get(), build_); }

bool XRefTarget::begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) {
  (void)definition;
  mode_ = mode;
  if (!prepareKeyedBuild(fs_, outputPath, mode, "cross-reference", build_, log_)) return false;
  library::StoreMessage error;
  file_ = library::XRefFile::create(build_.name(), error);
  return keyedBuildStarted(file_.get(), error, "cross-reference", log_);
}

bool XRefTarget::readHeader(KeywordReader& reader) {
  static constexpr const char* kKeywords[3] = {"XREF_HEADER_DESCR", "XREF_HEADER_NOTESTITLE", "XREF_HEADER_NOTES"};
  return importHeaderTexts(*file_, reader, kKeywords, log_);
}

RecordResult XRefTarget::storeFailed(long recordNumber) {
  log(strprintf("   ...Error: %s (R%ld).", library::oneLine(file_->error().text()).c_str(), recordNumber));
  broken_ = true;
  return RecordResult::Failed;
}

RecordResult XRefTarget::record(KeywordReader& reader, long recordNumber) {
  if (broken_) return RecordResult::Failed;
  library::CXRef x;
  // A cross-reference without its number can not be keyed.
  if (!readXRef(reader, x, true) || trimmed(x.pn).empty()) {
    log(strprintf("   ...Error: record fields could not be read, record discarded (R%ld).", recordNumber));
    return RecordResult::Failed;
  }
  switch (file_->put(x, false, counters_)) {
    case library::Outcome::Ok: return RecordResult::Added;
    case library::Outcome::Duplicate: return RecordResult::Duplicate;
    default: return storeFailed(recordNumber);
  }
}

bool XRefTarget::finish() {
  const bool ok = finishKeyedBuild(*file_, broken_, build_, log_, records_);
  file_.reset();
  return ok;
}

}  // namespace kestrel
