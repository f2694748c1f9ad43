#include "exchange/import_run.hpp"

#include <glob.h>

#include <deque>
#include <filesystem>
#include <memory>

#include "core/circ_header.hpp"
#include "core/file_identity.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "exchange/circuit_target.hpp"
#include "exchange/library_recall_source.hpp"
#include "exchange/library_target.hpp"
#include "exchange/table_reader.hpp"
#include "exchange/xref_target.hpp"

namespace kestrel {
namespace {

constexpr long kProgressEvery = 256;

template <std::size_t N>
std::string nameOf(const std::string_view (&names)[N], unsigned index) {
  return index >= 1 && index < N ? std::string(names[index]) : std::string("ERROR");
}

// HEADER_FILETYPE names the output type in a header record.
constexpr std::string_view kFileTypeChoiceNames[] = {"", "HeaderRecDefine", "Circuit", "Hybrid", "Library",
                                                    "Cross-Reference"};
constexpr ChoiceList kFileTypeChoices{kFileTypeChoiceNames};

std::vector<std::string> expand(const std::string& pattern) {
  glob_t g{};
  std::vector<std::string> files;
  if (::glob(pattern.c_str(), 0, nullptr, &g) == 0) {
    for (std::size_t i = 0; i < g.gl_pathc; ++i) files.emplace_back(g.gl_pathv[i]);
  }
  globfree(&g);
  return files;
}

// The readers deliver UTF-8; the records keep Windows-1252. A character the
// code page cannot hold is written as '?' and logged with its record.
void fillRecord(InputRecord& record, const TableRow& row, std::size_t& used, const ImportLogFn& log) {
  const std::size_t n = std::min(row.size(), kMaxTableFields);
  for (std::size_t i = n; i < used; ++i) record.setText(static_cast<int>(i) + 1, {});
  used = n;
  for (std::size_t i = 0; i < n; ++i) {
    const int f = static_cast<int>(i) + 1;
    const TableCell& c = row[i];
    switch (c.kind) {
      case TableCell::Kind::Number: record.setNumber(f, c.number); break;
      case TableCell::Kind::Text: record.setText(f, storedFieldText(c.text, record.number, f, log)); break;
      case TableCell::Kind::Empty: record.setText(f, {}); break;
      case TableCell::Kind::Error:
        record.setText(f, storedFieldText(c.text, record.number, f, log));
        record.field(f)->state = InputState::Error;
        break;
    }
  }
}

// One file of the run.
class FileRun {
 public:
  FileRun(const ImportJob& job, FileSystem& fs, Ui& ui, FileOutcome& outcome)
      : job_(job), def_(job.definition), fs_(fs), ui_(ui), out_(outcome),
        reader_(def_.keywords, [this](std::string_view line) { ui_.log(line); }),
        log_([this](std::string_view line) { ui_.log(line); }) {}

  // False when the whole run must stop (cancel or quit).
  bool run() {
    const std::string& input = out_.input;
    ui_.log(strprintf("Importing '%s'...", input.c_str()));
    ReaderOptions options;
    options.separator = def_.header.csvSeparator();
    options.table = def_.header.tableName;
    options.warn = [this](std::string_view line) { ui_.log(line); };
    const auto format = static_cast<InputFormat>(def_.header.inputFormat);
    formatName_ = nameOf(kInputFormatNames, def_.header.inputFormat);
    if (Status s = openTableReader(format, input, options, table_); !s) return fileError(s.message());
    ui_.log(strprintf("   ...Input File Format: %s", formatName_.c_str()));

    auto type = static_cast<OutputType>(def_.header.fileType);
    const auto headerNo = static_cast<long>(def_.header.headerRecord);
    if (type == OutputType::HeaderRecDefine) {
      if (headerNo < 1) return fileError("Error: HeaderRecDefine requires defined header record.", false);
      if (!findHeaderRecord(headerNo)) return !stopped_;
      std::uint8_t choice = 1;
      reader_.setRecord(&headerRecord_);
      reader_.readChoice("HEADER_FILETYPE", choice, kFileTypeChoices);
      type = static_cast<OutputType>(choice);
      if (type == OutputType::HeaderRecDefine) {
        ui_.log("   ...can not determine output file type: skipping file...");
        return true;
      }
    }
    return runTarget(type, headerNo);
  }

 private:
  bool fileError(const std::string& text, bool named = true) {
    ui_.log(named ? strprintf("   ...%s ('%s').", text.c_str(), out_.input.c_str()) : "   ..." + text);
    return true;
  }

  // Reads ahead to the header record, keeping the records before it.
  bool findHeaderRecord(long headerNo) {
    TableRow row;
    for (;;) {
      const RowStatus st = table_->next(row);
      if (st == RowStatus::Failed) return fileError(table_->error()) && false;
      if (st == RowStatus::End) {
        ui_.log("   ...Error: can not find required header record.");
        return false;
      }
      if (table_->rowNumber() == headerNo) {
        std::size_t used = 0;
        headerRecord_.number = headerNo;
        fillRecord(headerRecord_, row, used, log_);
        haveHeader_ = true;
        return true;
      }
      ahead_.push_back({table_->rowNumber(), std::move(row)});
    }
  }

  bool runTarget(OutputType type, long headerNo) {
    const OutputMode mode = def_.header.fileMode == 2 ? OutputMode::Update : OutputMode::Build;
    if (type != OutputType::Circuit && type != OutputType::Hybrid && type != OutputType::Library &&
        type != OutputType::CrossReference) {
      return fileError(strprintf("Error: not a valid output file type (%d)", static_cast<int>(type)), false);
    }
    out_.output = job_.outputPath.empty() ? outputPathFor(out_.input, job_.outputDir, type) : job_.outputPath;
    // The same file under another name (a link, "..") is refused as well.
    if (fileIdentity(out_.output) == fileIdentity(out_.input)) {
      return fileError("Error: can not have identical input/output filespecs.", false);
    }
    // Libraries and cross-reference files are shared with other processes
    // through the store's locks; an import only builds them.
    if (mode == OutputMode::Update && type == OutputType::Library) {
      ui_.log("   ...library update N/A: skipping file...");
      return true;
    }
    if (mode == OutputMode::Update && type == OutputType::CrossReference) {
      ui_.log("   ...cross-reference update N/A: skipping file...");
      return true;
    }
    const bool translate = !def_.header.translateCode.empty();
    const ImportLogFn log = [this](std::string_view line) { ui_.log(line); };
    std::unique_ptr<LibraryRecallSource> recall;
    if (!job_.libraryPath.empty() && def_.header.recordMode == 1 && type != OutputType::CrossReference &&
        mode == OutputMode::Build) {
      recall = LibraryRecallSource::open(job_.libraryPath, job_.xrefPath, job_.xrefMoveBoth, ui_, log);
      if (!recall) return true;
    }
    std::unique_ptr<ImportTarget> target;
    if (type == OutputType::Library) {
      auto lib = std::make_unique<LibraryTarget>(fs_, log, translate);
      if (recall) lib->recallFrom(recall->source());
      target = std::move(lib);
    } else if (type == OutputType::CrossReference) {
      target = std::make_unique<XRefTarget>(fs_, log);
    } else {
      auto circuit = std::make_unique<CircuitTarget>(
          fs_, type == OutputType::Hybrid ? DocKind::Hybrid : DocKind::Circuit, log, translate,
          job_.openDocuments != nullptr ? *job_.openDocuments : OpenDocuments::none());
      if (recall) circuit->recallFrom(recall->source());
      target = std::move(circuit);
    }
    storeOutput_ = type == OutputType::Library || type == OutputType::CrossReference;
    return runRecords(*target, mode, headerNo);
  }

  bool runRecords(ImportTarget& target, OutputMode mode, long headerNo) {
    if (!target.begin(out_.output, mode, def_)) return true;
    const std::size_t warnedBefore = reader_.warnings();
    bool headerRead = mode == OutputMode::Update;
    if (haveHeader_ && !headerRead) {
      reader_.setRecord(&headerRecord_);
      target.readHeader(reader_);
      headerRead = true;
    }
    // Records read ahead of the header record, then the rest.
    TableRow row;
    ImportCounters& n = out_.counters;
    for (;;) {
      long number = 0;
      if (!ahead_.empty()) {
        number = ahead_.front().first;
        row = std::move(ahead_.front().second);
        ahead_.pop_front();
      } else {
        const RowStatus st = table_->next(row);
        if (st == RowStatus::End) break;
        if (st == RowStatus::Failed) return fileError(table_->error());
        number = table_->rowNumber();
      }
      ++n.read;
      if (number == headerNo || def_.header.skips(number) || (job_.shapeRow && !job_.shapeRow(number, row))) {
        ++n.skipped;
        continue;
      }
      record_.number = number;
      fillRecord(record_, row, used_, log_);
      reader_.setRecord(&record_);
      if (!headerRead) {  // no header record: the first record carries the header keywords
        target.readHeader(reader_);
        headerRead = true;
      }
      const RecordResult r = target.record(reader_, number);
      if (r == RecordResult::ListFull) return true;
      if (r == RecordResult::Added) ++n.built;
      if (r == RecordResult::Failed) ++n.failed;
      if (r == RecordResult::Updated) ++n.updated;
      if (r == RecordResult::NotFound) ++n.notFound;
      if (r == RecordResult::Duplicate) ++n.duplicatePN;
      if (n.read % kProgressEvery == 0 && !poll(number, mode)) return false;
    }
    if (job_.strict && reader_.warnings() > warnedBefore) {
      ui_.log(strprintf("   ...Error: %zu warnings with strict input; '%s' not written.",
                        reader_.warnings() - warnedBefore, out_.output.c_str()));
      return true;
    }
    if (!target.finish()) return true;
    out_.ok = true;
    if (mode == OutputMode::Build && storeOutput_) {
      ui_.log(strprintf("   ...finished building '%s'...%ld records (%ld dup)", out_.output.c_str(),
                        static_cast<long>(target.size()), n.duplicatePN));
    } else if (mode == OutputMode::Build) {
      ui_.log(strprintf("   ...finished building '%s'...%d records", out_.output.c_str(), static_cast<int>(target.size())));
    } else {
      ui_.log(strprintf("   ...finished updating '%s'...Update:%ld  NotFound:%ld", out_.output.c_str(), n.updated,
                        n.notFound));
    }
    return true;
  }

  // Progress, the platform's messages and the cancel button between records.
  bool poll(long number, OutputMode mode) {
    const ImportCounters& n = out_.counters;
    ui_.progressLine(3, mode == OutputMode::Build && storeOutput_
                            ? strprintf("Input File Format: %s  Record: %ld   DuplicatePN:%ld", formatName_.c_str(),
                                        number, n.duplicatePN)
                        : mode == OutputMode::Build
                            ? strprintf("Input File Format: %s   Record: %ld", formatName_.c_str(), number)
                            : strprintf("Input File Format: %s  Record: %ld   Update:%ld  NotFound:%ld",
                                        formatName_.c_str(), number, n.updated, n.notFound));
    if (!ui_.processEvents()) {
      ui_.log(strprintf("   ...WM_QUIT (rec#%ld)...", number));
      stopped_ = true;
      return false;
    }
    if (ui_.cancelRequested()) {
      ui_.clearCancel();
      if (ui_.confirm("Cancel import?")) {
        ui_.log(strprintf("   ...Cancel (rec#%ld).", number));
        stopped_ = true;
        return false;
      }
    }
    return true;
  }

  const ImportJob& job_;
  const CImportDoc& def_;
  FileSystem& fs_;
  Ui& ui_;
  FileOutcome& out_;
  KeywordReader reader_;
  ImportLogFn log_;
  std::unique_ptr<TableReader> table_;
  std::string formatName_;
  InputRecord record_, headerRecord_;
  std::size_t used_ = 0;
  bool haveHeader_ = false;
  bool storeOutput_ = false;  // a library or cross-reference file
  bool stopped_ = false;
  std::deque<std::pair<long, TableRow>> ahead_;
};

}  // namespace

bool ImportOutcome::allOk() const {
  if (cancelled || files.empty()) return false;
  for (const FileOutcome& f : files) {
    if (!f.ok) return false;
  }
  return true;
}

std::string outputPathFor(const std::string& input, const std::string& outputDir, OutputType type) {
  // Lower case, as the file dialogs' filters and the other documents have
  // it: on a case-sensitive file system "bom.CIR" is missed by "*.cir".
  static constexpr std::string_view kExt[] = {"", "", ".cir", ".hyb", ".lib", ".xrf"};
  const std::filesystem::path in(input);
  const std::filesystem::path dir = outputDir.empty() ? in.parent_path() : std::filesystem::path(outputDir);
  const auto index = static_cast<std::size_t>(type);
  return (dir / in.stem()).string() + std::string(index < std::size(kExt) ? kExt[index] : "");
}

std::vector<std::string> importConfirmation(const ImportJob& job) {
  const CImportHeader& h = job.definition.header;
  std::string specs;
  for (const std::string& s : job.inputs) specs += (specs.empty() ? "" : " ") + s;
  std::vector<std::string> lines = {
      "The Import operation will read data records from the 'Input Data FileSpec' files,",
      "then import these data records to build Kestrel data files.",
      "Select OK to do the following Import:",
      strprintf("- Import Definition File: '%s'", job.definitionPath.c_str()),
      strprintf("- Description: '%s'", h.description.c_str()),
      strprintf("- Input Data FileSpec: '%s'", specs.c_str()),
      strprintf("- Input File Format: %s", nameOf(kInputFormatNames, h.inputFormat).c_str()),
      strprintf("- HeaderRec: %.0f", static_cast<double>(h.headerRecord)),
      h.skipFirst < 1.0f ? strprintf("- SkipRec: %.0f", static_cast<double>(h.skipFirst))
                         : strprintf("- SkipRec: %.0f-%.0f", static_cast<double>(h.skipFirst), static_cast<double>(h.skipLast)),
      job.libraryPath.empty() ? std::string("- Library File: OFF") : strprintf("- Library File: '%s'", job.libraryPath.c_str()),
      job.xrefPath.empty() ? std::string("- Cross-Reference File: OFF")
                           : strprintf("- Cross-Reference File: '%s'", job.xrefPath.c_str()),
      std::string("- Cross-Reference Move Option:") + (job.xrefMoveBoth ? "XRefPN-->PN,PN-->PN2" : "XRefPN-->PN2"),
      h.translateCode.empty() ? std::string("- Translate: OFF")
                              : strprintf("- Use Translate Code: '%s'", h.translateCode.c_str()),
      strprintf("- Output File Type: %s", nameOf(kOutputTypeNames, h.fileType).c_str()),
      strprintf("- Output File Mode: %s", nameOf(kOutputModeNames, h.fileMode).c_str()),
      h.recordMode == 1 && !job.libraryPath.empty()
          ? strprintf("- Output Record Mode: %s('%s')", nameOf(kRecordModeNames, h.recordMode).c_str(), job.libraryPath.c_str())
          : strprintf("- Output Record Mode: %s", nameOf(kRecordModeNames, h.recordMode).c_str()),
      strprintf("- Output File Directory: '%s'", job.outputDir.c_str()),
  };
  return lines;
}

ImportOutcome runImport(const ImportJob& job, FileSystem& fs, Ui& ui) {
  ImportOutcome outcome;
  const CImportHeader& h = job.definition.header;
  if (!h.translateCode.empty()) {
    ui.log(strprintf("Opening translate code '%s'...", h.translateCode.c_str()));
    if (upperCased(h.translateCode) != "X31217F1") {
      ui.log("   ...Error: code not found.");
      return outcome;
    }
  }
  for (const std::string& pattern : job.inputs) {
    ui.log(strprintf("Searching input data filespec '%s'...", pattern.c_str()));
    std::vector<std::string> files = expand(pattern);
    if (files.empty()) {
      ui.log("   ...no matching files found.");
      outcome.files.push_back(FileOutcome{pattern, {}, false, {}});
      continue;
    }
    for (const std::string& file : files) {
      outcome.files.push_back(FileOutcome{file, {}, false, {}});
      FileRun run(job, fs, ui, outcome.files.back());
      if (!run.run()) {
        outcome.cancelled = true;
        return outcome;
      }
    }
  }
  ui.clearProgress();
  return outcome;
}

}  // namespace kestrel
