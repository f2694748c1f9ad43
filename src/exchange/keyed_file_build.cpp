#include "exchange/keyed_file_build.hpp"

#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

bool prepareKeyedBuild(FileSystem& fs, const std::string& outputPath, OutputMode mode, const char* kind,
                       StagedStoreFile& staged, const ImportLogFn& log) {
  if (mode != OutputMode::Build) {
    log(strprintf("   ...%s update N/A: skipping file...", kind));
    return false;
  }
  log(strprintf("   ...building '%s'...", outputPath.c_str()));
  if (fs.exists(outputPath)) {
    log(strprintf("   ...Error: can not overwrite existing %s.", kind));
    return false;
  }
  if (Status s = staged.prepare(false); !s) {
    log(strprintf("   ...Error: %s", s.message().c_str()));
    return false;
  }
  return true;
}

bool keyedBuildStarted(library::KeyedFile* file, const library::StoreMessage& error, const ImportLogFn& log) {
  if (file == nullptr) {
    log("   ...Error: " + library::oneLine(error.text()));
    return false;
  }
  file->store().SetDurable(false);
  return true;
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

bool finishKeyedBuild(library::KeyedFile& file, bool broken, StagedStoreFile& staged, const ImportLogFn& log,
                      long& records) {
  file.store().SetDurable(true);
  library::HeaderTexts texts;
  if (!broken && (!file.readHeader(texts) || !file.writeHeader(texts))) broken = true;
  const long count = file.count();
  const bool closed = file.close();
  if (broken || count < 0 || !closed) {
    if (!file.error().empty()) log("   ...Error: " + library::oneLine(file.error().text()));
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

}  // namespace kestrel
