// The text of the operation log window: bounded, so a long job cannot grow
// the window without end. When a line would overflow it the text is cleared
// and a reset counted; at the end of the job, after resets, three NOTE lines
// point to the log file, which keeps every line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class LogWindowBuffer {
 public:
  // `capacity`: characters of window text, each line counting its length
  // plus one for the line break.
  explicit LogWindowBuffer(std::size_t capacity = 60000) : capacity_(capacity) {}

  // Adds a line; true when the text was cleared first to make room.
  bool append(std::string_view line);
  // The NOTE lines to show at the end of the job (none without resets);
  // they are added to the text.
  std::vector<std::string> finish();
  // A new job: empty text, no resets.
  void clear();

  const std::string& text() const { return text_; }
  int resets() const { return resets_; }

 private:
  std::size_t capacity_;
  std::string text_;
  int resets_ = 0;
};

}  // namespace kestrel
