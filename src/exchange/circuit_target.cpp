#include "exchange/circuit_target.hpp"

#include <algorithm>

#include "core/circ_file.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"
#include "exchange/part_builder.hpp"

namespace kestrel {

CircuitTarget::CircuitTarget(FileSystem& fs, DocKind kind, ImportLogFn log, bool translate, OpenDocuments& open)
    : fs_(fs), open_(open), kind_(kind), log_(std::move(log)), translate_(translate) {}

bool CircuitTarget::begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) {
  mode_ = mode;
  path_ = outputPath;
  lock_.reset();
  if (Status s = lockDocument(fs_, outputPath, lock_); !s) {
    log("   ...Error: " + s.message());
    return false;
  }
  const bool hybrid = kind_ == DocKind::Hybrid;
  if (mode == OutputMode::Build) {
    log(strprintf("   ...building '%s'...", outputPath.c_str()));
    if (fs_.exists(outputPath)) {
      log(hybrid ? "   ...Error: can not overwrite existing hybrid." : "   ...Error: can not overwrite existing circuit.");
      return false;
    }
    // A window holds the name (its file gone from the disk): its save would
    // overwrite what the import built.
    if (open_.find(outputPath) != nullptr) {
      log("   ...Error: can not import to open document.");
      return false;
    }
    doc_ = std::make_unique<CCircDoc>(kind_);
    return true;
  }
  log(strprintf("   ...updating '%s'...", outputPath.c_str()));
  if (!fs_.exists(outputPath)) {
    log(strprintf("   ...Error: file '%s' does not exist.", outputPath.c_str()));
    return false;
  }
  if (open_.find(outputPath) != nullptr) {
    log("   ...Error: can not import to open document.");
    return false;
  }
  byPn_ = definition.isMapped("PN");
  byRefDes_ = definition.isMapped("REFDES");
  if (!byPn_ && !byRefDes_) {
    log("   ...Error: update mode requires 'PN' or 'REFDES' keyword to be defined.");
    return false;
  }
  std::unique_ptr<CCircDoc> loaded;
  if (Status s = loadDocument(fs_, outputPath, loaded); !s) {
    log(strprintf("   ...Error: %s", s.message().c_str()));
    return false;
  }
  if (loaded->kind() != kind_) {
    log("   ...Error: unexpected file format.");
    return false;
  }
  doc_ = std::move(loaded);
  for (std::size_t i = 0; i < doc_->count(); ++i) {
    CPart& p = doc_->record(i);
    index_.emplace(keyOf(p.PN, p.REFDES), &p);
  }
  return true;
}

std::string CircuitTarget::keyOf(const std::string& pn, const std::string& refdes) const {
  return (byPn_ ? pn : std::string()) + '\x1f' + (byRefDes_ ? refdes : std::string());
}

bool CircuitTarget::readHeader(KeywordReader& reader) {
  return doc_->header().ImportFields(reader, kind_ == DocKind::Hybrid);
}

RecordResult CircuitTarget::record(KeywordReader& reader, long recordNumber) {
  return mode_ == OutputMode::Build ? build(reader, recordNumber) : update(reader, recordNumber);
}

RecordResult CircuitTarget::build(KeywordReader& reader, long recordNumber) {
  if (built_.size() >= kMaxRecs) {
    log(strprintf(kind_ == DocKind::Hybrid ? "   ...hybrid list is full (%d records)..."
                                           : "   ...circuit list is full (%d records)...",
                  static_cast<int>(kMaxRecs)));
    return RecordResult::ListFull;
  }
  const bool hybrid = kind_ == DocKind::Hybrid;
  std::unique_ptr<CPart> part = source_ ? source_(reader, hybrid, recordNumber) : nullptr;
  // A recalled part keeps the numbers it was recalled by.
  const bool recalled = part != nullptr;
  if (!part) part = createPartFor(reader, hybrid, translate_, recordNumber, log_);
  if (!part) return RecordResult::Failed;
  const CCircHeader& h = doc_->header();
  const bool smtAllowed = !hybrid && h.HASSMT != 0;
  if (!part->ImportFields(reader, recalled, smtAllowed, h.TEMP)) {
    log(strprintf("   ...Error: record fields could not be read, record discarded (R%ld).", recordNumber));
    return RecordResult::Failed;
  }
  part->normalizeChoices();
  built_.push_back(std::move(part));
  return RecordResult::Added;
}

RecordResult CircuitTarget::update(KeywordReader& reader, long recordNumber) {
  std::string pn, refdes;
  if ((byPn_ && !reader.readText("PN", pn, 25, true)) || (byRefDes_ && !reader.readText("REFDES", refdes, 25, true))) {
    return RecordResult::Failed;
  }
  const auto found = index_.find(keyOf(pn, refdes));
  if (found == index_.end()) {
    log(strprintf(kind_ == DocKind::Hybrid ? "   ...'%s'/'%s' not found in hybrid (R%ld)..."
                                           : "   ...'%s'/'%s' not found in circuit (R%ld)...",
                  pn.c_str(), refdes.c_str(), recordNumber));
    return RecordResult::NotFound;
  }
  CPart& target = *found->second;
  // The fields are read into a copy: a record whose reading fails keeps
  // every field it had.
  std::unique_ptr<CPart> copy = target.clone();
  const CCircHeader& h = doc_->header();
  if (!copy->ImportFields(reader, false, kind_ == DocKind::Circuit && h.HASSMT != 0, h.TEMP)) {
    log(strprintf("   ...Error: record fields could not be read, record left unchanged (R%ld).", recordNumber));
    return RecordResult::Failed;
  }
  copy->normalizeChoices();
  target.CopyFrom(*copy);
  const std::string newKey = keyOf(target.PN, target.REFDES);
  if (newKey != found->first) {
    index_.erase(found);
    index_.emplace(newKey, &target);
  }
  return RecordResult::Updated;
}

bool CircuitTarget::finish() {
  std::vector<std::unique_ptr<CPart>> records = std::move(built_);
  built_.clear();
  while (doc_->count() > 0) records.push_back(doc_->take(doc_->count() - 1));
  if (mode_ == OutputMode::Update) std::reverse(records.begin(), records.end());
  std::stable_sort(records.begin(), records.end(),
                   [](const std::unique_ptr<CPart>& a, const std::unique_ptr<CPart>& b) { return sortsBefore(*a, *b); });
  for (auto& r : records) doc_->appendLoaded(std::move(r));
  doc_->header().CalcFlags = 0;
  doc_->setModified(true);
  if (mode_ == OutputMode::Update) log(strprintf("   ...saving original '%s' to .BAK file...", path_.c_str()));
  if (Status s = saveDocument(fs_, *doc_, path_); !s) {
    log(strprintf("   ...Error: can not save file '%s'.", path_.c_str()));
    log("   ..." + s.message());
    return false;
  }
  lock_.reset();
  return true;
}

}  // namespace kestrel
