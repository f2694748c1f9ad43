// The library commands over damaged files and killed writers: what needs the
// file's byte layout or a killed process (the plain workflows are transcripts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "kill_sweep.hpp"
#include "library_fixture.hpp"
#include "run_kestrel.hpp"
#include "core/strfmt.hpp"
#include "store/file_format.hpp"

namespace kestrel::library::test {
namespace {

using kestrel::test::runKestrel;

// Each command killed at a sample of its writes, flushes and deletes (the
// library kill stress test kills it at every one): the next command rolls
// the library back or finds the change complete, the library checks clean
// and holds the old or the new parts.
TEST(LibraryCommands, KilledWritersLeaveALibraryThatOpensAndChecksClean) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  KillSweep slice;
  slice.pointsPerCommand = 1;
  const KillFigures figures = runKillSweep(slice);
  EXPECT_EQ(figures.commands, 7);
  EXPECT_GE(figures.kills, 7);
  EXPECT_EQ(figures.recovered, figures.kills);
}

// Copies of the example library and cross-reference file, damaged the way
// users found them: every command ends, says which file is damaged, and a
// write does not build on the damage.
class DamagedCopy : public ::testing::Test {
 protected:
  static constexpr store::ByteOrder kLE{};
  std::string copy(const std::string& name) {
    const std::string path = dir.file(name);
    store::test::writeFileBytes(path, store::test::fileBytes(std::string(KESTREL_EXAMPLES) + "/" + name));
    return path;
  }
  static std::size_t node(std::int32_t n) { return store::nodeOffset(n); }
  // The leaves of a tree, left to right.
  static std::vector<std::int32_t> leaves(const std::vector<std::uint8_t>& b, int tree) {
    std::int32_t n = kLE.geti32(&b[264 + 4 * (tree - 1)]);
    while (kLE.get16(&b[node(n) + 12]) != 0) n = kLE.geti32(&b[node(n)]);
    std::vector<std::int32_t> out;
    for (; n != -1 && out.size() < 1000; n = kLE.geti32(&b[node(n) + 4])) out.push_back(n);
    return out;
  }
  // Where entry i of a node starts.
  static std::size_t entry(const std::vector<std::uint8_t>& b, std::int32_t n, int i) {
    std::size_t at = node(n) + 18;
    for (int k = 0; k < i; ++k) at += b[at] + 1u;
    return at;
  }
  ScratchDir dir;
};

// `store check`: a damaged node is named and an interrupted write reported,
// each with its exit code (sound copies and refused options: transcripts).
TEST_F(DamagedCopy, ChecksNameTheFaultAndSayItByTheExitCode) {
  struct Case {
    const char* name;
    void (*damage)(std::vector<std::uint8_t>&);
    std::vector<std::string> args;                // the file is added after the first two
    int exitCode;
    std::string says;  // in stdout and stderr
  } cases[] = {
      {"entry count above 143",
       [](auto& b) { kLE.put16(&b[node(kLE.geti32(&b[264])) + 14], 200); },
       {"store", "check"}, 2, ": tree: node entry count error"},
      {"interrupted write",
       [](auto& b) { kLE.put16(&b[store::kMarkerOffset], store::kMarkerValue); },
       {"store", "check"}, 2, "header: write op interrupted: file corrupted"},
  };
  for (const Case& c : cases) {
    const std::string lib = copy("parts.lib");
    auto b = store::test::fileBytes(lib);
    c.damage(b);
    store::test::writeFileBytes(lib, b);
    auto args = c.args;
    args.insert(args.begin() + 2, lib);
    const auto r = runKestrel(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.name << "\n" << r.out << r.err;
  }
}

TEST_F(DamagedCopy, KeyThatNoLongerMatchesItsRecordEndsEveryWalk) {
  // The first list key's part number one higher, still below the next key:
  // stepping on from the record's own fields found the same entry for ever.
  const std::string lib = copy("parts.lib");
  auto b = store::test::fileBytes(lib);
  const std::int32_t leaf = leaves(b, 3).front();
  const std::size_t key = entry(b, leaf, 0) + 7, next = entry(b, leaf, 1) + 7;
  const std::size_t last = key + 5 + std::strlen(reinterpret_cast<const char*>(&b[key + 5])) - 1;
  ++b[last];
  ASSERT_LT(std::memcmp(&b[key + 5], &b[next + 5], 25), 0);
  store::test::writeFileBytes(lib, b);
  const std::int32_t record = static_cast<std::int32_t>(kLE.get32(&b[key - 4]));
  const std::string named = "R" + std::to_string(record);
  const std::string fault = "index 3: " + named + " does not match its key (node " + std::to_string(leaf) + ")";
  for (const char* command : {"lib", "store"}) {
    const auto r = runKestrel({command, "check", lib});
    EXPECT_EQ(r.exitCode, 2) << command;
    EXPECT_NE(r.out.find(fault), std::string::npos) << command << "\n" << r.out << r.err;
  }
  auto r = runKestrel({"lib", "list", lib, "--page-size", "0"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3 + 528) << r.err;
  EXPECT_EQ(r.out.find(" (damaged)"), r.out.rfind(" (damaged)")) << r.out;
  EXPECT_NE(r.out.find(" (damaged)"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("'" + lib + "' " + named + ": the record does not match its list key"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 record can not be read"), std::string::npos) << r.err;
  r = runKestrel({"--no-log", "export", lib, "-o", dir.file("out.csv")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("'" + lib + "' " + named + ": the record does not match its list key"), std::string::npos) << r.err;
}

TEST_F(DamagedCopy, LowerCaseCrossReferenceKeyListsOnceAndIsFound) {
  // The last key's letter R as r: still in order, but upper-casing it again
  // found it once more for ever.
  const std::string xrf = copy("parts.xrf");
  auto b = store::test::fileBytes(xrf);
  const std::int32_t leaf = leaves(b, 1).front();
  const int count = kLE.get16(&b[node(leaf) + 14]);
  char* pn = reinterpret_cast<char*>(&b[entry(b, leaf, count - 1) + 7]);
  char* r = std::strrchr(pn, 'R');
  ASSERT_NE(r, nullptr);
  *r = 'r';
  store::test::writeFileBytes(xrf, b);
  auto run = runKestrel({"xref", "list", xrf});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2 + count) << run.out.substr(0, 2000);
  EXPECT_NE(run.err.find("the record does not match its list key"), std::string::npos) << run.err;
  run = runKestrel({"xref", "check", xrf});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.out.find("index 1: R"), std::string::npos) << run.out;
}

TEST_F(DamagedCopy, LeafLinkedBackIsAnErrorNotAShortList) {
  const std::string lib = copy("parts.lib");
  auto b = store::test::fileBytes(lib);
  const auto chain = leaves(b, 3);
  ASSERT_GT(chain.size(), 6u);
  kLE.puti32(&b[node(chain[5]) + 4], chain[3]);
  store::test::writeFileBytes(lib, b);
  const std::string file = "'" + lib + "'";
  for (const auto& args : std::vector<std::vector<std::string>>{{"lib", "list", lib, "--page-size", "0"},
                                                                {"lib", "list", lib, "--page", "13"},
                                                                {"lib", "check", lib}}) {
    const auto r = runKestrel(args);
    EXPECT_EQ(r.exitCode, 2) << args[1] << "\n" << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(args[1] == "check" ? "node " : file), std::string::npos) << r.out << r.err;
    EXPECT_LT(r.out.size(), 100000u);
  }
}

TEST_F(DamagedCopy, WriteIntoALeafOutOfOrderIsRefused) {
  const std::string lib = copy("parts.lib");
  auto b = store::test::fileBytes(lib);
  const std::int32_t leaf = leaves(b, 1).front();  // part numbers
  b[entry(b, leaf, 0) + 7] = 'z';                   // the first key now sorts last
  store::test::writeFileBytes(lib, b);
  const auto before = runKestrel({"lib", "check", lib});
  EXPECT_EQ(before.exitCode, 2);
  const auto r = runKestrel({"lib", "add", lib, "Resistor", "PN=0-FIRST"});
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.err.find("tree: key sequence error"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("Succeed:0"), std::string::npos) << r.out;
  const auto after = runKestrel({"lib", "check", lib});
  EXPECT_EQ(after.out, before.out);
}

// A writer of an older build, or a journal lost with the disk, leaves the
// marker with nothing to roll back: the records can still be read out,
// every write is refused with what to do, and the file stays as it is.
TEST_F(DamagedCopy, InterruptedWriteWithoutJournalOpensReadOnly) {
  const std::string lib = copy("parts.lib");
  const auto sound = runKestrel({"lib", "list", lib, "--page-size", "0"});
  auto b = store::test::fileBytes(lib);
  kLE.put16(&b[store::kMarkerOffset], store::kMarkerValue);
  store::test::writeFileBytes(lib, b);
  const auto list = runKestrel({"lib", "list", lib, "--page-size", "0"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, sound.out);
  EXPECT_NE(list.err.find("opened read-only"), std::string::npos) << list.err;
  const auto add = runKestrel({"lib", "add", lib, "Resistor", "PN=0-NEW"});
  EXPECT_EQ(add.exitCode, 1) << add.out;
  EXPECT_NE(add.err.find("the file is open read-only: a write was interrupted"), std::string::npos) << add.err;
  EXPECT_NE(add.err.find("kestrel store recover"), std::string::npos) << add.err;
  EXPECT_EQ(store::test::fileBytes(lib), b);
  EXPECT_FALSE(std::filesystem::exists(lib + "-journal"));
}

// The list lines of a file without its header lines.
std::multiset<std::string> listLines(const std::string& out, bool withDamaged = true, int header = 3) {
  std::multiset<std::string> lines;
  std::istringstream in(out);
  std::string line;
  for (int i = 0; std::getline(in, line); ++i) {
    if (i >= header && (withDamaged || line.find("(damaged)") == std::string::npos)) lines.insert(line);
  }
  return lines;
}

// Where the first single-chunk data record of tree 0 starts (its entry).
std::size_t firstDataEntry(const std::vector<std::uint8_t>& b, std::int32_t& leaf) {
  constexpr store::ByteOrder o{};
  leaf = o.geti32(&b[12]);
  while (o.get16(&b[store::nodeOffset(leaf) + 12]) != 0) leaf = o.geti32(&b[store::nodeOffset(leaf)]);
  for (; leaf != -1; leaf = o.geti32(&b[store::nodeOffset(leaf) + 4])) {
    std::size_t at = store::nodeOffset(leaf) + 18;
    for (int i = 0; i < o.get16(&b[store::nodeOffset(leaf) + 14]); ++i, at += b[at] + 1u) {
      if (b[at + 1] == store::kDataIndex && b[at + 2] == 0x80) return at;
    }
  }
  return 0;
}

// Salvage: a damaged copy gives back every record that is still whole, in a
// new file that checks clean, and listing and export read past the damage.
TEST_F(DamagedCopy, RecoverKeepsEveryIntactRecordAndListsReadPastTheDamage) {
  const std::string intact = copy("parts.lib");
  const auto sound = runKestrel({"lib", "list", intact, "--page-size", "0"});
  ASSERT_EQ(sound.exitCode, 0);
  const auto soundLines = listLines(sound.out);
  ASSERT_EQ(soundLines.size(), 528u);
  struct Case {
    const char* name;
    std::function<long(std::vector<std::uint8_t>&)> damage;  // returns the copies that must be dropped
    long lost;
  } cases[] = {
      {"index node", [](auto& b) {  // the list index's root: its first entry's length
         b[store::nodeOffset(kLE.geti32(&b[264 + 8])) + 18] ^= 0x40;
         return 0L;
       }, 0},
      {"data chunk", [](auto& b) {  // one record's checksum
         std::int32_t leaf;
         b[firstDataEntry(b, leaf) + 8 + 2] ^= 0xFF;
         return 0L;
       }, 1},
      {"root pointer", [](auto& b) {
         b[12] ^= 1;
         return 0L;
       }, 0},
      {"stale copy in a spare block", [](auto& b) {  // a data leaf copied beyond the nodes in use
         std::int32_t leaf;
         firstDataEntry(b, leaf);
         const std::size_t from = store::nodeOffset(leaf), to = store::nodeOffset(kLE.geti32(&b[36]));
         std::copy(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from) + 1024, b.begin() + static_cast<long>(to));
         long records = 0;
         for (std::size_t at = to + 18; b[at] != 0 && at < to + 1024; at += b[at] + 1u) records += b[at + 1] == store::kDataIndex && (b[at + 2] & 0x7F) == 0;
         return records;
       }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string lib = copy("parts.lib"), out = dir.file("new.lib"), csv = dir.file("out.csv");
    std::filesystem::remove(out);
    auto b = store::test::fileBytes(lib);
    const long duplicates = c.damage(b);
    store::test::writeFileBytes(lib, b);
    const bool stale = duplicates > 0;  // the trees are sound: nothing changes for them

    auto r = runKestrel({"--no-log", "store", "recover", lib, "-o", out});
    EXPECT_EQ(r.exitCode, c.lost > 0 ? 3 : 0) << r.out << r.err;
    EXPECT_NE(r.out.find(strprintf("Kept:%ld  Lost:%ld  Duplicates:%ld", 528 - c.lost, c.lost, duplicates)),
              std::string::npos) << r.out << r.err;
    EXPECT_EQ(runKestrel({"--no-log", "store", "recover", lib, "-o", out}).exitCode, 1);  // no overwrite
    EXPECT_EQ(runKestrel({"lib", "check", out}).exitCode, 0);
    const auto recovered = listLines(runKestrel({"lib", "list", out, "--page-size", "0"}).out);
    EXPECT_EQ(recovered.size(), static_cast<std::size_t>(528 - c.lost));
    EXPECT_TRUE(std::includes(soundLines.begin(), soundLines.end(), recovered.begin(), recovered.end()));

    r = runKestrel({"lib", "list", lib, "--page-size", "0"});
    EXPECT_EQ(r.exitCode, stale ? 0 : 2) << r.err;
    EXPECT_EQ(listLines(r.out, false), recovered);
    if (c.lost > 0) {
      EXPECT_NE(r.err.find("'" + lib + "': 1 record can not be read"), std::string::npos) << r.err;
    }
    if (stale) {
      EXPECT_EQ(r.out.substr(r.out.find('\n')), sound.out.substr(sound.out.find('\n')));
    }
    r = runKestrel({"lib", "list", lib, "--page", "13"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3 + 40) << r.err;
    r = runKestrel({"--no-log", "export", lib, "-o", csv});
    EXPECT_EQ(r.exitCode, stale ? 0 : 2) << r.err;
    const auto rows = store::test::fileBytes(csv);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 1 + 528 - c.lost);
  }
  // A damaged file that is not there is bad input; a refused output is the user's.
  EXPECT_EQ(runKestrel({"--no-log", "store", "recover", dir.file("none.lib"), "-o", dir.file("n.lib")}).exitCode, 2);
}

TEST_F(DamagedCopy, RecoverCrossReferenceDropsTheRecordWhoseChecksumFails) {
  const std::string xrf = copy("parts.xrf"), out = dir.file("new.xrf");
  auto b = store::test::fileBytes(xrf);
  std::int32_t leaf;
  b[firstDataEntry(b, leaf) + 8 + 2] ^= 0xFF;
  store::test::writeFileBytes(xrf, b);
  auto r = runKestrel({"--no-log", "store", "recover", xrf, "-o", out});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.out.find("Kept:5  Lost:1  Duplicates:0"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("'" + xrf + "' R"), std::string::npos) << r.err;
  EXPECT_EQ(runKestrel({"xref", "check", out}).exitCode, 0);
  r = runKestrel({"xref", "list", xrf});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("(damaged)"), std::string::npos) << r.out;
  EXPECT_EQ(listLines(r.out, false, 2), listLines(runKestrel({"xref", "list", out}).out, true, 2));
}

}  // namespace
}  // namespace kestrel::library::test
