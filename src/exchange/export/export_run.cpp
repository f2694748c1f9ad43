#include "exchange/export/export_run.hpp"

#include <deque>
#include <filesystem>
#include <set>

#include "core/document_sub_files.hpp"
#include "core/file_identity.hpp"
#include "core/circ_doc.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "exchange/export/row_source.hpp"
#include "store/library/library_kind.hpp"
#include "store/library/library_location.hpp"

namespace kestrel {
namespace {

namespace fsys = std::filesystem;

std::string canonical(const std::string& path) {
  std::error_code ec;
  const fsys::path p = fsys::weakly_canonical(fsys::path(path), ec);
  return ec ? path : p.string();
}

std::string outputBeside(const std::string& firstOutput, const std::string& input, OutputFormat format) {
  const fsys::path folder = fsys::path(firstOutput).parent_path();
  // A library in a database goes out under its library name.
  LibraryLocation where;
  const bool address = isDatabaseAddress(input) && parseLibraryLocation(input, where).isOk();
  const std::string name = (address ? where.library : fsys::path(input).stem().string()) +
                           std::string(formatExtension(format));
  return folder.empty() ? name : (folder / name).string();
}

enum class InputKind { Document, Library, CrossReference, Definition, Unknown };

// A database address is a library or a cross-reference list by what it
// holds (Unknown, with `why`, when it can not be opened).
InputKind kindOf(const std::string& path, Status& why) {
  if (isDatabaseAddress(path)) {
    library::KeptKind kept = library::KeptKind::Neither;
    why = library::keptKindOf(path, kept);
    if (kept == library::KeptKind::Parts) return InputKind::Library;
    if (kept == library::KeptKind::CrossReferences) return InputKind::CrossReference;
    return InputKind::Unknown;
  }
  const std::string ext = upperCased(fsys::path(path).extension().string());
  if (ext == ".CIR" || ext == ".HYB") return InputKind::Document;
  if (ext == ".LIB") return InputKind::Library;
  if (ext == ".XRF") return InputKind::CrossReference;
  if (ext == ".IMP") return InputKind::Definition;
  return InputKind::Unknown;
}

std::string oneLineMessage(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

Status openSource(InputKind kind, const std::string& input, const RowFilters& filters, FileSystem& fs,
                  std::unique_ptr<RowSource>& source) {
  if (kind == InputKind::CrossReference) return openXRefSource(input, filters, source);
  if (kind == InputKind::Definition) return openDefinitionSource(fs, input, source);
  std::unique_ptr<RecordSource> parts;
  const Status opened = kind == InputKind::Library ? openLibrarySource(input, parts) : openDocumentSource(fs, input, parts);
  if (opened) source = partRows(std::move(parts), filters);
  return opened;
}

// One input file into one output table.
class FileExport {
 public:
  FileExport(const ExportJob& job, FileSystem& fs, Ui& ui) : job_(job), fs_(fs), ui_(ui) {}

  // Returns false when the file failed (logged).
  bool run(RowSource& source, const std::string& output) {
    damaged_ = false;
    const long total = source.count();
    ui_.log(strprintf("   ...exporting %ld records to '%s'...", total, output.c_str()));

    const bool keywords = job_.layout == ExportLayout::Keywords;
    WriterOptions options;
    options.warn = [this](std::string_view line) { ui_.log(std::string("   ") + std::string(line)); };
    if (Status s = source.shape(keywords, options); !s) return fail("   ...Error: " + s.message() + ".");
    options.headingRow = keywords || job_.format == OutputFormat::XLS;
    std::optional<ExportRow> header;
    if (Status s = source.headerRow(keywords, ui_, header); !s) return fail("   ...Error: " + s.message() + ".");

    std::unique_ptr<TableWriter> writer;
    if (Status s = openTableWriter(job_.format, output, options, fs_, writer); !s) {
      return fail("   ...Error: can not open output file. " + s.message());
    }
    if (header) {
      if (Status s = writer->writeRow(*header); !s) {
        return fail("   ...Error: can not write to output file (rec#0). " + s.message());
      }
    }

    long number = 0, succeed = 0, filterOut = 0, failed = 0;
    bool stopped = false;
    const Status walked = source.forEachRow(keywords, [&](const ExportRow* row) {
      ++number;
      if (!ui_.processEvents()) {
        ui_.log(strprintf("   ...WM_QUIT (rec#%ld)...", number));
        cancelled_ = stopped = true;
        return false;
      }
      if (ui_.cancelRequested()) {
        ui_.clearCancel();
        if (ui_.confirm("Cancel export?")) {
          ui_.log(strprintf("   ...Cancel (rec#%ld).", number));
          cancelled_ = stopped = true;
          return false;
        }
      }
      if (row == nullptr) {
        ++filterOut;
      } else {
        if (Status s = writer->writeRow(*row); !s) {
          ui_.log(strprintf("   ...Error: can not write to output file (rec#%ld). ", number) + s.message());
          failed = std::max(1L, total - number + 1);  // this record and those after it
          stopped = true;
          return false;
        }
        ++succeed;
      }
      if (number % 256 == 0 || number == total) {
        ui_.progressLine(3, strprintf("Succeed:%ld  FilterOut:%ld", succeed, filterOut));
        ui_.progressBar(static_cast<int>(number), static_cast<int>(total));
      }
      return true;
    });
    bool ok = !stopped;
    if (!walked) {
      ui_.log("   ...Error: " + walked.message() + ".");
      ok = false;
    }
    // A damaged input gives what could be read; the rest is named and counted.
    const SourceDamage damage = source.damage();
    for (const std::string& line : damage.lines) ui_.log("   ...Error: " + line + ".");
    damaged_ = !damage.lines.empty() || damage.unreadable > 0;
    if (damage.unreadable > 0) {
      ui_.log(strprintf("   ...Error: %ld %s of the input can not be read.", damage.unreadable,
                        damage.unreadable == 1 ? "record" : "records"));
      failed += damage.unreadable;
    }
    if (ok) {
      if (Status s = writer->finish(); !s) {
        ui_.log("   ...Error: can not close output file. " + s.message());
        ok = false;
      }
    }
    writer.reset();
    // Rows of an output that never reached its place were not exported.
    if (!ok) {
      failed += succeed;
      succeed = 0;
    }
    std::string end = strprintf("   ...Succeed:%ld  FilterOut:%ld", succeed, filterOut);
    if (failed > 0) end += strprintf("  Failed:%ld", failed);
    ui_.log(end + "...");
    succeed_ += succeed;
    filterOut_ += filterOut;
    failed_ += failed;
    return ok;
  }

  long succeed_ = 0, filterOut_ = 0, failed_ = 0;
  bool cancelled_ = false;
  bool damaged_ = false;  // the last input was damaged: written, but not whole

 private:
  bool fail(const std::string& line) {
    ui_.log(line);
    return false;
  }

  const ExportJob& job_;
  FileSystem& fs_;
  Ui& ui_;
};

}  // namespace

std::vector<std::string> exportConfirmation(const ExportJob& job) {
  std::vector<std::string> lines = {
      "The Export operation will export data records from the 'Input FileSpec' files,",
      "creating data files with the format of 'Output File Format'.",
      "Select OK to do the following Export:",
  };
  std::string inputs;
  for (const std::string& in : job.inputs) inputs += (inputs.empty() ? "" : " ") + in;
  lines.push_back(strprintf("- Input FileSpec: '%s'", inputs.c_str()));
  const std::string folder = fsys::path(job.output).parent_path().string();
  lines.push_back(strprintf("- Output File Directory: '%s'", folder.empty() ? "." : folder.c_str()));
  lines.push_back(strprintf("- Output File Format: %s", std::string(kOutputFormatNames[static_cast<int>(job.format)]).c_str()));
  const PartType* type = job.typeFilter ? findPartType(*job.typeFilter) : nullptr;
  lines.push_back(strprintf("- Part Type Filter: %s", type != nullptr ? std::string(type->menuName).c_str() : "OFF"));
  lines.push_back(job.pnFilter.empty() ? std::string("- PN Filter: OFF")
                                       : strprintf("- PN Filter: '%.40s'", job.pnFilter.c_str()));
  return lines;
}

ExportOutcome runExport(const ExportJob& job, FileSystem& fs, Ui& ui) {
  ExportOutcome outcome;
  FileExport exporter(job, fs, ui);
  std::deque<std::pair<std::string, int>> queue;  // path, level
  for (const std::string& in : job.inputs) queue.emplace_back(in, 1);
  FileIdentitySet seenInputs;
  std::set<std::string> writtenOutputs;
  bool first = true;

  while (!queue.empty() && !exporter.cancelled_) {
    const auto [input, level] = queue.front();
    queue.pop_front();
    if (!seenInputs.insert(input)) continue;  // a file met twice, under whatever name, goes once
    const std::string output = first ? job.output : outputBeside(job.output, input, job.format);
    first = false;
    ui.log(strprintf("Exporting '%s'...", input.c_str()));
    ui.progressLine(2, input);

    Status why = Status::ok();
    const InputKind kind = kindOf(input, why);
    if (!why) {
      ui.log(strprintf("   ...Error: can not open file '%s'. ", input.c_str()) + oneLineMessage(why.message()));
      ++outcome.failedFiles;
      continue;
    }
    if (kind == InputKind::Unknown) {
      ui.log("   ...can not recognize input file type: skipping file...");
      ++outcome.failedFiles;
      continue;
    }
    // A hard link is the same file under a name of its own: writing it would
    // overwrite the input.
    if (canonical(input) == canonical(output) || DocumentSubFiles::sameFile(input, output)) {
      ui.log("   ...Error: can not have identical input/output filespecs.");
      ++outcome.failedFiles;
      continue;
    }
    if (!writtenOutputs.insert(canonical(output)).second) {
      ui.log(strprintf("   ...Error: output file '%s' is written by another input of this run.", output.c_str()));
      ++outcome.failedFiles;
      continue;
    }

    std::unique_ptr<RowSource> source;
    const Status opened = openSource(kind, input, RowFilters{job.typeFilter, job.pnFilter}, fs, source);
    if (!opened) {
      ui.log(strprintf("   ...Error: can not open file '%s'. ", input.c_str()) + oneLineMessage(opened.message()));
      ++outcome.failedFiles;
      continue;
    }
    if (job.recursive && level < kMaxLevels) {
      for (const std::string& child : source->childFiles()) queue.emplace_back(child, level + 1);
    }
    if (source->count() == 0) {
      ui.log("   ...zero records: skipping file...");
      continue;
    }
    if (exporter.run(*source, output)) {
      ++outcome.files;
      outcome.written.push_back(output);
      if (exporter.damaged_) ++outcome.damagedFiles;
    } else if (!exporter.cancelled_) {
      ++outcome.failedFiles;
    }
  }
  outcome.succeed = exporter.succeed_;
  outcome.filterOut = exporter.filterOut_;
  outcome.failed = exporter.failed_;
  outcome.cancelled = exporter.cancelled_;
  return outcome;
}

}  // namespace kestrel
