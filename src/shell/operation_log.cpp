#include "shell/operation_log.hpp"

#include <ctime>
#include <filesystem>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "shell/settings.hpp"

namespace kestrel {
namespace {

std::string now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

OperationLog::OperationLog(std::function<void(std::string_view)> show) : show_(std::move(show)) {}

OperationLog::~OperationLog() {
  if (file_ != nullptr) end();
}

void OperationLog::say(const char* format, const std::string& path) {
  troubled_ = true;
  if (show_) show_(strprintf(format, path.c_str()));
}

void OperationLog::begin(std::string_view name, const std::string& filePath) {
  if (file_ != nullptr) end();
  troubled_ = lost_ = false;
  if (!filePath.empty()) {
    std::error_code ec;
    const auto folder = std::filesystem::path(filePath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    const bool existed = std::filesystem::exists(filePath, ec);
    file_ = std::fopen(filePath.c_str(), "a");
    if (file_ != nullptr) {
      path_ = filePath;
      const std::string opened = strprintf("Log file '%s' opened...", filePath.c_str());
      const bool written = std::fprintf(file_, "%s\n", opened.c_str()) >= 0 && std::fflush(file_) == 0;
      if (written) {
        if (show_) show_(opened);
      } else {
        // Nothing reached the file (a full disk): no log file, not an empty one.
        std::fclose(file_);
        file_ = nullptr;
        if (!existed) std::filesystem::remove(filePath, ec);
      }
    }
    if (file_ == nullptr) say("Can not open log file '%s'.", filePath);
  }
  write(std::string(name) + ":");
  write(strprintf("Start Time: %s", now().c_str()));
}

void OperationLog::line(std::string_view text) { write(text); }

void OperationLog::write(std::string_view text) {
  if (show_) show_(text);
  if (file_ != nullptr) {
    // The file is UTF-8 text, whatever mix of stored texts and names the line holds.
    const std::string utf8 = mixedToUtf8(text);
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), file_) == utf8.size() &&
                         std::fputc('\n', file_) != EOF &&
                         std::fflush(file_) == 0;  // readable while the job runs
    if (!written) lost_ = true;
  }
}

void OperationLog::end() {
  write(strprintf("End Time: %s", now().c_str()));
  if (file_ == nullptr) return;
  const std::string closing = strprintf("Log file '%s' closed.", path_.c_str());
  const bool written = std::fprintf(file_, "%s\n", closing.c_str()) >= 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed || lost_) {
    say("Can not close log file '%s'.", path_);
  } else if (show_) {
    show_(closing);
  }
}

std::string defaultLogPath() {
  return std::filesystem::path(defaultSettingsPath()).replace_filename("kestrel.log").string();
}

}  // namespace kestrel
