// The operation log of batch jobs (import, export, transfer, update, graph
// runs, calculations from the command line): lines shown as the job runs and,
// when a log file is wanted, written to it at once so it can be read while
// the job goes on.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace kestrel {

class OperationLog {
 public:
  // `show` receives every line (the log window, or stderr).
  explicit OperationLog(std::function<void(std::string_view)> show = {});
  ~OperationLog();
  OperationLog(const OperationLog&) = delete;
  OperationLog& operator=(const OperationLog&) = delete;

  // Starts a log named `name` ("IMPORT", "CALCULATE", ...); with a file path
  // the lines go to that file too ("Log file '%s' opened..." then "Start
  // Time: %s"; "Can not open log file '%s'." leaves the log in the window,
  // also when the first lines can not be written: a full disk leaves no
  // empty file behind).
  void begin(std::string_view name, const std::string& filePath);
  void line(std::string_view text);
  // "End Time: %s" and "Log file '%s' closed." (or "Can not close log file
  // '%s'." when a line was lost on the way or the close fails).
  void end();

  bool fileOpen() const { return file_ != nullptr; }
  // A log file was wanted but could not be opened, written or closed: the
  // job's result must say so.
  bool troubled() const { return troubled_; }

 private:
  void write(std::string_view text);
  void say(const char* format, const std::string& path);

  std::function<void(std::string_view)> show_;
  std::FILE* file_ = nullptr;
  std::string path_;
  bool lost_ = false;      // a line did not reach the file
  bool troubled_ = false;
};

// The default log file: next to the settings file, "kestrel.log".
std::string defaultLogPath();

}  // namespace kestrel
