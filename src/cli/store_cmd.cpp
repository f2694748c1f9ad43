// kestrel store check: verifies a keyed record store file (a library or a
// cross-reference file): every tree, its links, counts, key order and data
// checksums, each fault with its node number. A part library is known by
// its key types and checked with its record layout, down to every index
// entry against its record.
// kestrel store recover: writes every intact record of a damaged library or
// cross-reference file into a new file and says what was kept and lost.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/terminal_ui.hpp"
#include "core/document_json.hpp"
#include "core/windows1252.hpp"
#include "store/library/library_file.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/salvage.hpp"
#include "store/status_codes.hpp"
#include "store/store_check.hpp"

namespace kestrel::cli {
namespace {

struct StoreCheckJob {
  std::string file;
  std::vector<std::string> segments;  // "INDEX:TYPE,TYPE,..." for compound indexes
  std::string fields;                 // "S26,S26,U2,U2,B1024,X242,L4": the record layout
  int maxFaults = 200;
  bool json = false;
};

bool parseSegments(const std::string& text, store::CheckOptions& o) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  int index = 0;
  try {
    index = std::stoi(text.substr(0, colon));
  } catch (...) {
    return false;
  }
  if (index < 1 || index > 20) return false;
  store::SegmentList segs;
  std::size_t at = colon + 1;
  while (at <= text.size()) {
    const auto comma = text.find(',', at);
    const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    store::SegmentDef s;
    bool descending = !item.empty() && item.back() == 'd';
    try {
      const int type = std::stoi(descending ? item.substr(0, item.size() - 1) : item);
      if (!store::validKeyType(type) || type == 8) return false;
      s.type = static_cast<std::uint8_t>(type);
    } catch (...) {
      return false;
    }
    s.descending = descending;
    segs.push_back(s);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  o.segments[static_cast<std::size_t>(index)] = segs;
  return true;
}

bool parseFields(const std::string& text, store::CheckOptions& o) {
  std::size_t at = 0;
  while (at < text.size()) {
    const auto comma = text.find(',', at);
    const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    if (item.size() < 2 || std::string("SBDFILHUMX").find(item[0]) == std::string::npos) return false;
    try {
      const int length = std::stoi(item.substr(1));
      if (length < 0 || length > 31232) return false;
      o.fields.push_back({item[0], static_cast<std::uint16_t>(length)});
    } catch (...) {
      return false;
    }
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return true;
}

// A part library is known by the key types of its indexes (1 and 2
// strings, 3 compound): its compound keys then compare as the library
// orders them, not bytewise.
bool looksLikeLibrary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char header[196] = {};
  if (!in.read(header, sizeof header)) return false;
  return header[193] == 0 && header[194] == 0 && header[195] == 8;
}

int runStoreCheck(const StoreCheckJob& job) {
  const bool library = job.segments.empty() && job.fields.empty() && looksLikeLibrary(job.file);
  store::CheckOptions options = library ? library::libraryCheckOptions() : store::CheckOptions{};
  if (library && !job.json) std::cout << "'" << job.file << "': checked as a part library\n";
  options.maxFaults = job.maxFaults;
  for (const auto& s : job.segments) {
    if (!parseSegments(s, options)) {
      std::fprintf(stderr, "STORE CHECK: bad segment list '%s' (INDEX:TYPE,TYPE,...).\n", s.c_str());
      return kExitUserError;
    }
  }
  if (!job.fields.empty() && !parseFields(job.fields, options)) {
    std::fprintf(stderr, "STORE CHECK: bad field list '%s' (TYPE LENGTH,...).\n", job.fields.c_str());
    return kExitUserError;
  }
  store::CheckReport report;
  const int rc = store::checkStore(job.file, options, report);
  if (rc != store::kOk) {
    std::fprintf(stderr, "STORE CHECK: '%s': %s.\n", job.file.c_str(),
                 rc == store::kFail ? "can not open the file" : store::StoreErrorText(rc).c_str());
    return kExitBadInput;
  }
  std::vector<std::string> faultLines;
  for (const auto& f : report.faults) faultLines.push_back(store::describeFault(f));  // keys may hold stored texts
  std::size_t faults = report.faults.size() + static_cast<std::size_t>(report.moreFaults);
  if (library && faults == 0) {
    // Sound trees: every index entry must also name a record that builds its key.
    std::vector<std::string> keyFaults;
    library::StoreMessage error;
    auto lib = library::LibraryFile::open(job.file, false, error);
    if (lib) lib->checkIndexKeys(keyFaults);
    else keyFaults.push_back(library::oneLine(error.text()));
    faultLines.insert(faultLines.end(), keyFaults.begin(), keyFaults.end());
    faults += keyFaults.size();
  }
  if (job.json) {
    JsonWriter out(std::cout);
    out.beginCommandDocument("store check");
    out.key("file");
    out.string(mixedToUtf8(job.file));
    out.key("library");
    out.boolean(library);
    out.key("records");
    out.integer(report.records);
    out.key("nodesInUse");
    out.integer(report.nodesInUse);
    out.key("nodesPresent");
    out.integer(report.nodesPresent);
    out.key("trees");
    out.integer(report.trees);
    out.key("faultCount");
    out.integer(static_cast<long long>(faults));
    out.key("faults");
    out.beginArray();
    for (const std::string& f : faultLines) out.string(mixedToUtf8(f));
    out.endArray();
    out.endObject();
    out.finish();
    return faults == 0 ? kExitOk : kExitBadInput;
  }
  for (const std::string& f : faultLines) std::cout << f << '\n';
  if (report.moreFaults > 0) std::cout << "... and " << report.moreFaults << " more faults\n";
  std::cout << std::flush;
  std::printf("'%s': %ld records, %ld nodes in use of %ld, %d trees: %s\n", job.file.c_str(), report.records,
              report.nodesInUse, report.nodesPresent, report.trees,
              faults == 0 ? "no faults" : (std::to_string(faults) + (faults == 1 ? " fault" : " faults")).c_str());
  return faults == 0 ? kExitOk : kExitBadInput;
}

struct StoreRecoverJob {
  std::string damaged;
  std::string output;
  bool force = false;
};

int runStoreRecover(const StoreRecoverJob& job, const GlobalOptions& global) {
  Session& session = global.session();
  session.beginLog("RECOVER");
  library::RecoverOutcome out;
  {
    TerminalUi ui(global.assumeYes, global.quiet, &session.log);
    out = library::recoverKeyedFile(job.damaged, job.output, job.force, ui);
    ui.finishProgress();
  }
  session.log.end();
  for (const std::string& line : out.lostLines) std::cerr << "kestrel: " << line << '\n';
  if (!out.ok) {
    std::fprintf(stderr, "STORE RECOVER: %s.\n", out.failure.message().c_str());
    // A damaged file too far gone to scan is an input that can not be read, like a missing one.
    const StatusCode code = out.failure.code();
    return code == StatusCode::NotFound || code == StatusCode::Corrupt ? kExitBadInput : kExitUserError;
  }
  std::printf("'%s' -> '%s': %s\n", job.damaged.c_str(), job.output.c_str(), library::recoverSummary(out).c_str());
  if (out.lost == 0) return kExitOk;
  std::fprintf(stderr, "kestrel: '%s': %ld %s lost\n", job.damaged.c_str(), out.lost, out.lost == 1 ? "record" : "records");
  return kExitRecordsLost;
}

}  // namespace

void addStoreCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
  CLI::App* store = app.add_subcommand("store", "Keyed record store files (libraries, cross-references)");
  store->require_subcommand(1);
  auto job = std::make_shared<StoreCheckJob>();
  CLI::App* check = store->add_subcommand("check", "Check every tree of a store file and report each fault");
  check->add_option("FILE", job->file, "The store file")->required();
  check->add_option("--segments", job->segments,
                    "Segment key types of a compound index, e.g. 3:10,10,0 (append d for descending)");
  check->add_option("--fields", job->fields, "Record layout to parse every record with, e.g. S26,S26,U2,U2,B1024,X242,L4");
  check->add_option("--max-faults", job->maxFaults, "List at most this many faults")->check(CLI::PositiveNumber);
  check->add_flag("--json", job->json, "Write the counts and faults as JSON");
  check->callback([job, &exitCode] { exitCode = runStoreCheck(*job); });

  auto rjob = std::make_shared<StoreRecoverJob>();
  CLI::App* recover = store->add_subcommand(
      "recover", "Write every intact record of a damaged library or cross-reference file into a new file "
                 "(exit 3 when records were lost)");
  recover->add_option("DAMAGED", rjob->damaged, "The damaged file (.lib or .xrf; only read)")->required();
  recover->add_option("-o,--output", rjob->output, "The new file")->required();
  recover->add_flag("--force", rjob->force, "Replace an existing new file");
  recover->callback([rjob, &global, &exitCode] { exitCode = runStoreRecover(*rjob, global); });
}

}  // namespace kestrel::cli
