// The import run: every input file matching the job's file specifications
// is read through its table reader, each record turned into a part record
// by its class's keyword readers, and the output built or updated through
// an import target. Per-record problems are logged and the run goes on;
// a problem with a file ends that file (its output is not written) and the
// run goes on with the next file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/ui.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/import_target.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {

struct ImportJob {
  CImportDoc definition;
  std::string definitionPath;
  std::vector<std::string> inputs;  // file specifications, may hold wildcards
  std::string outputDir;            // "" = the folder of each input file
  std::string outputPath;           // one output file for a single input ("" = by name)
  std::string libraryPath;          // "" = OFF
  std::string xrefPath;             // "" = OFF
  bool xrefMoveBoth = false;        // XRefPN-->PN,PN-->PN2 rather than XRefPN-->PN2
  // Every warning of the keyword readers (a value clamped, defaulted or cut)
  // fails its file: its output is not written.
  bool strict = false;
  // The documents open in windows (null: none, as on the command line); a
  // circuit or hybrid output they hold is not imported to.
  OpenDocuments* openDocuments = nullptr;
  // Completes each row before its record is read (a bill of materials adds
  // the part type its designator stands for); false skips the row.
  std::function<bool(long rowNumber, TableRow& row)> shapeRow;
};

struct FileOutcome {
  std::string input;
  std::string output;
  bool ok = false;
  ImportCounters counters;
};

struct ImportOutcome {
  std::vector<FileOutcome> files;
  bool cancelled = false;
  bool allOk() const;
};

// The confirmation lines that list the job's settings.
std::vector<std::string> importConfirmation(const ImportJob& job);

// Runs the job; every log line goes to ui.log().
ImportOutcome runImport(const ImportJob& job, FileSystem& fs, Ui& ui);

// The output path of an input file: the folder (or the input's), its base
// name, and the extension of the output type (".cir", ".hyb", ".lib", ".xrf").
std::string outputPathFor(const std::string& input, const std::string& outputDir, OutputType type);

}  // namespace kestrel
