#include "kill_sweep.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "run_kestrel.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::library::test {
namespace {

using kestrel::store::test::ScratchDir;
using kestrel::test::runKestrel;
namespace fs = std::filesystem;

// The calls that change what is on disk (and the flushes between them).
const char* const kCalls[] = {"pwrite64", "write",  "ftruncate", "fsync",  "fdatasync",
                              "rename",   "renameat", "renameat2", "unlink", "unlinkat"};

struct Command {
  std::string name;
  std::vector<std::string> args;
  std::string lib;         // the library it changes (or reads, for update)
  std::string circuit;     // a circuit file it rewrites, if any
  bool wholeOrNothing;     // one write bracket: the whole old or the whole new list
};

// What a person sees of the files: the library's parts keyed by part
// number, and the circuit as `show` prints it.
struct Snapshot {
  bool libExists = false;
  std::map<std::string, std::string> parts;
  std::string circuit;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const Command& c) {
  Snapshot s;
  s.libExists = fs::exists(c.lib);
  if (s.libExists) {
    const auto r = runKestrel({"lib", "list", c.lib, "--style", "2", "--page-size", "0"});
    EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
    std::istringstream lines(r.out);
    std::string line;
    for (int n = 0; std::getline(lines, line); ++n) {
      if (n >= 3) s.parts[line.substr(0, 27)] = line;  // after the three header lines
    }
  }
  if (!c.circuit.empty()) s.circuit = runKestrel({"show", c.circuit}).out;
  return s;
}

std::string partOf(const Snapshot& s, const std::string& pn) {
  const auto it = s.parts.find(pn);
  return it == s.parts.end() ? "(none)" : it->second;
}

// strace with the calls on the command's own files only: the library, its
// journal, the library an import builds under a staging name, and the
// circuit (a save writes a temporary file and renames it over the circuit). The calls are counted on these files alone.
std::vector<std::string> strace(const Command& c, const std::string& traceFile, const std::string& calls) {
  std::vector<std::string> w = {"strace", "-f", "-qq", "-o", traceFile, "-e", "trace=" + calls};
  std::vector<std::string> files = {c.lib, c.lib + "-journal", c.lib + ".~imp", c.lib + ".~imp-journal"};
  if (!c.circuit.empty()) files.insert(files.end(), {c.circuit, c.circuit + ".BAK", c.circuit + ".lock"});
  for (const std::string& f : files) w.insert(w.end(), {"-P", f});
  return w;
}

// How often the command makes each call when it runs to its end.
std::map<std::string, int> countCalls(const Command& c, const std::string& traceFile) {
  std::string calls;
  for (const char* call : kCalls) calls += (calls.empty() ? "" : ",") + std::string(call);
  const auto r = runKestrel(c.args, {}, strace(c, traceFile, calls));
  EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.out << r.err;
  std::map<std::string, int> counts;
  std::ifstream in(traceFile);
  std::string line;
  while (std::getline(in, line)) {
    // "PID  call(...": the process number is padded to a width.
    const auto name = line.find_first_not_of(' ', line.find(' ')), paren = line.find('(');
    if (name != std::string::npos && paren != std::string::npos && paren > name) {
      ++counts[line.substr(name, paren - name)];
    }
  }
  EXPECT_FALSE(counts.empty()) << c.name << ": no calls traced\n" << r.err;
  return counts;
}

class Sweep {
 public:
  Sweep() {
    lib_ = dir_.file("p.lib");
    other_ = dir_.file("o.lib");
    cir_ = dir_.file("b.cir");
    built_ = dir_.file("q.lib");
    const std::string csv = dir_.file("parts.csv"), def = dir_.file("l.imp");
    const std::vector<std::vector<std::string>> setup = {
        {"lib", "create", lib_},
        {"lib", "add", lib_, "Resistor", "PN=A1", "PN2=OLD1"},
        {"lib", "add", lib_, "Resistor", "PN=A2", "PN2=OLD2"},
        {"lib", "add", lib_, "Capacitor", "PN=A3", "PN2=OLD3"},
        {"lib", "create", other_},
        {"lib", "add", other_, "Capacitor", "PN=M1"},
        {"lib", "add", other_, "Capacitor", "PN=M2"},
        {"lib", "add", other_, "Diode", "PN=A1", "PN2=DUP"},
        {"new", "circuit", cir_},
        {"add", cir_, "Diode", "PN=A1", "REFDES=D1", "PN2=CIRCUIT"},
        {"add", cir_, "Inductive", "PN=T5", "REFDES=L1"},
        {"add", cir_, "Capacitor", "PN=A3", "REFDES=C1", "QTY=2"},
        {"import-def", "new", def, "--format", "CSV", "--skip", "1-1", "--type", "Library", "--record-mode",
         "BuildFromScratch", "PART_TYPE=2", "PN=1", "PN2=3"},
    };
    for (const auto& args : setup) {
      const auto r = runKestrel(args);
      EXPECT_EQ(r.exitCode, 0) << args[0] << " " << args[1] << ": " << r.out << r.err;
    }
    std::ofstream(csv) << "PN,PART_TYPE,PN2\nZ1,Resistor,X\nZ2,Capacitor,Y\nZ3,Diode,Z\nZ1,Inductive,DUP\n";
    fs::copy_file(lib_, dir_.file("base.lib"));
    fs::copy_file(cir_, dir_.file("base.cir"));
    // `lib edit` has no command-line form: adding over an existing part
    // number with --replace is the edit a batch user makes.
    commands_ = {
        {"lib add", {"lib", "add", lib_, "Diode", "PN=NEW", "PN2=N1"}, lib_, "", true},
        {"lib add --replace", {"lib", "add", lib_, "Diode", "PN=A1", "PN2=EDITED", "--replace"}, lib_, "", true},
        {"lib delete", {"lib", "delete", lib_, "A2"}, lib_, "", true},
        {"lib merge", {"-y", "--no-log", "lib", "merge", lib_, other_}, lib_, "", false},
        {"transfer", {"-y", "--no-log", "transfer", cir_, lib_, "--replace"}, lib_, "", false},
        {"update", {"-y", "--no-log", "update", cir_, lib_, "--pn2"}, lib_, cir_, true},
        {"import", {"-y", "--no-log", "import", def, csv, "-o", built_}, built_, "", true},
    };
  }

  const std::vector<Command>& commands() const { return commands_; }

  void restore() {
    fs::copy_file(dir_.file("base.lib"), lib_, fs::copy_options::overwrite_existing);
    fs::copy_file(dir_.file("base.cir"), cir_, fs::copy_options::overwrite_existing);
    for (const std::string& f : {built_, built_ + "-journal", built_ + ".~imp", built_ + ".~imp-journal", lib_ + "-journal"}) {
      fs::remove(f);
    }
  }

  std::string trace() const { return dir_.file("calls.trace"); }

 private:
  ScratchDir dir_;
  std::string lib_, other_, cir_, built_;
  std::vector<Command> commands_;
};

// Checks the files after one kill; true when everything held.
bool recovered(const Command& c, const Snapshot& before, const Snapshot& after, const std::string& where) {
  bool ok = true;
  if (fs::exists(c.lib)) {
    for (const char* kind : {"lib", "store"}) {
      const auto check = runKestrel({kind, "check", c.lib});
      ok &= check.exitCode == 0;
      EXPECT_EQ(check.exitCode, 0) << where << ": " << kind << " check\n" << check.out << check.err;
    }
  }
  ok &= !fs::exists(c.lib + "-journal");
  EXPECT_FALSE(fs::exists(c.lib + "-journal")) << where;
  const Snapshot now = snapshot(c);
  if (c.wholeOrNothing) {
    ok &= now == before || now == after;
    EXPECT_TRUE(now == before || now == after) << where << ": neither the old nor the new files";
  }
  // Part by part: as it was, or as the command leaves it.
  std::map<std::string, int> numbers;
  for (const Snapshot* s : {&before, &after, &now}) {
    for (const auto& [pn, line] : s->parts) numbers[pn];
  }
  for (const auto& [pn, unused] : numbers) {
    const std::string part = partOf(now, pn);
    const bool oldOrNew = part == partOf(before, pn) || part == partOf(after, pn);
    ok &= oldOrNew;
    EXPECT_TRUE(oldOrNew) << where << ": part '" << pn << "' is\n" << part << "\nwas\n"
                          << partOf(before, pn) << "\nand becomes\n" << partOf(after, pn);
  }
  const bool circuitOk = now.circuit == before.circuit || now.circuit == after.circuit;
  ok &= circuitOk;
  EXPECT_TRUE(circuitOk) << where << ": the circuit is neither the old nor the new one";
  return ok;
}

}  // namespace

KillFigures runKillSweep(const KillSweep& sweep) {
  KillFigures figures;
  Sweep files;
  int commandNumber = 0;
  for (const Command& c : files.commands()) {
    ++commandNumber;
    if (c.name.find(sweep.only) == std::string::npos) continue;
    ++figures.commands;
    files.restore();
    const Snapshot before = snapshot(c);
    const auto counts = countCalls(c, files.trace());
    const Snapshot after = snapshot(c);
    EXPECT_FALSE(before == after) << c.name << " changed nothing";
    int total = 0;
    for (const auto& [call, count] : counts) total += count;
    const int stride = sweep.pointsPerCommand > 0 ? std::max(1, total / sweep.pointsPerCommand) : 1;
    const int first = commandNumber * 7 % stride;
    int points = 0, kills = 0, held = 0, at = 0;
    for (const char* call : kCalls) {
      const auto found = counts.find(call);
      const int count = found == counts.end() ? 0 : found->second;
      for (int n = 1; n <= count; ++n) {
        if (at++ % stride != first) continue;
        ++points;
        files.restore();
        auto wrapper = strace(c, "/dev/null", call);
        wrapper.insert(wrapper.end(), {"-e", std::string("inject=") + call + ":signal=KILL:when=" + std::to_string(n)});
        const auto r = runKestrel(c.args, {}, wrapper);
        if (r.exitCode == 0) continue;  // a call made only on some runs
        ++kills;
        const std::string where = c.name + " killed at " + call + " #" + std::to_string(n);
        if (recovered(c, before, after, where)) ++held;
      }
    }
    std::printf("kill sweep: %-18s %3d kill points, %3d killed, %3d recovered\n", c.name.c_str(), points, kills, held);
    figures.kills += kills;
    figures.recovered += held;
  }
  return figures;
}

}  // namespace kestrel::library::test
