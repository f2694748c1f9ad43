// `kestrel store check` on clean, damaged and missing files.
#include <gtest/gtest.h>

#include "run_kestrel.hpp"
#include "store/node.hpp"
#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

class StoreCheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    startStore();
    path = dir.file("parts.lib");
    RecordStore s;
    s.SetDurable(false);
    ASSERT_EQ(createPartFile(s, path), kOk);
    PartRecord r;
    for (int i = 0; i < 120; ++i) {
      r.set("PN" + std::to_string(i), "", 400 + i % 3, 0, 300, static_cast<std::uint32_t>(i + 1));
      ASSERT_EQ(s.AddRecord(r.fields()), kOk);
    }
  }
  ScratchDir dir;
  std::string path;
};

TEST_F(StoreCheckCommand, CleanFileSaysNoFaults) {
  const auto r = kestrel::test::runKestrel(
      {"store", "check", path, "--segments", "3:10,10,0", "--fields", "S26,S26,U2,U2,B1024,X242,L4"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(": 120 records, "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("no faults"), std::string::npos) << r.out;
}

TEST_F(StoreCheckCommand, DamagedNodeIsNamedAndTheExitCodeSaysSo) {
  auto b = fileBytes(path);
  const std::int32_t root1 = ByteOrder{}.geti32(&b[264]);  // tree 1
  ByteOrder{}.put16(&b[nodeOffset(root1) + 14], 200);      // entry count above 143
  writeFileBytes(path, b);
  const auto r = kestrel::test::runKestrel({"store", "check", path});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("node " + std::to_string(root1) + ": tree: node entry count error"), std::string::npos)
      << r.out;
}

TEST_F(StoreCheckCommand, InterruptedWriteIsReported) {
  auto b = fileBytes(path);
  ByteOrder{}.put16(&b[kMarkerOffset], kMarkerValue);
  writeFileBytes(path, b);
  const auto r = kestrel::test::runKestrel({"store", "check", path});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.out.find("header: write op interrupted: file corrupted"), std::string::npos) << r.out;
}

TEST_F(StoreCheckCommand, MissingFileAndBadOptionsAreRefused) {
  auto r = kestrel::test::runKestrel({"store", "check", dir.file("none.lib")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("can not open the file"), std::string::npos) << r.err;
  r = kestrel::test::runKestrel({"store", "check", path, "--segments", "3:99"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("bad segment list"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kestrel::store::test
