#include "exchange/staged_store_file.hpp"

#include <cstdint>
#include <vector>

#include "core/doc_file.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {
// A library is at most a few hundred megabytes of 1024-byte blocks.
constexpr std::size_t kMaxStoreFile = std::size_t{1} << 31;
}  // namespace

StagedStoreFile::StagedStoreFile(FileSystem& fs, std::string outputPath)
    : fs_(fs), output_(std::move(outputPath)), temp_(output_ + ".~imp") {}

StagedStoreFile::~StagedStoreFile() {
  // Best effort: a leftover temporary file is cleared by the next run.
  if (!committed_ && fs_.exists(temp_)) static_cast<void>(fs_.remove(temp_));
}

Status StagedStoreFile::prepare(bool fromExisting) {
  if (fs_.exists(temp_)) {
    if (Status s = fs_.remove(temp_); !s) return s;
  }
  if (!fromExisting) return Status::ok();
  std::vector<std::uint8_t> bytes;
  if (Status s = fs_.readFile(output_, bytes, kMaxStoreFile); !s) return s;
  return fs_.writeFile(temp_, bytes);
}

Status StagedStoreFile::commit(bool keepBackup) {
  if (keepBackup) {
    if (Status s = fs_.rename(output_, backupPath(output_)); !s) return s;
  } else if (fs_.exists(output_)) {
    // Someone made the file while the run went on: it is not ours to replace.
    return Status::error(StatusCode::AlreadyExists, strprintf("'%s' already exists", output_.c_str()));
  }
  if (Status s = fs_.rename(temp_, output_); !s) {
    // Put the old file back rather than leave the output missing.
    if (keepBackup) static_cast<void>(fs_.rename(backupPath(output_), output_));
    return s;
  }
  committed_ = true;
  return fs_.syncFolder(output_);
}

}  // namespace kestrel
