// What a window wraps around a long library step on the desktop: a Ui that
// notes whether a message box was shown (so a failure the library already
// told is not told twice), and the progress window, which goes away when
// the step succeeds and stays up with its "OK" button (and the error line)
// when it fails.
#pragma once

#include <string>

#include "core/ui.hpp"
#include "gui/dialog_ui.hpp"

namespace kestrel::gui {

class WatchedUi final : public Ui {
 public:
  explicit WatchedUi(Ui& inner) : inner_(inner) {}
  void message(std::string_view text) override {
    shown_ = true;
    inner_.message(text);
  }
  bool confirm(std::string_view question) override { return inner_.confirm(question); }
  void progressLine(int line, std::string_view text) override { inner_.progressLine(line, text); }
  void clearProgress() override { inner_.clearProgress(); }
  void progressBar(int index, int count) override { inner_.progressBar(index, count); }
  bool processEvents() override { return inner_.processEvents(); }
  bool cancelRequested() override { return inner_.cancelRequested(); }
  void clearCancel() override { inner_.clearCancel(); }
  void log(std::string_view line) override { inner_.log(line); }
  bool shown() const { return shown_; }

 private:
  Ui& inner_;
  bool shown_ = false;
};

class ProgressScope {
 public:
  ProgressScope(Ui& ui, const std::string& title) : dialogUi_(dynamic_cast<DialogUi*>(&ui)) {
    if (dialogUi_ != nullptr) dialogUi_->beginProgress(title);
  }
  ~ProgressScope() { end(false); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  void end(bool ok) {
    if (dialogUi_ == nullptr) return;
    dialogUi_->endProgress();
    if (ok) dialogUi_->progressWindow()->hide();
    dialogUi_ = nullptr;
  }

 private:
  DialogUi* dialogUi_;
};

}  // namespace kestrel::gui
