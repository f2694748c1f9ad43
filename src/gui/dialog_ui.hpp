// The desktop's Ui: message boxes, Yes/No questions, and the progress
// window of long operations (five lines, a bar, a Cancel button that becomes
// "OK" when the operation ends, and the operation's log lines).
#pragma once

#include <QDialog>

#include "core/ui.hpp"
#include "shell/log_window_buffer.hpp"

class QLabel;
class QProgressBar;
class QPushButton;
class QPlainTextEdit;

namespace kestrel::gui {

class ProgressWindow final : public QDialog {
 public:
  explicit ProgressWindow(QWidget* parent);
  void setLine(int line, const QString& text);
  void setBar(int index, int count);
  void appendLog(const QString& line);
  // Clears the lines, the log and the cancel flag; the button reads "Cancel".
  void restart(const QString& title);
  // The operation has ended: the button reads "OK" and closes the window.
  void finish();
  bool cancelRequested() const { return cancel_; }
  void clearCancel() { cancel_ = false; }
  bool running() const { return running_; }
  QString lineText(int line) const;
  QString logText() const;

 private:
  QLabel* lines_[5];
  QProgressBar* bar_;
  QPlainTextEdit* log_;
  LogWindowBuffer logText_;
  QPushButton* button_;
  bool cancel_ = false;
  bool running_ = false;
};

class DialogUi final : public Ui {
 public:
  explicit DialogUi(QWidget* parent);
  ~DialogUi() override;

  void message(std::string_view text) override;
  bool confirm(std::string_view question) override;
  void progressLine(int line, std::string_view text) override;
  void progressBar(int index, int count) override;
  bool processEvents() override;
  bool cancelRequested() override;
  void clearCancel() override;
  void log(std::string_view line) override;

  // Opens the progress window for an operation (modal to the application,
  // so nothing else can change the documents while it runs).
  void beginProgress(const std::string& title);
  // Leaves the window up with its "OK" button until the user closes it; the
  // other windows take input again from then on.
  void endProgress();
  // Ends an operation whose result shows elsewhere (a printed report): the
  // window goes without waiting for "OK".
  void closeProgress();
  ProgressWindow* progressWindow() { return progress_; }

 private:
  ProgressWindow* window();
  QWidget* parent_;
  ProgressWindow* progress_ = nullptr;
};

}  // namespace kestrel::gui
