#include "core/mission_profile.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/doc_file.hpp"
#include "support/faulty_file_system.hpp"

namespace kestrel {
namespace {

MissionProfile avionics() {
  return {"Sortie \xB5-wave", "system.cir",
          {{"Ground", 2, 35.0, 2.0, 100.0, 0.0}, {"Flight", 6, 55.0, 6.0, 100.0, 0.0},
           {"Hangar", 2, 25.0, 16.0, 0.0, 0.1}}};
}

std::vector<std::uint8_t> withChecksum(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  appendChecksum(bytes);
  return bytes;
}

TEST(MissionProfileFile, SavedTwiceReadsBackExactlyAndKeepsTheFormerFileAsBackup) {
  test::TempFolder dir;
  test::FaultyFileSystem fs;
  const std::string path = dir.file("sortie.mpf");
  MissionProfile profile = avionics();
  ASSERT_TRUE(saveProfile(fs, profile, path).isOk());
  const std::vector<std::uint8_t> first = encodeProfile(profile);
  profile.phases[1].hours = 1.0 / 3.0;  // a number with no short decimal form
  ASSERT_TRUE(saveProfile(fs, profile, path).isOk());
  MissionProfile read, backup;
  ASSERT_TRUE(loadProfile(fs, path, read).isOk());
  EXPECT_EQ(read, profile);
  ASSERT_TRUE(decodeProfile(first, path, backup).isOk());
  std::vector<std::uint8_t> bak;
  ASSERT_TRUE(fs.readFile(path + ".BAK", bak, kMaxProfileBytes).isOk());
  EXPECT_EQ(bak, first);
  EXPECT_NE(saveProfile(fs, profile, dir.file("sortie.cir")).message().find("'.MPF'"), std::string::npos);
}

struct BadProfile {
  const char* name;
  std::string text;  // the file's text; the checksum is added
  const char* message;
};

class BadProfileFile : public testing::TestWithParam<BadProfile> {};

TEST_P(BadProfileFile, IsRefusedNamingTheFileAndWhere) {
  MissionProfile out = avionics();
  const Status s = decodeProfile(withChecksum(GetParam().text), "P.mpf", out);
  ASSERT_FALSE(s.isOk());
  EXPECT_NE(s.message().find(GetParam().message), std::string::npos) << s.message();
  EXPECT_EQ(out, avionics());  // nothing kept
}

const std::string kHead = "KESTREL MISSION PROFILE 1\nNAME=x\nTOP=a.cir\n";
std::string phases(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += "PHASE=p\tGF\t25\t1\t100\t0\n";
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadProfileFile,
    testing::Values(
        BadProfile{"ZeroDuration", kHead + "PHASE=Ground\tGF\t25\t0\t100\t0\n",
                   "'P.mpf': phase 1 ('Ground'): the duration must be above 0"},
        BadProfile{"NegativeDuration", kHead + phases(1) + "PHASE=Air\tAIC\t25\t-2\t100\t0\n",
                   "phase 2 ('Air'): the duration must be above 0"},
        BadProfile{"UnknownEnvironment", kHead + "PHASE=Sea\tXX\t25\t1\t100\t0\n",
                   "'P.mpf' line 4: 'XX' is not an environment"},
        BadProfile{"ThirtyThreePhases", kHead + phases(33), "'P.mpf' line 36: more than 32 phases"},
        BadProfile{"PoweredOverAll", kHead + "PHASE=p\tGF\t25\t1\t101\t0\n", "powered-on share must be 0..100"},
        BadProfile{"HotPhase", kHead + "PHASE=p\tGF\t176\t1\t100\t0\n", "temperature must be -55..175"},
        BadProfile{"NotANumber", kHead + "PHASE=p\tGF\t25\t1h\t100\t0\n", "line 4: '1h' is not a number"},
        BadProfile{"InfiniteHours", kHead + "PHASE=p\tGF\t25\tinf\t100\t0\n", "'inf' is not a number"},
        BadProfile{"FieldMissing", kHead + "PHASE=p\tGF\t25\t1\t100\n", "a phase has 5 fields, not 6"},
        BadProfile{"UnknownKey", kHead + "COLOUR=red\n" + phases(1), "line 4: unknown key 'COLOUR'"},
        BadProfile{"NoTopLevel", "KESTREL MISSION PROFILE 1\n" + phases(1), "no TOP= line"},
        BadProfile{"LaterVersion", "KESTREL MISSION PROFILE 2\n", "version '2' of the mission profile layout"},
        BadProfile{"OtherFile", "KESTREL PROJECT\n", "not a mission profile"},
        BadProfile{"CutShort", kHead + "PHASE=p\tGF", "the last line is cut short"},
        BadProfile{"NameNotUtf8", kHead + "PHASE=\xB5\tGF\t25\t1\t100\t0\n", "not UTF-8"}),
    [](const testing::TestParamInfo<BadProfile>& info) { return std::string(info.param.name); });

TEST(MissionProfileFile, ADamagedByteIsAChecksumError) {
  std::vector<std::uint8_t> bytes = encodeProfile(avionics());
  bytes[10] ^= 0x20;
  MissionProfile out;
  EXPECT_NE(decodeProfile(bytes, "P.mpf", out).message().find("'P.mpf': checksum error"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
