#include "shell/log_window_buffer.hpp"

#include <cstdio>

namespace kestrel {

bool LogWindowBuffer::append(std::string_view line) {
  bool cleared = false;
  if (!text_.empty() && text_.size() + line.size() + 1 > capacity_) {
    text_.clear();
    ++resets_;
    cleared = true;
  }
  text_.append(line);
  text_.push_back('\n');
  return cleared;
}

std::vector<std::string> LogWindowBuffer::finish() {
  if (resets_ == 0) return {};
  char middle[64];
  std::snprintf(middle, sizeof middle, "%s was reset %d time(s)...", "the log window", resets_);
  std::vector<std::string> lines = {"NOTE: the log window text buffer filled up and", middle,
                                    "...see the log file for entire log message listing."};
  for (const std::string& l : lines) {
    text_.append(l);
    text_.push_back('\n');
  }
  return lines;
}

void LogWindowBuffer::clear() {
  text_.clear();
  resets_ = 0;
}

}  // namespace kestrel
