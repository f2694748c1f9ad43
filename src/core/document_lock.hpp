// Every read-change-save of a document (circuit, hybrid, project, import or
// graph definition) holds the document's advisory lock from before it reads
// until it has saved, so that two programs changing one file never lose
// each other's change. A program that finds the lock taken waits a little
// for it, then gives up naming who holds it. Readers take no lock.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "core/file_system.hpp"

namespace kestrel {

using DocumentLock = std::unique_ptr<FileLock>;

// How long a writer waits for a lock another program holds (a few seconds
// unless set).
std::chrono::milliseconds documentLockWait();
void setDocumentLockWait(std::chrono::milliseconds wait);

// Takes the lock of the document at `path`, waiting up to
// documentLockWait() for another program to let it go; fails with
// "'%s': locked by %s; try again later".
Status lockDocument(FileSystem& fs, const std::string& path, DocumentLock& lock);

// A window that read a file asks before saving over it once another
// program has written it since (`known`: the file when read or last saved).
// A write of this program itself, made under the lock (a What-If? run that
// saved the window's document, say), is not another program's.
inline constexpr const char* kChangedOnDiskQuestion =
    "'%s' has been changed on disk since it was opened. Save over it?";
bool changedOnDisk(FileSystem& fs, const std::string& path, const FileStamp& known);

}  // namespace kestrel
