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

class WatchedUi final : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void message(std::string_view text) override {
    shown_ = true;
    inner().message(text);
  }
  bool shown() const { return shown_; }

 private:
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
