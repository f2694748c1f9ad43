// Running an export: each input file (circuit, hybrid, library,
// cross-reference file or import definition) becomes
// one output table of the chosen format and layout, written to a temporary
// file and moved into place only when every row of it is written. Records
// are filtered by part type and part-number prefix; the run logs through the
// Ui as it goes and counts what it wrote, filtered out and failed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "exchange/writers/table_writer.hpp"

namespace kestrel {

class Ui;

enum class ExportLayout : std::uint8_t { Records, Keywords };

struct ExportJob {
  std::vector<std::string> inputs;  // .CIR, .HYB, .LIB, .XRF or .IMP files
  // The output of the first input; the outputs of further inputs (and of
  // the child files a recursive run finds) go beside it, each named by its
  // input's base name with the format's extension.
  std::string output;
  OutputFormat format = OutputFormat::CSV;
  ExportLayout layout = ExportLayout::Records;
  bool recursive = false;  // follow sub-circuit and sub-hybrid records to their files
  std::optional<std::uint16_t> typeFilter;
  std::string pnFilter;  // records whose PN begins with it (case as stored); "" = off
};

struct ExportOutcome {
  long files = 0;      // outputs moved into place
  long succeed = 0;    // records written
  long filterOut = 0;
  long failed = 0;     // records not written (counted, never as a success)
  long failedFiles = 0;
  long damagedFiles = 0;  // written from a damaged input: what could be read
  bool cancelled = false;
  std::vector<std::string> written;  // output paths
  bool ok() const { return failedFiles == 0 && damagedFiles == 0 && failed == 0 && !cancelled; }
};

// The confirmation text of a job, line by line.
std::vector<std::string> exportConfirmation(const ExportJob& job);

ExportOutcome runExport(const ExportJob& job, FileSystem& fs, Ui& ui);

}  // namespace kestrel
