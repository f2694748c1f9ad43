// Store files held in memory: a small file system of named byte vectors with
// byte-range locks that conflict between opens as the POSIX ones do. Fuzz
// targets and fast tests run the record store on it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/store_file.hpp"

namespace kestrel::store {

class MemoryFileSystem final : public StoreFileSystem {
 public:
  std::unique_ptr<StoreFile> open(const std::string& path, bool writable, OpenResult& result) override;
  std::unique_ptr<StoreFile> createNew(const std::string& path, OpenResult& result) override;
  bool remove(const std::string& path) override;

  // Puts a file with these bytes in place (replacing one of that name).
  void put(const std::string& path, std::vector<std::uint8_t> bytes);
  // The bytes of a file, empty when there is none.
  std::vector<std::uint8_t> bytes(const std::string& path) const;
  bool exists(const std::string& path) const { return files_.count(path) != 0; }
  // A limit on every file's size, as a full disk would set (0: none).
  void setCapacity(std::uint64_t bytes) { *capacity_ = bytes; }

  struct Shared;

 private:
  std::shared_ptr<std::uint64_t> capacity_ = std::make_shared<std::uint64_t>(0);
  std::map<std::string, std::shared_ptr<Shared>> files_;
};

}  // namespace kestrel::store
