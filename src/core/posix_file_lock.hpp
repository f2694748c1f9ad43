// The POSIX side of document locks: a lock file beside the document
// ("BOARD.CIR.lock") holding an open-file-description lock, so that the
// kernel drops it when the holder ends, killed or not, and two openings in
// one program would see each other. The file holds the holder's name, host
// and process id for the message of a program that finds it taken.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.hpp"

namespace kestrel::detail {

// "BOARD.CIR" -> "/real/folder/BOARD.CIR.lock" (links followed, so two
// names of one file share one lock).
std::string lockFilePath(const std::string& documentPath);

Status tryLockPosix(const std::string& documentPath, std::unique_ptr<FileLock>& lock, std::string& holder);
FileStamp stampPosix(const std::string& path);

}  // namespace kestrel::detail
