// What long operations and commands need from whoever drives them: message
// boxes, Yes/No questions, the five-line progress window with its bar and
// cancel button, and the operation log. The command line implements it on
// the terminal, the desktop application with dialogs, tests with a recorder.
#pragma once

#include <string_view>

namespace kestrel {

class Ui {
 public:
  virtual ~Ui() = default;

  // A message box (errors of interactive commands).
  virtual void message(std::string_view text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool confirm(std::string_view question) = 0;

  // Progress window: line 1 stage, 2 file and level, 3 activity,
  // 4 and 5 detail and errors. An empty text clears the line.
  virtual void progressLine(int line, std::string_view text) = 0;
  virtual void clearProgress() {
    for (int line = 1; line <= 5; ++line) progressLine(line, {});
  }
  // The bar: item `index` of `count`.
  virtual void progressBar(int index, int count) = 0;

  // Lets the front end process its events. False when the progress window
  // (or the application) has gone and the operation must stop.
  virtual bool processEvents() { return true; }
  // The cancel button's request flag.
  virtual bool cancelRequested() = 0;
  virtual void clearCancel() = 0;

  // One line of the operation log.
  virtual void log(std::string_view line) = 0;
};

// Passes every call on to another Ui; a subclass overrides only what it
// changes on the way (a message kept, a progress line held back, the log
// written elsewhere).
class ForwardingUi : public Ui {
 public:
  explicit ForwardingUi(Ui& inner) : inner_(inner) {}
  void message(std::string_view text) override { inner_.message(text); }
  bool confirm(std::string_view question) override { return inner_.confirm(question); }
  void progressLine(int line, std::string_view text) override { inner_.progressLine(line, text); }
  void clearProgress() override { inner_.clearProgress(); }
  void progressBar(int index, int count) override { inner_.progressBar(index, count); }
  bool processEvents() override { return inner_.processEvents(); }
  bool cancelRequested() override { return inner_.cancelRequested(); }
  void clearCancel() override { inner_.clearCancel(); }
  void log(std::string_view line) override { inner_.log(line); }

 protected:
  Ui& inner() { return inner_; }

 private:
  Ui& inner_;
};

// Ui that shows nothing, answers every question with `answer` and never cancels.
class SilentUi final : public Ui {
 public:
  explicit SilentUi(bool answer = true) : answer_(answer) {}
  void message(std::string_view) override {}
  bool confirm(std::string_view) override { return answer_; }
  void progressLine(int, std::string_view) override {}
  void progressBar(int, int) override {}
  bool cancelRequested() override { return false; }
  void clearCancel() override {}
  void log(std::string_view) override {}

 private:
  bool answer_;
};

}  // namespace kestrel
