// The command line's Ui: messages and log lines on stderr, a single updating
// progress line when stderr is a terminal, Ctrl-C as the cancel button, and
// Yes/No questions answered at the terminal or by --yes.
#pragma once

#include <string>

#include "core/ui.hpp"

namespace kestrel {
class OperationLog;
}

namespace kestrel::cli {

class TerminalUi final : public Ui {
 public:
  // `assumeYes`: answer every question Yes (batch runs). `quiet`: no progress.
  // `log`: the operation log that errors and log lines also go to.
  TerminalUi(bool assumeYes, bool quiet, OperationLog* log = nullptr);
  ~TerminalUi() override;

  void message(std::string_view text) override;
  bool confirm(std::string_view question) override;
  void progressLine(int line, std::string_view text) override;
  void progressBar(int index, int count) override;
  bool cancelRequested() override;
  void clearCancel() override;
  void log(std::string_view line) override;

  // Ends an updating progress line so the next output starts on a fresh line.
  void finishProgress();

  // The command being run ("import", "lib merge"), named when a question
  // cannot be asked, and whether the whole question is printed then.
  static void setCommand(std::string name, const bool* verbose);

 private:
  void redraw();
  void plainLine(int line, std::string_view text);

  OperationLog* log_;
  bool assumeYes_;
  bool quiet_;
  bool tty_;
  bool drawn_ = false;
  std::string lines_[6];
  std::string lastPlain_;
  int index_ = 0;
  int count_ = 0;
};

}  // namespace kestrel::cli
