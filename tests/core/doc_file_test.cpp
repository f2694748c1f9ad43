#include "core/doc_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_system.hpp"

namespace kestrel {
namespace {

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

// Callers decide on the code of a failure of the file layer, never on its
// text.
TEST(FileSystemFailures, CarryTheCodeOfTheirCause) {
  const std::string folder = (std::filesystem::temp_directory_path() / "kestrel-status-codes").string();
  std::filesystem::create_directories(folder);
  FileSystem& fs = posixFileSystem();
  const std::string taken = folder + "/TAKEN.CIR";
  ASSERT_TRUE(fs.writeFile(taken, std::vector<std::uint8_t>{1}).isOk());
  std::vector<std::uint8_t> bytes;
  const std::pair<Status, StatusCode> cases[] = {
      {fs.readFile(folder + "/MISSING.CIR", bytes, 100), StatusCode::NotFound},
      {fs.readFile(folder + "/NO/A.CIR", bytes, 100), StatusCode::NotFound},
      {fs.readFile(folder, bytes, 100), StatusCode::InvalidArgument},
      {fs.createNewFile(taken, std::vector<std::uint8_t>{2}), StatusCode::AlreadyExists},
      {fs.writeFile("/dev/full", std::vector<std::uint8_t>(10)), StatusCode::Io},
      {fs.rename(folder + "/MISSING.CIR", taken), StatusCode::NotFound},
  };
  for (const auto& [status, code] : cases) EXPECT_EQ(status.code(), code) << status.message();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrel
