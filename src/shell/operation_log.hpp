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
  // Time: %s"; "Can not open log file '%s'." leaves the log in the window).
  void begin(std::string_view name, const std::string& filePath);
  void line(std::string_view text);
  // "End Time: %s" and "Log file '%s' closed." (or "Can not close log file '%s'.").
  void end();

  bool fileOpen() const { return file_ != nullptr; }

 private:
  void write(std::string_view text);

  std::function<void(std::string_view)> show_;
  std::FILE* file_ = nullptr;
  std::string path_;
};

// The default log file: next to the settings file, "kestrel.log".
std::string defaultLogPath();

}  // namespace kestrel
