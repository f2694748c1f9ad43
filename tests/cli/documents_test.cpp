// What the command-line workflows written as transcripts can not say: a save
// killed part-way, a lock held by another process, and values read from the
// JSON output.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/file_system.hpp"
#include "core/keywords/catalogue.hpp"
#include "store/library/keyed_file.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
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

std::set<std::string> partNumbers(const std::string& cir) {
  std::set<std::string> pns;
  const auto doc = nlohmann::json::parse(runKestrel({"show", cir, "--json"}).out);
  for (const auto& r : doc["records"]) {
    pns.insert(r["fields"]["PN"].get<std::string>());
  }
  return pns;
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
      {top, {"edit", top, "1", "QTY=2"}},
      {top, {"convert", top, "PN=SUB", "CMisc", "--defaults"}},
      {top, {"-y", "delete", top, "1"}},
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

// A library or cross-reference record another program holds under its
// record lock is refused by every command that would change it, with the
// window's words and the library's three-part message.
TEST_F(Workflow, HeldLibraryRecordIsRefused) {
  const std::string lib = file("p.lib"), xrf = file("x.xrf");
  ASSERT_EQ(runKestrel({"lib", "create", lib}).exitCode, 0);
  ASSERT_EQ(runKestrel({"lib", "add", lib, "CMisc", "PN=HELD"}).exitCode, 0);
  ASSERT_EQ(runKestrel({"xref", "create", xrf}).exitCode, 0);
  ASSERT_EQ(runKestrel({"xref", "add", xrf, "X1", "HELD"}).exitCode, 0);
  library::StoreMessage error;
  auto heldLib = library::PartLibrary::open(lib, true, error);
  auto heldXRef = library::XRefFile::open(xrf, true, error);
  ASSERT_TRUE(heldLib && heldXRef) << error.text();
  library::LibEntry part;
  library::XRefEntry xref;
  ASSERT_EQ(heldLib->findPn("HELD", part), library::Outcome::Ok);
  ASSERT_EQ(heldLib->keyedFile()->store().LockRecord(), store::kOk);
  ASSERT_EQ(heldXRef->findPn("X1", xref), library::Outcome::Ok);
  ASSERT_EQ(heldXRef->keyedFile()->store().LockRecord(), store::kOk);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"lib", "edit", lib, "HELD", "QTY=2"}, "Can not edit record"},
      {{"lib", "convert", lib, "HELD", "CResistor", "--defaults"}, "Can not convert record"},
      {{"lib", "delete", lib, "HELD"}, "Can not delete record"},
      {{"xref", "edit", xrf, "X1", "--libpn", "OTHER"}, "Can not edit record"},
      {{"xref", "delete", xrf, "X1"}, "Can not delete record"},
  };
  for (const auto& [args, failure] : cases) {
    const RunResult r = runKestrel(args);
    EXPECT_EQ(r.exitCode, 1) << args[1];
    EXPECT_NE(r.err.find("kestrel: " + failure + ": '"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("...can not lock record... ...record is locked by another process."), std::string::npos)
        << r.err;
  }
  // Nothing changed: the part and the cross-reference read as before.
  EXPECT_NE(runKestrel({"lib", "find", lib, "HELD"}).out.find("Miscellaneous"), std::string::npos);
  EXPECT_NE(runKestrel({"xref", "find", xrf, "X1"}).out.find("HELD"), std::string::npos);
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
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["schema"], 1);
  const auto& rows = doc["keywords"];
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
}

}  // namespace
}  // namespace kestrel::test
