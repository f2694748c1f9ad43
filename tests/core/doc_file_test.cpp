#include "core/doc_file.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(FileErrorNames, CoverEveryCauseCodeAndNumberTheRest) {
  const std::pair<int, const char*> cases[] = {
      {0, "no error"},           {1, "generic error"},   {2, "file not found"},
      {5, "access denied"},      {7, "can not remove current directory"},
      {12, "locking violation"}, {13, "disk is full"},   {14, "end of file"},
      {15, "(15)"},              {-1, "(-1)"}};
  for (const auto& [code, name] : cases) EXPECT_EQ(fileErrorName(code), name) << code;
}

TEST(Checksum, IsTheWrappingByteSumStoredLittleEndian) {
  std::vector<std::uint8_t> bytes(70000, 0xFF);  // 70000 x 255 = 17 850 000 = 0x01105E90
  EXPECT_EQ(additiveChecksum(bytes), 17850000u);
  appendChecksum(bytes);
  const std::vector<std::uint8_t> tail(bytes.end() - 4, bytes.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x90, 0x5E, 0x10, 0x01}));
  EXPECT_TRUE(checksumMatches(bytes));
  bytes[3] = 0xFE;
  EXPECT_FALSE(checksumMatches(bytes));
  EXPECT_FALSE(checksumMatches(std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(Backup, AppendsBakToTheFullName) { EXPECT_EQ(backupPath("/d/A.CIR"), "/d/A.CIR.BAK"); }

}  // namespace
}  // namespace kestrel
