#include "shell/operation_log.hpp"

#include <ctime>
#include <filesystem>

#include "core/strfmt.hpp"
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

void OperationLog::begin(std::string_view name, const std::string& filePath) {
  if (file_ != nullptr) end();
  if (!filePath.empty()) {
    std::error_code ec;
    const auto folder = std::filesystem::path(filePath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    file_ = std::fopen(filePath.c_str(), "a");
    if (file_ == nullptr) {
      if (show_) show_(strprintf("Can not open log file '%s'.", filePath.c_str()));
    } else {
      path_ = filePath;
      write(strprintf("Log file '%s' opened...", filePath.c_str()));
    }
  }
  write(std::string(name) + ":");
  write(strprintf("Start Time: %s", now().c_str()));
}

void OperationLog::line(std::string_view text) { write(text); }

void OperationLog::write(std::string_view text) {
  if (show_) show_(text);
  if (file_ != nullptr) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);  // readable while the job runs
  }
}

void OperationLog::end() {
  write(strprintf("End Time: %s", now().c_str()));
  if (file_ == nullptr) return;
  write(strprintf("Log file '%s' closed.", path_.c_str()));
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed && show_) show_(strprintf("Can not close log file '%s'.", path_.c_str()));
}

std::string defaultLogPath() {
  return std::filesystem::path(defaultSettingsPath()).replace_filename("kestrel.log").string();
}

}  // namespace kestrel
