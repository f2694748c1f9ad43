// The steps that importing into a new library and into a new cross-reference
// file share: such files are shared through the store's locks, so an import
// only builds them, on a staged temporary file, and fills their header texts
// from the header keywords.
#pragma once

#include <string>

#include "core/file_system.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/import_target.hpp"
#include "exchange/staged_store_file.hpp"
#include "store/library/keyed_file.hpp"

namespace kestrel {

// Refuses the update mode ("...%s update N/A: skipping file...") and an
// existing output ("...Error: can not overwrite existing %s."), then
// prepares the staged temporary file. `kind`: "library", "cross-reference".
bool prepareKeyedBuild(FileSystem& fs, const std::string& outputPath, OutputMode mode, const char* kind,
                       StagedStoreFile& staged, const ImportLogFn& log);

// After the file was created on the staged temporary file (null: `error`
// is logged): the temporary file is private to the run, so it is flushed
// once, at the end.
bool keyedBuildStarted(library::KeyedFile* file, const library::StoreMessage& error, const ImportLogFn& log);

// Reads a library's or cross-reference file's description, notes title and
// notes from the header keywords named (unmapped ones keep their text).
bool readHeaderTexts(KeywordReader& reader, const char* const (&keywords)[3], library::HeaderTexts& texts);

// Reads the header texts into the new file's header records; a store
// failure is logged.
bool importHeaderTexts(library::LibraryHome& file, KeywordReader& reader, const char* const (&keywords)[3],
                       const ImportLogFn& log);

// Ends the build: the header rewritten durably (which flushes every record
// before it), the file closed and the staged file put in the output's place;
// `records` gets the file's record count. False, logged, when any step
// failed or the run was `broken` by an earlier store failure.
bool finishKeyedBuild(library::KeyedFile& file, bool broken, StagedStoreFile& staged, const ImportLogFn& log,
                      long& records);

}  // namespace kestrel
