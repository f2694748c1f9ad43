// LibraryHome: what every open library and cross-reference list has, where
// ever it is kept (a keyed store file, or a database): the name it was
// opened by, the three-part message of the last failure, the record count,
// the header texts and jobs of many changes.
#pragma once

#include <string>

#include "core/status.hpp"
#include "store/library/header_texts.hpp"
#include "store/library/library_location.hpp"
#include "store/library/store_message.hpp"

namespace kestrel::library {

class KeyedFile;

class LibraryHome {
 public:
  virtual ~LibraryHome() = default;
  LibraryHome(const LibraryHome&) = delete;
  LibraryHome& operator=(const LibraryHome&) = delete;

  // The file's path, or the database address, as given.
  const std::string& path() const { return path_; }
  const StoreMessage& error() const { return error_; }
  // Set when the library could only be opened for reading; says what to do.
  const StoreMessage& notice() const { return notice_; }
  // Reports a failure of the caller's in this library's message.
  void fail(StatusCode code, std::string what, std::string detail);

  // Reads a library's name as a file or a database address; a bad address
  // fails as `failed` ("Can not open library file") with the reason.
  static bool locate(const std::string& name, const char* failed, LibraryLocation& where, StoreMessage& error);

  virtual bool close() = 0;
  // The number of records, -1 on failure.
  virtual long count() = 0;
  virtual bool readHeader(HeaderTexts& texts) = 0;
  virtual bool writeHeader(const HeaderTexts& texts) = 0;

  // A run of changes made as one: in a file, one write bracket (one flush
  // and one journal); in a database, one transaction, kept whole by
  // `endJob(true)` or undone whole by `endJob(false)` and by any failure
  // on the way (the failing call's message says so). Jobs do not nest.
  virtual bool beginJob() = 0;
  virtual bool endJob(bool keep) = 0;

  // The keyed store file behind this library, or null when it is kept
  // elsewhere: checks, salvage and recovery work on files only.
  virtual KeyedFile* keyedFile() { return nullptr; }

 protected:
  LibraryHome() = default;

  std::string path_;
  StoreMessage error_;
  StoreMessage notice_;
};

}  // namespace kestrel::library
