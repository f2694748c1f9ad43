// Print Project: the report of every checked document of the tree, in tree
// order, in one print job (one output file).
//
// First each file is checked ("Checking calculation status of project
// files...", "...checking '%s'..."): one that can not be opened or is not
// calculated stops the job ("...Error: can not open." / "...Error: not
// calculated.", then "...use Calculate command in Project View to
// correct."); no file checked gives "PRINT: no files selected.". Then the
// user confirms the job ("Continue with Project Print?" with the file count,
// the estimated page count, the report format and the printer device), and
// each file is opened again and printed ("PRINT ERROR: can not open '%s'.",
// "PRINT ERROR: '%s' is not calculated."). A document checked at several
// places of the tree is printed once. Nothing is written unless every report
// was printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "reports/page_device.hpp"
#include "reports/report_printer.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {

class ProjectTree;
class Ui;

struct ProjectPrintJob {
  ReportSettings settings;  // settings.format is the report kind (its menu row); the paper
  std::string output;  // a .pdf, .rtf or .txt file; empty: plain text handed back
  PrintOptions print;
};

struct ProjectPrintOutcome {
  bool confirmed = false;          // false with an ok status: the user answered No
  std::vector<std::string> files;  // the documents printed, in order
  std::uint32_t estimatedPages = 0;
  std::uint32_t pages = 0;
  std::string text;  // the plain text, when no output file was named
};

// The checked document files of the tree, in tree order, each once.
std::vector<std::string> filesToPrint(const ProjectTree& tree);

Status printProject(const ProjectTree& tree, const ProjectPrintJob& job, FileSystem& fs, Ui& ui,
                    ProjectPrintOutcome& outcome);

}  // namespace kestrel
