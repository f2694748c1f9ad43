// Circuits and hybrids as export sources: the document is read whole, its
// records exported in list order.
#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "core/stale_results.hpp"
#include "core/ui.hpp"
#include "exchange/export/record_source.hpp"

namespace kestrel {
namespace {

class DocumentSource final : public RecordSource {
 public:
  DocumentSource(std::unique_ptr<CCircDoc> doc, FileSystem& fs) : doc_(std::move(doc)), fs_(fs) {}

  long count() override { return static_cast<long>(doc_->count()); }

  ExportRow headerRow(Ui& ui) override {
    bool calculated = false;
    ExportRow row = documentHeaderRow(*doc_, calculated);
    if (!calculated) ui.log("   ...circuit has not been calculated...");
    if (const auto stale = staleSubFileRecords(fs_, *doc_); !stale.empty()) {
      ui.log("   ..." + notCurrentText(stale));
    }
    return row;
  }

  KeywordCells headerCells() override { return headerKeywordCells(doc_->header(), doc_->isHybrid()); }

  Status forEach(const RecordFn& fn) override {
    RecordRowContext context;
    context.hybridDocument = doc_->isHybrid();
    context.shareBase = doc_->shareBase();
    for (const auto& part : doc_->records()) {
      if (!fn(*part, context)) break;
    }
    return Status::ok();
  }

  std::vector<std::string> childFiles() override {
    std::vector<std::string> children;
    for (const auto& part : doc_->records()) {
      const bool subFile = part->PART_TYPE == kSubCircuitType || part->PART_TYPE == kSubHybridType;
      if (!subFile || part->FileName.empty()) continue;
      // Found as the calculation finds it; a child not there keeps its name
      // and fails to open with it.
      std::string error;
      const std::string found = DocumentSubFiles::childFile(doc_->path(), *part, error);
      children.push_back(found.empty() ? subFilePath(doc_->path(), part->FileName) : found);
    }
    return children;
  }

 private:
  std::unique_ptr<CCircDoc> doc_;
  FileSystem& fs_;
};

}  // namespace

Status openDocumentSource(FileSystem& fs, const std::string& path, std::unique_ptr<RecordSource>& source) {
  std::unique_ptr<CCircDoc> doc;
  if (Status s = loadDocument(fs, path, doc); !s) return s;
  source = std::make_unique<DocumentSource>(std::move(doc), fs);
  return Status::ok();
}

}  // namespace kestrel
