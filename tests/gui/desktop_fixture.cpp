#include "desktop_fixture.hpp"

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <fstream>
#include <sstream>

#include "core/circ_file.hpp"
#include "core/file_system.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel::test {

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

std::map<std::string, std::string> folderBytes(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = readBytes(entry.path());
  }
  return files;
}

QAction* menuItem(QMainWindow& frame, const QString& menu, const QString& text) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->menu() == nullptr || QString(top->text()).remove('&') != QString(menu).remove('&')) continue;
    for (QAction* a : top->menu()->actions()) {
      if (a->text() == text) return a;
    }
  }
  return nullptr;
}

bool DesktopFixture::setUp(bool withFrame) {
  registerAllParts();
  if (!dir.isValid()) return false;
  std::vector<std::string> warnings;
  settings = std::make_unique<Settings>(Settings::load(posixFileSystem(), path("217F2.INI"), warnings));
  if (withFrame) frame = std::make_unique<MainWindow>(*settings, posixFileSystem());
  GuiContext& c = context();
  c.ui = &ui;
  c.fs = &posixFileSystem();
  c.settings = settings.get();
  c.runDialog = [this](QDialog& dialog) {
    if (dialogs.empty()) return static_cast<int>(QDialog::Rejected);
    auto run = std::move(dialogs.front());
    dialogs.pop_front();
    return run(dialog);
  };
  c.chooseFile = [this](bool, const std::string& caption, const std::string& filters) {
    chooserCalls.push_back(caption + "|" + filters);
    if (chosenFiles.empty()) return chosenFile;
    std::string next = chosenFiles.front();
    chosenFiles.pop_front();
    return next;
  };
  c.askSave = [this](const std::string& title) {
    saveQuestions.push_back(title);
    if (saveAnswers.empty()) return SaveAnswer::Discard;
    const SaveAnswer next = saveAnswers.front();
    saveAnswers.pop_front();
    return next;
  };
  return true;
}

void DesktopFixture::reset() {
  ui = RecordingUi();
  dialogs.clear();
  chosenFiles.clear();
  chosenFile.clear();
  chooserCalls.clear();
  saveAnswers.clear();
  saveQuestions.clear();
}

void DesktopFixture::closeWindows() {
  if (!frame) return;
  saveAnswers.clear();
  frame->mdiArea()->closeAllSubWindows();
  QApplication::processEvents();
}

std::string DesktopFixture::path(const std::string& name) const {
  return dir.filePath(QString::fromStdString(name)).toStdString();
}

std::string DesktopFixture::copyExample(const std::string& name, const std::string& as) {
  const std::string to = path(as.empty() ? name : as);
  fs::create_directories(fs::path(to).parent_path());
  fs::copy_file(fs::path(KESTREL_EXAMPLES) / name, to, fs::copy_options::overwrite_existing);
  return to;
}

fs::path DesktopFixture::freshExamples(const std::string& name) {
  const fs::path folder = path(name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(KESTREL_EXAMPLES)) {
    if (!entry.is_regular_file()) continue;  // examples/scripts
    fs::copy_file(entry.path(), folder / entry.path().filename());
  }
  return folder;
}

RunResult DesktopFixture::kestrel(std::vector<std::string> args) {
  args.insert(args.begin(), {"--yes", "--quiet", "--no-log", "--settings", path("cli.ini")});
  return runKestrel(args);
}

std::size_t menuIndexOf(std::uint16_t typeId, bool hybrid) {
  const auto table = menuTable(hybrid);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].id == typeId) return i + 1;
  }
  return 0;
}

std::unique_ptr<CircuitWindow> DesktopFixture::openWindow(const std::string& file) {
  std::unique_ptr<CCircDoc> doc;
  const Status s = loadDocument(posixFileSystem(), file, doc);
  if (!s) qWarning("%s", s.message().c_str());
  if (!doc) return nullptr;
  return owned(std::make_unique<CircuitWindow>(std::move(doc), context()));
}

bool DesktopFixture::trigger(const QString& menu, const QString& item) {
  QAction* action = frame ? menuItem(*frame, menu, item) : nullptr;
  if (action == nullptr) return false;
  action->trigger();
  return true;
}

}  // namespace kestrel::test
