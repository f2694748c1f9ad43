// The file operations of a graph run's temporary folder, and the reading of
// the user's files that are copied into it. Each operation returns 0 or the
// platform's error code, which the run's messages show ("[%lu]"). Nothing
// here ever writes outside the temporary folder: files are created only when
// they do not exist yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrel::graph {

struct WriteResult {
  enum class Step { Open, Write, Close };
  int error = 0;  // 0: written
  Step step = Step::Open;
};

class ScratchFiles {
 public:
  virtual ~ScratchFiles() = default;
  // Creates a folder; EEXIST when something of that name exists already.
  virtual int makeFolder(const std::string& path) = 0;
  // Removes an empty folder.
  virtual int removeFolder(const std::string& path) = 0;
  // The names of the entries of a folder (no "." or ".."), in no order.
  virtual int listFolder(const std::string& path, std::vector<std::string>& names) = 0;
  // The whole file; EFBIG when it is longer than `maxBytes`.
  virtual int readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t maxBytes) = 0;
  // Creates a new file with these bytes; EEXIST when it exists already.
  // The result says which step failed.
  virtual WriteResult writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  virtual int removeFile(const std::string& path) = 0;
};

// The real file system of this machine.
ScratchFiles& posixScratchFiles();

}  // namespace kestrel::graph
