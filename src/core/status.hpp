// A small success-or-failure result passed up the call chain: a code that
// callers decide on, and a message (naming the file and record) that only
// people read.
#pragma once

#include <string>
#include <utility>

namespace kestrel {

enum class StatusCode {
  Ok,
  Failed,           // none of the kinds below
  NotFound,         // a file, folder or record that is not there
  AlreadyExists,    // a name that is taken
  Denied,           // no permission, or a read-only file system
  Corrupt,          // damaged or unreadable contents
  Locked,           // held by another user or process
  Io,               // a read, write or flush that failed (full disk, device error)
  InvalidArgument,  // a name, value or request that can not be used
  Cancelled,        // stopped by the user
};

class [[nodiscard]] Status {
 public:
  static Status ok() { return Status(); }
  static Status error(std::string message) { return Status(StatusCode::Failed, std::move(message)); }
  static Status error(StatusCode code, std::string message) { return Status(code, std::move(message)); }

  bool isOk() const { return code_ == StatusCode::Ok; }
  explicit operator bool() const { return isOk(); }
  StatusCode code() const { return code_; }
  const std::string& message() const { return message_; }

  // The same failure, its message prefixed "'PATH':" unless it names the
  // file already.
  Status namingFile(const std::string& path, const char* separator = ": ") const {
    if (isOk() || message_.find(path) != std::string::npos) return *this;
    return Status(code_, "'" + path + "'" + separator + message_);
  }

 private:
  Status() = default;
  Status(StatusCode code, std::string message)
      : code_(code == StatusCode::Ok ? StatusCode::Failed : code), message_(std::move(message)) {}

  StatusCode code_ = StatusCode::Ok;
  std::string message_;
};

}  // namespace kestrel
