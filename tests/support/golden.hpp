// Whole-output comparison with a file kept beside the tests: a report or a
// chart's data as it must be, byte for byte. KESTREL_UPDATE_GOLDEN=1
// rewrites the files from what the code gives (review the diff before
// committing it); otherwise a difference fails with its first line.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kestrel::test {

// The golden/ folder beside the test source `sourceFile` (pass __FILE__).
// The compiler may be given the source relative to the build folder, two
// levels above the test program.
inline std::filesystem::path goldenFolder(const char* sourceFile) {
  namespace fs = std::filesystem;
  fs::path source(sourceFile);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
  return source.lexically_normal().parent_path() / "golden";
}

// Empty when `got` equals the file; else where and how they first differ.
inline std::string goldenDifference(const std::filesystem::path& file, const std::string& got) {
  const char* update = std::getenv("KESTREL_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << got;
    return {};
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return file.string() + " is missing (KESTREL_UPDATE_GOLDEN=1 writes it)";
  const std::string want{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (want == got) return {};
  std::istringstream w(want), g(got);
  std::string wl, gl;
  for (int line = 1;; ++line) {
    const bool hasW = static_cast<bool>(std::getline(w, wl));
    const bool hasG = static_cast<bool>(std::getline(g, gl));
    if (!hasW && !hasG) return file.string() + ": the same lines but other line ends";
    if (hasW != hasG || wl != gl) {
      return file.string() + " line " + std::to_string(line) + "\n  want: " + (hasW ? "'" + wl + "'" : "(end)") +
             "\n  got:  " + (hasG ? "'" + gl + "'" : "(end)");
    }
  }
}

#define EXPECT_GOLDEN(name, got) \
  EXPECT_EQ(::kestrel::test::goldenDifference(::kestrel::test::goldenFolder(__FILE__) / (name), (got)), "")

}  // namespace kestrel::test
