#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "core/file_system.hpp"
#include "core/keywords/catalogue.hpp"
#include "run_kestrel.hpp"

namespace kestrel::test {
namespace {

class Workflow : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kestrel-flow-XXXXXX";
    dir_ = ::mkdtemp(name);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string file(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

// New circuit, two records, a header change, a calculation stored in the
// file, then show: the numbers agree with the hand-worked values.
TEST_F(Workflow, MakeAddCalculateAndShow) {
  const std::string cir = file("board.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir, "HEADER_DESCR=Fan tray", "HEADER_ENV=GF"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", cir, "Miscellaneous", "PN=fan-1", "REFDES=B1", "QTY=2",
                        "MISC_BASEFR=5"})
                .exitCode,
            0);
  const RunResult add2 = runKestrel({"add", cir, "CMisc", "PN=led", "MISC_BASEFR=0.25"});
  ASSERT_EQ(add2.exitCode, 0) << add2.err;
  EXPECT_NE(add2.out.find("LED"), std::string::npos);  // part numbers are upper-cased
  ASSERT_EQ(runKestrel({"set", cir, "HEADER_CF=2"}).exitCode, 0);

  const RunResult calc = runKestrel({"-q", "calc", cir, "--json"});
  ASSERT_EQ(calc.exitCode, 0) << calc.err;
  const auto doc = nlohmann::json::parse(calc.out);
  // (2 x 5 + 0.25) x CF 2 = 20.5 fpmh
  EXPECT_NEAR(doc["totals"]["failureRate"].get<double>(), 20.5, 1e-5);
  EXPECT_NEAR(doc["totals"]["mtbf"].get<double>(), 1e6 / 20.5, 1e-2);
  EXPECT_EQ(doc["header"]["HEADER_ENV"], "GF");
  EXPECT_EQ(doc["records"].size(), 2u);
  EXPECT_EQ(doc["records"][0]["fields"]["PN"], "FAN-1");
  EXPECT_EQ(doc["records"][0]["factors"]["LB"], 5.0);

  // The results are stored: show prints them without calculating again.
  const RunResult show = runKestrel({"show", cir});
  ASSERT_EQ(show.exitCode, 0);
  EXPECT_NE(show.out.find("FR=20.5000 fpmh   MTBF=48780.4878 hrs.   Parts=3"), std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find(" 97.56%"), std::string::npos) << show.out;  // 10 of 10.25
  EXPECT_TRUE(std::filesystem::exists(cir + ".BAK"));
}

TEST_F(Workflow, KeywordValuesAreClampedWithTheReaderMessages) {
  const std::string cir = file("c.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  const RunResult r = runKestrel({"add", cir, "609", "PN=x", "QTY=5000", "RES_TYPE=3"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("'QTY' [5000] out of range [1/999] (R1/F2)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("RES_TYPE is not a field here"), std::string::npos) << r.err;
  const auto doc = nlohmann::json::parse(runKestrel({"show", cir, "--json"}).out);
  EXPECT_EQ(doc["records"][0]["fields"]["QTY"], 999.0);
}

// Data on stdout, messages on stderr, and a refused command leaves the file as it was.
struct RefusedCase {
  const char* name;
  std::vector<std::string> args;  // FILE stands for the test circuit
  int exitCode;
  const char* message;            // expected on stderr
  const char* output = "";        // expected on stdout
};

class Refused : public Workflow, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Refused, WithAClearMessageAndTheFileUnchanged) {
  const std::string cir = file("r.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  std::ifstream before(cir, std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(before)), {});
  std::vector<std::string> args = GetParam().args;
  for (std::string& a : args) {
    if (a == "FILE") a = cir;
  }
  const RunResult r = runKestrel(args);
  EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
  EXPECT_NE(r.out.find(GetParam().output), std::string::npos) << r.out;
  std::ifstream after(cir, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), original);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refused,
    ::testing::Values(
        RefusedCase{"UnknownType", {"add", "FILE", "Flux", "PN=1"}, 1, "'Flux' is not a part type"},
        RefusedCase{"UnknownKeyword", {"add", "FILE", "609", "BOGUS=1"}, 1, "not a field keyword"},
        RefusedCase{"NotAnAssignment", {"set", "FILE", "HEADER_ENV"}, 1, "is not KEYWORD=VALUE"},
        RefusedCase{"KeywordTwice", {"set", "FILE", "HEADER_ENV=GB", "header_env=GF"}, 1,
                    "is given twice"},
        RefusedCase{"ExistingFile", {"new", "circuit", "FILE"}, 1, "exists already"},
        RefusedCase{"SubCircuitInHybridMenuOnly", {"add", "FILE", "9999"}, 1, "is not a part type"},
        RefusedCase{"Help", {"--help"}, 0, "", "keywords"}, RefusedCase{"Version", {"--version"}, 0, "", "kestrel 0."},
        RefusedCase{"NoCommand", {}, 1, "subcommand"}, RefusedCase{"UnknownCommand", {"frobnicate"}, 1, ""},
        RefusedCase{"UnknownOption", {"demo", "--bogus"}, 1, "bogus"},
        RefusedCase{"BadMissionTime", {"demo", "--mission-time", "-5"}, 1, "mission"},
        RefusedCase{"KeywordsPrefix", {"keywords", "--prefix", "header_"}, 0, "", "HEADER_#REQ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Workflow, DamagedAndMissingFilesExitWithBadInput) {
  const std::string cir = file("d.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  {
    std::fstream f(cir, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(10);
    f.put('\x7f');
  }
  for (const char* command : {"show", "calc"}) {
    const RunResult r = runKestrel({command, cir});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("'" + cir + "': File checksum error."), std::string::npos) << r.err;
  }
  const RunResult missing = runKestrel({"show", file("none.cir")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("file not found"), std::string::npos) << missing.err;
}

TEST_F(Workflow, HybridUsesTheHybridModel) {
  const std::string hyb = file("m.hyb");
  ASSERT_EQ(runKestrel({"new", "hybrid", hyb, "HEADER_ENV=GB", "HEADER_HYBQU=B"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", hyb, "609", "PN=chip", "MISC_BASEFR=2"}).exitCode, 0);
  const RunResult wrongName = runKestrel({"new", "hybrid", file("m.cir")});
  EXPECT_EQ(wrongName.exitCode, 1);
  EXPECT_NE(wrongName.err.find("Please change file extension to '.HYB'"), std::string::npos);
  const auto doc = nlohmann::json::parse(runKestrel({"-q", "calc", hyb, "--json"}).out);
  // SUMCHIPS 2 x (1 + 0.2 x 0.5) x PIF 1.0 x PIL 1.0 x PIQ 1.0 = 2.2
  EXPECT_NEAR(doc["totals"]["failureRate"].get<double>(), 2.2, 1e-6);
  EXPECT_EQ(doc["kind"], "HYBRID");
  EXPECT_EQ(doc["records"][0]["type"], "Miscellaneous(Hyb)");
}

TEST_F(Workflow, MissionStagesThroughAHierarchy) {
  const std::string board = file("board.cir"), top = file("top.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", board}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", board, "609", "PN=A", "QTY=2", "MISC_BASEFR=100"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"new", "circuit", top}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", top, "SubCircuit", "PN=B1", "SUBCIRC_FILENAME=board.cir"}).exitCode, 0);

  // Serial pair of 100 fpmh: 200 fpmh, MTBF 5000 h, R(1000 h) = exp(-0.2).
  const RunResult serial = runKestrel({"-q", "calc", top, "--mission", "1000"});
  ASSERT_EQ(serial.exitCode, 0) << serial.err;
  EXPECT_NE(serial.out.find("FR=200.0000 fpmh   MTBF=5000.0000 hrs.   Parts=1"), std::string::npos)
      << serial.out;
  EXPECT_NE(serial.out.find("MissionR=0.818731   BasicR=0.818731"), std::string::npos) << serial.out;
  EXPECT_NE(serial.out.find("MissionMTBF=49"), std::string::npos) << serial.out;  // 5000 within 0.1 %

  // The board as 1 of 2: R = 1 - (1 - exp(-0.1))^2 = 0.990944.
  ASSERT_EQ(runKestrel({"-q", "calc", board, "--model", "kofn", "--k", "1"}).exitCode, 0);
  const RunResult kofn = runKestrel({"-q", "calc", top, "--mission", "1000"});
  EXPECT_NE(kofn.out.find("MissionR=0.990944"), std::string::npos) << kofn.out;

  const RunResult noK = runKestrel({"-q", "calc", board, "--model", "kofn", "--mission", "100"});
  EXPECT_EQ(noK.exitCode, 1);
  EXPECT_NE(noK.err.find("--model kofn needs --k"), std::string::npos) << noK.err;
  EXPECT_EQ(noK.out, "");
  const RunResult tooMany = runKestrel({"calc", board, "--mission", "1000", "--k", "3"});
  EXPECT_EQ(tooMany.exitCode, 1);
  EXPECT_NE(tooMany.err.find("K-of-N quantity (K=3, N=2)"), std::string::npos) << tooMany.err;
}

TEST_F(Workflow, WhatIfAndMergeThroughTheCommandLine) {
  const std::string a = file("a.cir"), b = file("b.cir"), h = file("h.hyb");
  ASSERT_EQ(runKestrel({"new", "circuit", a, "HEADER_TEMP=25"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", a, "609", "PN=P1", "MISC_METHOD=2", "MISC_BASEFR=1", "MISC_EA=0.35"})
                .exitCode,
            0);
  // Ambient 25 -> 55: PIT = exp(0.35 x 11604.97 x (1/298 - 1/328)) = 3.47866 (Ea 0.35 eV, Tnormal 25)
  const RunResult dry = runKestrel({"-q", "whatif", a, "--temp", "increase:30", "--dry-run"});
  ASSERT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_NE(dry.out.find("FR=3.47866"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("dry run"), std::string::npos);
  EXPECT_NE(runKestrel({"show", a}).out.find("Temp: 25.00 C"), std::string::npos);
  ASSERT_EQ(runKestrel({"-q", "whatif", a, "--temp", "increase:30"}).exitCode, 0);
  EXPECT_NE(runKestrel({"show", a}).out.find("Temp: 55.00 C"), std::string::npos);
  const RunResult nothing = runKestrel({"whatif", a});
  EXPECT_EQ(nothing.exitCode, 1);
  EXPECT_NE(nothing.err.find("No What-If? changes specified."), std::string::npos);

  ASSERT_EQ(runKestrel({"new", "circuit", b}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", b, "609", "PN=Q1", "MISC_BASEFR=2"}).exitCode, 0);
  const RunResult merged = runKestrel({"-q", "--yes", "merge", b, a});
  ASSERT_EQ(merged.exitCode, 0) << merged.err;
  EXPECT_NE(merged.out.find("1 records merged"), std::string::npos);
  const auto doc = nlohmann::json::parse(runKestrel({"show", a, "--json"}).out);
  EXPECT_EQ(doc["records"].size(), 2u);
  const RunResult asked = runKestrel({"merge", b, a});  // no terminal, no --yes: answered No
  EXPECT_EQ(asked.exitCode, 1);
  ASSERT_EQ(runKestrel({"new", "hybrid", h}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", h, "609", "PN=C"}).exitCode, 0);
  const RunResult wrongKind = runKestrel({"--yes", "merge", h, a});
  EXPECT_EQ(wrongKind.exitCode, 1);
  EXPECT_NE(wrongKind.err.find("unexpected file format"), std::string::npos) << wrongKind.err;
}

TEST_F(Workflow, BatchJobsWriteTheOperationLogAndSettings) {
  const std::string a = file("a.cir"), log = file("ops.log"), ini = file("my.ini");
  ASSERT_EQ(runKestrel({"new", "circuit", a}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", a, "609", "PN=P1"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"-q", "--log", log, "--settings", ini, "calc", a, "--mission", "500"}).exitCode, 0);
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("CALCULATE:"), std::string::npos) << text;
  EXPECT_NE(text.find("Start Time: "), std::string::npos);
  EXPECT_NE(text.find("FR=1.00000 fpmh"), std::string::npos) << text;
  EXPECT_NE(text.find("End Time: "), std::string::npos);
  std::ifstream settings(ini);
  const std::string s((std::istreambuf_iterator<char>(settings)), {});
  EXPECT_NE(s.find("[Calculate]\nMode=1\nTime=500.000000"), std::string::npos) << s;
  // A malformed value is replaced, with a warning, and the run goes on.
  std::ofstream(ini) << "[Calculate]\nTime=often\n";
  const RunResult r = runKestrel({"-q", "--settings", ini, "--no-log", "calc", a});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("Time=often is not valid"), std::string::npos) << r.err;
}

// A child changed and calculated alone leaves its parent's stored total out
// of date; every view of the parent says so until the parent is calculated.
TEST_F(Workflow, ParentOfAChangedChildIsNotCurrent) {
  const std::string child = file("child.cir"), parent = file("parent.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", child}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", child, "609", "PN=A", "MISC_BASEFR=10"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"new", "circuit", parent}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", parent, "SubCircuit", "PN=S1", "SUBCIRC_FILENAME=child.cir"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"-q", "calc", parent}).exitCode, 0);
  auto stale = [&] { return nlohmann::json::parse(runKestrel({"show", "--json", parent}).out); };
  EXPECT_EQ(stale()["stale"], false);

  ASSERT_EQ(runKestrel({"add", child, "609", "PN=B", "MISC_BASEFR=5"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"-q", "calc", child}).exitCode, 0);
  const auto json = stale();
  EXPECT_EQ(json["stale"], true);
  ASSERT_EQ(json["staleRecords"].size(), 1u);
  EXPECT_EQ(json["staleRecords"][0]["record"], 1);
  EXPECT_EQ(json["staleRecords"][0]["PN"], "S1");
  EXPECT_NE(runKestrel({"show", parent}).out.find("*NOT CURRENT*"), std::string::npos);
  const RunResult report = runKestrel({"report", parent});
  EXPECT_NE(report.out.find("NOT CURRENT"), std::string::npos) << report.out;
  EXPECT_NE(report.err.find("NOT CURRENT"), std::string::npos) << report.err;
  const RunResult exported = runKestrel({"export", parent, "-o", file("out.csv")});
  EXPECT_NE(exported.err.find("NOT CURRENT"), std::string::npos) << exported.err;
  const std::string prj = file("p.prj");
  ASSERT_EQ(runKestrel({"-q", "project", "new", prj, parent}).exitCode, 0);
  const RunResult tree = runKestrel({"-q", "project", "show", prj, "--documents"});
  EXPECT_NE(tree.out.find("*NOT CURRENT*"), std::string::npos) << tree.out;

  ASSERT_EQ(runKestrel({"-q", "calc", parent}).exitCode, 0);
  EXPECT_EQ(stale()["stale"], false);
  std::filesystem::remove(child);
  EXPECT_EQ(stale()["staleRecords"][0]["reason"], "missing");
}

// The example hierarchy (system > io_board > rf_module, and two more boards)
// copied into the test folder.
void copyExamples(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(KESTREL_EXAMPLES)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".cir" || ext == ".hyb") std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string());
  }
}

std::string frLine(const std::string& out) {
  const auto at = out.find("FR=");
  return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
}

// Every kind of change is kept in every file it reaches: calculating again
// gives what the What-If? printed.
TEST_F(Workflow, WhatIfChangesAreKeptThroughTheHierarchy) {
  const std::vector<std::vector<std::string>> changes = {
      {"--env", "GF"}, {"--temp", "increase:5"}, {"--quality", "decrease:1"}, {"--stress", "set:80"}};
  for (const auto& change : changes) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directory(dir_);
    copyExamples(dir_);
    // Named as a user in that folder names it, without a folder.
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    const std::string top = "system.cir";
    const std::string before = frLine(runKestrel({"-q", "calc", top}).out);
    std::vector<std::string> args{"-q", "whatif", top};
    args.insert(args.end(), change.begin(), change.end());
    const RunResult whatIf = runKestrel(args);
    EXPECT_EQ(whatIf.exitCode, 0) << change[0] << whatIf.err;
    EXPECT_NE(frLine(whatIf.out), before) << change[0];
    EXPECT_EQ(frLine(runKestrel({"-q", "calc", top}).out), frLine(whatIf.out)) << change[0];
    std::filesystem::current_path(home);
  }
}

// A run that fails while writing changes no file, and says so; the same for
// a calculation of the hierarchy.
TEST_F(Workflow, FailedSavesOfAHierarchyChangeNoFile) {
  copyExamples(dir_);
  const std::string top = file("system.cir");
  ASSERT_EQ(runKestrel({"-q", "calc", top}).exitCode, 0);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    if (e.path().extension() != ".BAK") names.push_back(e.path().string());
  }
  auto contents = [&] {
    std::string all;
    for (const std::string& n : names) {
      std::ifstream in(n, std::ios::binary);
      all += std::string((std::istreambuf_iterator<char>(in)), {});
    }
    return all;
  };
  const std::string before = contents();
  // The top file is written last: its backup name taken by a folder stops it.
  std::filesystem::remove(top + ".BAK");
  std::filesystem::create_directories(top + ".BAK/x");
  const std::vector<std::vector<std::string>> runs = {{"-q", "whatif", top, "--temp", "increase:5"},
                                                      {"-q", "calc", top, "--mission", "100"}};
  for (const auto& args : runs) {
    const RunResult r = runKestrel(args);
    EXPECT_EQ(r.exitCode, 1) << args[1];
    EXPECT_NE(r.err.find("No file was changed."), std::string::npos) << r.err;
    EXPECT_EQ(contents(), before) << args[1];
  }
}

// The program killed at every write, flush, link, rename and delete of a
// save: the circuit's name always holds the old or the new complete file.
TEST_F(Workflow, KilledSavesLeaveTheOldOrTheNewFile) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  const std::string cir = file("k.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", cir, "609", "PN=A"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", cir, "609", "PN=B"}).exitCode, 0);
  std::filesystem::copy_file(cir, file("base.cir"));
  int kills = 0;
  for (const char* call : {"write", "fsync", "link,linkat", "rename,renameat,renameat2", "unlink,unlinkat"}) {
    for (int n = 1; n < 50; ++n) {
      std::filesystem::copy_file(file("base.cir"), cir, std::filesystem::copy_options::overwrite_existing);
      const RunResult r = runKestrel({"add", cir, "609", "PN=C"}, {},
                                     {"strace", "-f", "-qq", "-o", "/dev/null", "-e", std::string("trace=") + call, "-e",
                                      std::string("inject=") + call + ":signal=KILL:when=" + std::to_string(n)});
      const RunResult show = runKestrel({"show", cir, "--json"});
      ASSERT_EQ(show.exitCode, 0) << call << " #" << n << ": " << show.err;
      const std::size_t records = nlohmann::json::parse(show.out)["records"].size();
      EXPECT_TRUE(records == 2 || records == 3) << call << " #" << n;
      if (r.exitCode == 0) {
        EXPECT_EQ(records, 3u) << call << " #" << n;
        break;
      }
      ++kills;
    }
  }
  // Leftovers of the killed writers went with the next saves.
  std::size_t temporaries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) temporaries += e.path().extension() == ".tmp";
  EXPECT_LE(temporaries, 1u);
  EXPECT_GT(kills, 4);
}

// How the closing record names the top a.cir, and how the top is given.
struct CycleCase {
  const char* name;
  const char* childName;
  const char* link;  // "symbolic", "hard" or "": how childName is made
  const char* top;
};

class Cycle : public Workflow, public ::testing::WithParamInterface<CycleCase> {};

// Caught at the record that names a document already being walked, in the
// document holding that record, by every walk down the hierarchy: a.cir
// naming the top itself (level 1), and a -> b -> c naming it (level 3).
TEST_P(Cycle, IsRefusedAtTheRecordThatClosesIt) {
  const CycleCase& c = GetParam();
  for (const std::vector<std::string>& chain : {std::vector<std::string>{"a"}, {"a", "b", "c"}}) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(file("sub"));
    for (std::size_t i = 0; i < chain.size(); ++i) {
      const std::string cir = file(chain[i] + ".cir");
      const std::string child = i + 1 < chain.size() ? chain[i + 1] + ".cir" : c.childName;
      ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
      ASSERT_EQ(runKestrel({"add", cir, "609", "PN=P"}).exitCode, 0);
      ASSERT_EQ(runKestrel({"add", cir, "SubCircuit", "PN=S", "SUBCIRC_FILENAME=" + child}).exitCode, 0);
    }
    // Linked last: a save puts a new file in place, which a hard link would not follow.
    if (c.link == std::string("symbolic")) std::filesystem::create_symlink("a.cir", file(c.childName));
    if (c.link == std::string("hard")) std::filesystem::create_hard_link(file("a.cir"), file(c.childName));
    const std::string top = file(c.top), closer = chain.back();
    const std::string line = std::string(closer == "a" ? "'A.CIR'" : "'C.CIR'") + " (Level " +
                             std::to_string(chain.size()) + ")... ...Error: self-reference (rec#1).";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"calc", top},
                                                  {"calc", top, "--mission", "10"},
                                                  {"--yes", "graph", top, "--type", "fr-cir"}}) {
      const RunResult r = runKestrel(args);
      EXPECT_NE(r.exitCode, 0);
      EXPECT_NE(r.err.find(line), std::string::npos) << args.size() << " " << closer << "\n" << r.err;
    }
    const RunResult report = runKestrel({"report", "-r", top});
    EXPECT_NE(report.err.find(closer + ".cir': self-reference (rec#1)"), std::string::npos) << report.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Names, Cycle,
                         ::testing::Values(CycleCase{"Itself", "a.cir", "", "a.cir"},
                                           CycleCase{"OtherCase", "A.CIR", "", "a.cir"},
                                           CycleCase{"SymbolicLink", "la.cir", "symbolic", "a.cir"},
                                           CycleCase{"HardLink", "ha.cir", "hard", "a.cir"},
                                           CycleCase{"LinkAndDotDot", "la.cir", "symbolic", "sub/../a.cir"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The shipped hierarchy names its children in capitals, stored in small
// letters: every walk finds all five files, and each once.
TEST_F(Workflow, RecursiveExportAndUpdateFindChildrenAsTheCalculationDoes) {
  copyExamples(dir_);
  std::filesystem::copy_file(std::string(KESTREL_EXAMPLES) + "/parts.lib", file("parts.lib"));
  // A second name of the top is still one file.
  std::filesystem::create_hard_link(file("system.cir"), file("other.cir"));
  std::filesystem::create_directory(file("out"));
  const std::string top = file("system.cir");
  const RunResult exported = runKestrel({"export", top, file("other.cir"), "-r", "-o", file("out/system.csv")});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  for (const char* name : {"system", "controller", "io_board", "power_supply", "rf_module"}) {
    EXPECT_TRUE(std::filesystem::exists(file("out/") + name + ".csv")) << name << exported.err;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file("out")), {}), 5);

  const RunResult updated = runKestrel({"--yes", "update", top, file("parts.lib"), "--recursive"});
  EXPECT_EQ(updated.exitCode, 0) << updated.err;
  EXPECT_EQ(updated.err.find("Error"), std::string::npos) << updated.err;
  EXPECT_NE(updated.err.find("rf_module.hyb'..."), std::string::npos) << updated.err;
}

std::set<std::string> partNumbers(const std::string& cir) {
  std::set<std::string> pns;
  const auto doc = nlohmann::json::parse(runKestrel({"show", cir, "--json"}).out);
  for (const auto& r : doc["records"]) {
    pns.insert(r["fields"]["PN"].get<std::string>());
  }
  return pns;
}

// Two programs adding to one circuit at once: every record of both is there.
TEST_F(Workflow, ParallelAddsKeepEveryRecord) {
  const std::string cir = file("shared.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  const std::string loop = "XDG_CONFIG_HOME=" + dir_ + " " + KESTREL_BIN + " -q add " + cir +
                           " CMisc PN=W$w-$i MISC_BASEFR=1 >/dev/null || echo failed";
  const std::string script = "for w in 1 2; do (for i in $(seq 1 20); do " + loop + "; done) & done; wait";
  const std::string out = dir_ + "/adds.out";
  ASSERT_EQ(std::system(("sh -c '" + script + "' >" + out + " 2>&1").c_str()), 0);
  std::ifstream failures(out);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(failures), {}), "");
  const std::set<std::string> pns = partNumbers(cir);
  EXPECT_EQ(pns.size(), 40u);
  EXPECT_TRUE(pns.count("W1-20") == 1 && pns.count("W2-20") == 1);
}

// A header change beside a merge into the same file: both changes stay.
TEST_F(Workflow, SetBesideMergeKeepsBothChanges) {
  const std::string into = file("into.cir"), from = file("from.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", into}).exitCode, 0);
  ASSERT_EQ(runKestrel({"new", "circuit", from}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", from, "CMisc", "PN=M", "MISC_BASEFR=1"}).exitCode, 0);
  const std::string bin = std::string("XDG_CONFIG_HOME=") + dir_ + " " + KESTREL_BIN + " -q";
  for (int round = 1; round <= 4; ++round) {
    const std::string both = bin + " set " + into + " HEADER_CF=" + std::to_string(round) + " & " + bin +
                             " -y merge " + from + " " + into + " >/dev/null & wait";
    ASSERT_EQ(std::system(("sh -c '" + both + "'").c_str()), 0);
    const auto doc = nlohmann::json::parse(runKestrel({"show", into, "--json"}).out);
    EXPECT_EQ(doc["header"]["HEADER_CF"].get<double>(), round);
    EXPECT_EQ(doc["records"].size(), static_cast<std::size_t>(round));
  }
}

// Every writer waits for a lock another program holds, then gives up naming
// the holder and leaves the files as they were; readers do not wait.
TEST_F(Workflow, HeldLockStopsEveryWriterNamingTheHolder) {
  const std::string top = file("top.cir"), child = file("child.cir"), from = file("from.cir");
  for (const std::string& f : {top, child, from}) ASSERT_EQ(runKestrel({"new", "circuit", f}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", child, "CMisc", "PN=C", "MISC_BASEFR=1"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", from, "CMisc", "PN=F", "MISC_BASEFR=1"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"add", top, "CSubCircuit", "PN=SUB", "SUBCIRC_FILENAME=child.cir"}).exitCode, 0);
  struct Case {
    std::string locked;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {top, {"add", top, "CMisc", "PN=X"}},
      {top, {"set", top, "HEADER_CF=3"}},
      {top, {"-y", "merge", from, top}},
      {top, {"calc", top}},
      {child, {"calc", top}},  // a sub-file it would save
      {child, {"whatif", top, "--temp", "increase:5"}},
  };
  auto bytes = [](const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string topBefore = bytes(top), childBefore = bytes(child);
  for (const Case& c : cases) {
    std::unique_ptr<FileLock> lock;
    std::string holder;
    ASSERT_TRUE(posixFileSystem().tryLock(c.locked, lock, holder).isOk());
    ASSERT_TRUE(lock);
    std::vector<std::string> args = {"-q", "--lock-wait", "0.3"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = runKestrel(args);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << c.args[0];
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const std::string named = "'" + c.locked + "': locked by ";
    EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(pid " + std::to_string(::getpid()) + "); try again later"), std::string::npos) << r.err;
    EXPECT_EQ(bytes(top), topBefore) << c.args[0];
    EXPECT_EQ(bytes(child), childBefore) << c.args[0];
    EXPECT_EQ(runKestrel({"--lock-wait", "0", "show", top}).exitCode, 0);
  }
  EXPECT_EQ(runKestrel({"-q", "--lock-wait", "0", "calc", top}).exitCode, 0);  // released with its holder
}

// A writer killed while it holds the lock leaves nothing that stops the next one.
TEST_F(Workflow, KilledHolderLeavesNoLock) {
  const std::string cir = file("k.cir");
  ASSERT_EQ(runKestrel({"new", "circuit", cir}).exitCode, 0);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::unique_ptr<FileLock> lock;
    std::string holder;
    (void)posixFileSystem().tryLock(cir, lock, holder);
    (void)!::write(ready[1], lock ? "y" : "n", 1);
    for (;;) ::pause();
  }
  char held = 0;
  const bool holding = ::read(ready[0], &held, 1) == 1 && held == 'y';
  const int whileHeld = holding ? runKestrel({"--lock-wait", "0", "add", cir, "CMisc", "PN=A"}).exitCode : -1;
  ::kill(pid, SIGKILL);  // whatever happened: no child is left behind
  ::waitpid(pid, nullptr, 0);
  ASSERT_TRUE(holding);
  EXPECT_EQ(whileHeld, 1);
  const RunResult r = runKestrel({"--lock-wait", "0", "add", cir, "CMisc", "PN=B"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(partNumbers(cir), std::set<std::string>{"B"});
}

TEST(KeywordsCommand, JsonListsTheWholeCatalogueInOrder) {
  const RunResult r = runKestrel({"keywords", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = nlohmann::json::parse(r.out);
  ASSERT_EQ(rows.size(), kCatalogueSize);
  const auto catalogue = keywordCatalogue();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i]["keyword"], std::string(catalogue[i].name));
  }
  EXPECT_EQ(rows[0]["keyword"], "HEADER_FILETYPE");
  const auto res = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
    return row["keyword"] == "RES_PSTRESS";
  });
  ASSERT_NE(res, rows.end());
  EXPECT_EQ((*res)["type"], "Num");
  EXPECT_EQ((*res)["class"], "CResistor");
  EXPECT_EQ((*res)["max"], 100.0);
}

TEST(DemoCommand, PrintsResultsThatAgreeWithTheParts) {
  const RunResult json = runKestrel({"-q", "demo", "--json", "--mission-time", "1000"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto out = nlohmann::json::parse(json.out);
  double sum = 0.0, parts = 0.0;
  for (const auto& rec : out["records"]) {
    sum += rec["tfr"].get<double>();
    parts += rec["qty"].get<double>();
  }
  const double fr = out["failureRate"];
  EXPECT_NEAR(fr, sum, 1e-6 * sum);
  EXPECT_NEAR(out["mtbf"].get<double>(), 1e6 / fr, 1e-6);
  EXPECT_EQ(out["parts"].get<double>(), parts);
  EXPECT_NEAR(out["basicReliability"].get<double>(), std::exp(-fr * 1000.0 * 1e-6), 1e-12);

  const RunResult text = runKestrel({"demo"});
  ASSERT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("'SAMPLE.CIR' Calculation Results:"), std::string::npos);
  EXPECT_NE(text.out.find("FR="), std::string::npos);
  EXPECT_NE(text.out.find(" fpmh   MTBF="), std::string::npos);
  EXPECT_NE(text.out.find("Parts=" + std::to_string(static_cast<int>(parts))), std::string::npos);
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 132u) << line;
}

}  // namespace
}  // namespace kestrel::test
