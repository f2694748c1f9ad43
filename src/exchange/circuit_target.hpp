// The circuit and hybrid import target: builds a new document from the
// input records, or updates the records of an existing one matched by PN
// and/or REFDES. Records are gathered as read and put in the list's order
// (type id, PN, REFDES; equal keys in input order) when the run ends.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/document_lock.hpp"
#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "exchange/import_target.hpp"

namespace kestrel {

class CircuitTarget final : public ImportTarget {
 public:
  // A file `open` holds (a window's document) is never built or updated:
  // "...Error: can not import to open document.".
  CircuitTarget(FileSystem& fs, DocKind kind, ImportLogFn log, bool translate = false,
                OpenDocuments& open = OpenDocuments::none());

  // New records are asked of `source` first (library recall).
  void recallFrom(PartSource source) { source_ = std::move(source); }

  bool begin(const std::string& outputPath, OutputMode mode, const CImportDoc& definition) override;
  bool readHeader(KeywordReader& reader) override;
  RecordResult record(KeywordReader& reader, long recordNumber) override;
  bool finish() override;
  std::size_t size() const override { return built_.size() + (doc_ ? doc_->count() : 0); }

  // The document (after finish: as saved).
  const CCircDoc& document() const { return *doc_; }

 private:
  RecordResult build(KeywordReader& reader, long recordNumber);
  RecordResult update(KeywordReader& reader, long recordNumber);
  std::string keyOf(const std::string& pn, const std::string& refdes) const;
  void log(const std::string& line) const { log_(line); }

  FileSystem& fs_;
  OpenDocuments& open_;
  DocKind kind_;
  ImportLogFn log_;
  bool translate_;
  PartSource source_;
  OutputMode mode_ = OutputMode::Build;
  std::string path_;
  std::unique_ptr<CCircDoc> doc_;
  DocumentLock lock_;  // the output file's, from begin until it is saved
  std::vector<std::unique_ptr<CPart>> built_;
  bool byPn_ = false, byRefDes_ = false;
  std::multimap<std::string, CPart*> index_;  // update: records by key, in list order
};

}  // namespace kestrel
