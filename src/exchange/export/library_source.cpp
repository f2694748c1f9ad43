// Libraries as export sources: the keyed file is opened read-only and its
// parts read first to last in list order (hybrid flag, part type, part
// number), each rebuilt from its stored object.
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "exchange/export/record_source.hpp"
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
    LibEntry entry, next;
    Outcome o = lib_->first(entry);
    long number = 1;
    while (o == Outcome::Ok) {
      std::unique_ptr<CPart> part;
      if (!lib_->partOf(entry, part)) {
        return Status::error(strprintf("Can not get next record: '%s' (rec#%ld): %s", path_.c_str(), number,
                                       library::oneLine(lib_->error().text()).c_str()));
      }
      RecordRowContext context;
      context.library = true;
      context.hybridDocument = entry.hybrid != 0;
      context.timeStamp = entry.stamp;
      if (!fn(*part, context)) return Status::ok();
      o = lib_->next(entry, next);
      entry = std::move(next);
      ++number;
    }
    if (o != Outcome::End) {
      return Status::error(strprintf("%s: '%s' (rec#%ld): %s", number == 1 ? "Can not get first record" : "Can not get next record",
                                     path_.c_str(), number, library::oneLine(lib_->error().text()).c_str()));
    }
    return Status::ok();
  }

 private:
  std::unique_ptr<PartLibrary> lib_;
  std::string path_;
};

}  // namespace

Status openLibrarySource(const std::string& path, std::unique_ptr<RecordSource>& source) {
  std::string startError;
  if (!library::startStore(startError)) return Status::error(startError);
  library::StoreMessage error;
  auto lib = PartLibrary::open(path, false, error);
  if (!lib) return Status::error("Can not open input library file: " + library::oneLine(error.text()));
  if (lib->count() < 0) return Status::error("Input library file error: " + library::oneLine(lib->error().text()));
  source = std::make_unique<LibrarySource>(std::move(lib), path);
  return Status::ok();
}

}  // namespace kestrel
