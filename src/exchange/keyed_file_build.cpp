#include "exchange/keyed_file_build.hpp"

#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/library_location.hpp"
#include "store/library/remove_library.hpp"

namespace kestrel {

bool prepareKeyedBuild(FileSystem& fs, const std::string& outputPath, OutputMode mode, const char* kind,
                       KeyedBuild& build, const ImportLogFn& log) {
  if (mode != OutputMode::Build) {
    log(strprintf("   ...%s update N/A: skipping file...", kind));
    return false;
  }
  log(strprintf("   ...building '%s'...", outputPath.c_str()));
  build.output = outputPath;
  if (isDatabaseAddress(outputPath)) return true;  // creating it refuses one that exists
  if (fs.exists(outputPath)) {
    log(strprintf("   ...Error: can not overwrite existing %s.", kind));
    return false;
  }
  build.staged = std::make_unique<StagedStoreFile>(fs, outputPath);
  if (Status s = build.staged->prepare(false); !s) {
    log(strprintf("   ...Error: %s", s.message().c_str()));
    return false;
  }
  return true;
}

bool keyedBuildStarted(library::LibraryHome* home, const library::StoreMessage& error, const char* kind,
                       const ImportLogFn& log) {
  if (home == nullptr) {
    if (error.code == StatusCode::AlreadyExists) log(strprintf("   ...Error: can not overwrite existing %s.", kind));
    log("   ...Error: " + library::oneLine(error.text()));
    return false;
  }
  if (library::KeyedFile* file = home->keyedFile()) {
    file->store().SetDurable(false);
    return true;
  }
  if (home->beginJob()) return true;
  log("   ...Error: " + library::oneLine(home->error().text()));
  return false;
}

bool readHeaderTexts(KeywordReader& reader, const char* const (&keywords)[3], library::HeaderTexts& texts) {
  using library::kHeaderReadLimit;
  return reader.readText(keywords[0], texts.description, kHeaderReadLimit[2] - 1) &&
         reader.readText(keywords[1], texts.notesTitle, kHeaderReadLimit[3] - 1) &&
         reader.readText(keywords[2], texts.notes, kHeaderReadLimit[4] - 1);
}

bool importHeaderTexts(library::LibraryHome& file, KeywordReader& reader, const char* const (&keywords)[3],
                       const ImportLogFn& log) {
  library::HeaderTexts texts;
  if (!file.readHeader(texts) || !readHeaderTexts(reader, keywords, texts) || !file.writeHeader(texts)) {
    if (!file.error().empty()) log("   ...Error: " + library::oneLine(file.error().text()));
    return false;
  }
  return true;
}

namespace {

bool finishDatabaseBuild(library::LibraryHome& home, bool broken, KeyedBuild& build, const ImportLogFn& log,
                         long& records) {
  const long count = broken ? -1 : home.count();
  const bool kept = count >= 0 && home.endJob(true);
  if (kept && home.close()) {
    records = count;
    return true;
  }
  if (!home.error().empty()) log("   ...Error: " + library::oneLine(home.error().text()));
  if (!kept) home.endJob(false);
  home.close();
  log(strprintf("   ...Error: can not save library '%s'.", build.output.c_str()));
  if (Status s = library::removeLibrary(build.output); !s) log("   ..." + s.message());
  return false;
}

}  // namespace

bool finishKeyedBuild(library::LibraryHome& home, bool broken, KeyedBuild& build, const ImportLogFn& log,
                      long& records) {
  library::KeyedFile* file = home.keyedFile();
  if (file == nullptr) return finishDatabaseBuild(home, broken, build, log, records);
  StagedStoreFile& staged = *build.staged;
  file->store().SetDurable(true);
  library::HeaderTexts texts;
  if (!broken && (!home.readHeader(texts) || !home.writeHeader(texts))) broken = true;
  const long count = home.count();
  const bool closed = home.close();
  if (broken || count < 0 || !closed) {
    if (!home.error().empty()) log("   ...Error: " + library::oneLine(home.error().text()));
    log(strprintf("   ...Error: can not save file '%s'.", staged.output().c_str()));
    return false;
  }
  records = count;
  if (Status s = staged.commit(false); !s) {
    log(strprintf("   ...Error: can not save file '%s'.", staged.output().c_str()));
    log("   ..." + s.message());
    return false;
  }
  return true;
}

void abandonKeyedBuild(library::LibraryHome* home, KeyedBuild& build) {
  if (home == nullptr) return;
  home->close();
  if (!build.staged) (void)library::removeLibrary(build.output);
}

}  // namespace kestrel
