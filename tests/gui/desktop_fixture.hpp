// The desktop tests' shared fixture: a temporary folder with its own
// settings file, a recording Ui, and a GuiContext (the frame's, or one of
// its own for windows opened without a frame) whose dialogs, file
// choosers and save questions are answered from scripts.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/settings.hpp"
#include "gui/circuit_window.hpp"
#include "gui/gui_context.hpp"
#include "gui/main_window.hpp"
#include "gui/property_sheet.hpp"
#include "run_kestrel.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {

namespace fs = std::filesystem;
using gui::CircuitWindow;
using gui::GuiContext;
using gui::MainWindow;
using gui::SaveAnswer;

std::string readBytes(const fs::path& path);
void writeBytes(const fs::path& path, const std::string& bytes);
void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::string> splitLines(const std::string& text);
// Every file of a folder with its bytes.
std::map<std::string, std::string> folderBytes(const fs::path& folder);

// 1-based position of a part type in a document kind's Add menu; 0 when absent.
std::size_t menuIndexOf(std::uint16_t typeId, bool hybrid);

// The item `text` of the menu-bar menu `menu` (its title without the
// keyboard mark); null when there is none.
QAction* menuItem(QMainWindow& frame, const QString& menu, const QString& text);

class DesktopFixture {
 public:
  // Once per test program part: settings in the temporary folder, and the
  // frame when `withFrame`. False when the folder could not be made.
  bool setUp(bool withFrame);
  // Before every case: nothing scripted, nothing recorded.
  void reset();
  // Closes every window of the frame; unsaved changes are discarded.
  void closeWindows();

  GuiContext& context() { return frame ? frame->context() : own_; }
  std::string path(const std::string& name) const;
  // A copy of an example file in the temporary folder (as `as` when given).
  std::string copyExample(const std::string& name, const std::string& as = {});
  // A fresh folder `name` holding copies of every example file.
  fs::path freshExamples(const std::string& name);
  // The command-line program with its own settings file, answering yes.
  RunResult kestrel(std::vector<std::string> args);
  // A circuit window without a frame (the fixture's own context).
  std::unique_ptr<CircuitWindow> openWindow(const std::string& file);
  // A window the test owns: closing it does not delete it.
  template <typename W>
  static std::unique_ptr<W> owned(std::unique_ptr<W> window) {
    if (window) window->setAttribute(Qt::WA_DeleteOnClose, false);
    return window;
  }
  // Triggers a menu item of the frame; false when there is none.
  bool trigger(const QString& menu, const QString& item);
  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  // The next modal dialog gets the front script; with none it is rejected.
  void script(std::function<int(QDialog&)> answer) { dialogs.push_back(std::move(answer)); }
  // Scripts a dialog of type D: `fill` enters its fields, then it is accepted.
  template <typename D>
  void scriptAccept(std::function<void(D&)> fill = {}) {
    script([fill](QDialog& d) {
      auto* dialog = dynamic_cast<D*>(&d);
      if (dialog == nullptr) return static_cast<int>(QDialog::Rejected);
      if (fill) fill(*dialog);
      dialog->accept();
      return dialog->result();
    });
  }
  // Scripts a property sheet: each field takes its entry in turn, then OK.
  void scriptEntries(std::vector<std::pair<std::string, std::string>> entries) {
    scriptAccept<gui::PropertySheet>([entries](gui::PropertySheet& sheet) {
      for (const auto& [field, value] : entries) sheet.enter(field, value);
    });
  }

  QTemporaryDir dir;
  RecordingUi ui;
  std::unique_ptr<Settings> settings;
  std::unique_ptr<MainWindow> frame;
  std::deque<std::function<int(QDialog&)>> dialogs;
  // File choosers take the front name; with none, `chosenFile`.
  std::deque<std::string> chosenFiles;
  std::string chosenFile;
  std::vector<std::string> chooserCalls;  // "caption|filters" of every chooser
  // Save questions take the front answer; with none, Discard.
  std::deque<SaveAnswer> saveAnswers;
  std::vector<std::string> saveQuestions;

 private:
  GuiContext own_;
};

// Runs a program's test class under an application set up for it.
template <typename Test>
int runTests(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  Test test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace kestrel::test
