// Libraries as export sources: the keyed file is opened read-only and its
// parts read first to last in list order (hybrid flag, part type, part
// number), each rebuilt from its stored object.
#include <algorithm>

#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "exchange/export/record_source.hpp"
#include "store/library/library_list.hpp"
#include "store/library/part_library.hpp"

namespace kestrel {
namespace {

using library::LibEntry;
using library::Outcome;
using library::PartLibrary;

class LibrarySource final : public RecordSource {
 public:
  LibrarySource(std::unique_ptr<PartLibrary> lib, std::string path) : lib_(std::move(lib)), path_(std::move(path)) {}

  long count() override { return lib_->count(); }

  ExportRow headerRow(Ui&) override {
    library::HeaderTexts texts;
    (void)lib_->readHeader(texts);
    return libraryHeaderRow(lib_->count(), texts.description, texts.notesTitle, texts.notes);
  }

  KeywordCells headerCells() override { return {}; }

  Status forEach(const RecordFn& fn) override {
    // The walk reads past a damaged index or record (naming each) instead
    // of passing a short list for the whole library.
    damage_ = {};
    library::ListWalk walk;
    const Outcome o = library::walkList<PartLibrary, LibEntry>(*lib_, [&](const LibEntry& entry) {
      std::unique_ptr<CPart> part;
      if (!lib_->partOf(entry, part)) {
        damage_.lines.push_back(library::oneLine(lib_->error().detail));
        return true;
      }
      RecordRowContext context;
      context.library = true;
      context.hybridDocument = entry.hybrid != 0;
      context.timeStamp = entry.stamp;
      return fn(*part, context);
    }, walk);
    if (o == Outcome::Failed) damage_.lines.push_back(lib_->error().context + ": " + lib_->error().what + ": " + lib_->error().detail);
    damage_.unreadable = std::max(walk.unreadable(), static_cast<long>(damage_.lines.size()) - (o == Outcome::Failed));
    return Status::ok();
  }

  SourceDamage damage() const override { return damage_; }

 private:
  std::unique_ptr<PartLibrary> lib_;
  std::string path_;
  SourceDamage damage_;
};

}  // namespace

Status openLibrarySource(const std::string& path, std::unique_ptr<RecordSource>& source) {
  std::string startError;
  // The store's buffers could not be set up: none of the file kinds.
  if (!library::startStore(startError)) return Status::error(StatusCode::Failed, startError);
  library::StoreMessage error;
  auto lib = PartLibrary::open(path, false, error);
  if (!lib) return error.status("Can not open input library file: ");
  if (lib->count() < 0) return lib->error().status("Input library file error: ");
  source = std::make_unique<LibrarySource>(std::move(lib), path);
  return Status::ok();
}

}  // namespace kestrel
