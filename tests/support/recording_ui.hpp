// A Ui for tests: records every message, question, progress line and log
// line, and answers questions from a script.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "core/ui.hpp"

namespace kestrel::test {

class RecordingUi final : public Ui {
 public:
  void message(std::string_view text) override { messages.emplace_back(text); }
  bool confirm(std::string_view question) override;
  void progressLine(int line, std::string_view text) override;
  void progressBar(int index, int count) override {
    barIndex = index;
    barCount = count;
  }
  bool processEvents() override { return windowOpen; }
  bool cancelRequested() override;
  void clearCancel() override { cancel = false; }
  void log(std::string_view line) override { logLines.emplace_back(line); }

  // Requests cancel when the bar reaches this record (1-based; 0 = never).
  int cancelAtRecord = 0;
  bool cancel = false;
  bool windowOpen = true;
  // Answers to give, in order; when empty, `defaultAnswer`.
  std::deque<bool> answers;
  bool defaultAnswer = true;

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> logLines;
  // Every text written to each progress line (index 1..5), in order.
  std::array<std::vector<std::string>, 6> lineHistory;
  // The current text of each progress line.
  std::array<std::string, 6> lines;
  int barIndex = 0;
  int barCount = 0;
};

}  // namespace kestrel::test
