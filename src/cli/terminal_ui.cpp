#include "cli/terminal_ui.hpp"

#include "shell/operation_log.hpp"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace kestrel::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;
std::string gCommand = "kestrel";
const bool* gVerbose = nullptr;  // read when asked: flags are set after parsing

extern "C" void onInterrupt(int signal) {
  gInterrupted = 1;
  // A second Ctrl-C (or TERM, or HUP) ends the program at once.
  std::signal(signal, SIG_DFL);
}

// Ctrl-C, a terminal hung up and a polite kill all stop the job at its next
// cancel poll, so a write in progress ends cleanly.
void catchStops() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, onInterrupt);
}

void releaseStops() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
}

// Errors and messages print with their line breaks turned into " / ".
std::string oneLine(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += " ";
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

TerminalUi::TerminalUi(bool assumeYes, bool quiet, OperationLog* log)
    : log_(log),
      assumeYes_(assumeYes), quiet_(quiet), tty_(::isatty(STDERR_FILENO) != 0) {
  gInterrupted = 0;
  catchStops();
}

TerminalUi::~TerminalUi() {
  finishProgress();
  releaseStops();
}

void TerminalUi::finishProgress() {
  if (drawn_) {
    std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }
}

void TerminalUi::message(std::string_view text) {
  finishProgress();
  if (log_ != nullptr) log_->line(oneLine(text));
  std::cerr << "kestrel: " << oneLine(text) << '\n';
}

void TerminalUi::setCommand(std::string name, const bool* verbose) {
  gCommand = std::move(name);
  gVerbose = verbose;
}

bool TerminalUi::confirm(std::string_view question) {
  finishProgress();
  if (assumeYes_) return true;
  if (::isatty(STDIN_FILENO) == 0) {
    // Asked after a stop request ("Cancel calculation?"): with nobody to
    // answer, the request stands.
    if (gInterrupted != 0) return true;
    std::cerr << "kestrel: " << gCommand << " needs confirmation: add --yes\n";
    if (gVerbose != nullptr && *gVerbose) std::cerr << "kestrel: " << oneLine(question) << '\n';
    return false;
  }
  std::cerr << oneLine(question) << " [y/N] " << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TerminalUi::progressLine(int line, std::string_view text) {
  if (line < 1 || line > 5) return;
  lines_[line] = std::string(text);
  // Errors always show, whole: lines 4 and 5 starting "...Error" or
  // "...Cancel", and a stage title that ends in an error ("Mission MTBF
  // Calculation...Error: root finder.").
  const bool error = line >= 4 ? text.rfind("...Error", 0) == 0 || text.rfind("...Cancel", 0) == 0
                               : text.find("...Error: ") != std::string_view::npos;
  if (error) {
    finishProgress();
    std::cerr << "kestrel: " << lines_[2] << ' ' << text << '\n';
    if (log_ != nullptr) log_->line(lines_[2] + " " + std::string(text));
    return;
  }
  plainLine(line, text);
  if (tty_) redraw();
}

void TerminalUi::plainLine(int line, std::string_view text) {
  // Plain lines for a log: one per stage and file (when the activity line is
  // written) and one per mission MTBF phase, never one per record or point.
  if (text.empty()) return;
  std::string out;
  if (line == 3) {
    out = lines_[1] + " " + lines_[2] + " " + std::string(text);
  } else if (line == 1 && text.rfind("Mission MTBF", 0) == 0) {
    const auto colon = text.find(':');
    out = std::string(text.substr(0, colon == std::string_view::npos ? text.size() : colon)) + "...";
  }
  if (out.empty() || out == lastPlain_) return;
  lastPlain_ = out;
  if (log_ != nullptr) log_->line(out);
  if (!tty_ && !quiet_) std::cerr << out << '\n';
}

void TerminalUi::progressBar(int index, int count) {
  index_ = index;
  count_ = count;
  if (count < 100 || index % 50 == 0 || index == count) redraw();
}

void TerminalUi::redraw() {
  if (quiet_) return;
  if (!tty_) return;
  std::string text = lines_[1] + " " + lines_[2] + " " + lines_[3];
  if (count_ > 0) text += " [" + std::to_string(index_) + "/" + std::to_string(count_) + "]";
  if (!lines_[4].empty()) text += " " + lines_[4];
  if (text.size() > 100) text.resize(100);
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  drawn_ = true;
}

bool TerminalUi::cancelRequested() { return gInterrupted != 0; }

void TerminalUi::clearCancel() {
  gInterrupted = 0;
  catchStops();
}

void TerminalUi::log(std::string_view line) {
  if (log_ != nullptr) log_->line(line);
  if (quiet_) return;
  finishProgress();
  std::cerr << line << '\n';
}

}  // namespace kestrel::cli
