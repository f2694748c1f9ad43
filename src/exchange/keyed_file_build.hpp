// The steps that importing into a new library and into a new cross-reference
// list share: such lists are shared through their locks, so an import only
// builds them, and fills their header texts from the header keywords.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/import_target.hpp"
#include "exchange/staged_store_file.hpp"
#include "store/library/library_home.hpp"

namespace kestrel {

// Where the new library or cross-reference list is built: a file on a
// staged temporary file that takes the output's place at the end, or a
// library created in a database and filled in one job, kept only when the
// whole run succeeded.
struct KeyedBuild {
  std::unique_ptr<StagedStoreFile> staged;  // null: a database library
  std::string output;
  // The name to create: the staged temporary file, or the address.
  std::string name() const { return staged ? staged->temp() : output; }
};

// Refuses the update mode ("...%s update N/A: skipping file...") and an
// existing output file ("...Error: can not overwrite existing %s."), then
// prepares the staged temporary file of a file. `kind`: "library", "cross-reference".
bool prepareKeyedBuild(FileSystem& fs, const std::string& outputPath, OutputMode mode, const char* kind,
                       KeyedBuild& build, const ImportLogFn& log);

// After the new library was created (null: `error` is logged): a staged
// file is private to the run, so it is flushed once, at the end; a
// database library's records go in one job.
bool keyedBuildStarted(library::LibraryHome* home, const library::StoreMessage& error, const char* kind,
                       const ImportLogFn& log);

// Reads a library's or cross-reference file's description, notes title and
// notes from the header keywords named (unmapped ones keep their text).
bool readHeaderTexts(KeywordReader& reader, const char* const (&keywords)[3], library::HeaderTexts& texts);

// Reads the header texts into the new file's header records; a store
// failure is logged.
bool importHeaderTexts(library::LibraryHome& file, KeywordReader& reader, const char* const (&keywords)[3],
                       const ImportLogFn& log);

// Ends the build: a file's header rewritten durably (which flushes every
// record before it), the file closed and the staged file put in the
// output's place; a database library's job kept. `records` gets the record
// count. False, logged, when any step failed or the run was `broken` by an
// earlier store failure: a database library's job is then undone and the
// library removed, as a staged file is.
bool finishKeyedBuild(library::LibraryHome& home, bool broken, KeyedBuild& build, const ImportLogFn& log,
                      long& records);

// A build that did not reach its end: the library is closed (undoing a
// database library's job) and a database library removed; a staged file
// removes itself.
void abandonKeyedBuild(library::LibraryHome* home, KeyedBuild& build);

}  // namespace kestrel
