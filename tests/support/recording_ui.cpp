#include "support/recording_ui.hpp"

namespace kestrel::test {

bool RecordingUi::confirm(std::string_view question) {
  questions.emplace_back(question);
  if (answers.empty()) return defaultAnswer;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingUi::progressLine(int line, std::string_view text) {
  if (line < 1 || line > 5) return;
  lines[static_cast<std::size_t>(line)] = std::string(text);
  lineHistory[static_cast<std::size_t>(line)].emplace_back(text);
}

bool RecordingUi::cancelRequested() {
  if (cancelAtRecord > 0 && barIndex == cancelAtRecord) cancel = true;
  return cancel;
}

}  // namespace kestrel::test
