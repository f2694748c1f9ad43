// kestrel-gui: the desktop application. Opens the files named on the
// command line, or the last file of the previous run.
#include <QApplication>
#include <QFileInfo>
#include <iostream>

#include "core/file_system.hpp"
#include "gui/main_window.hpp"
#include "models/register_all.hpp"
#include "shell/settings.hpp"
#include "shell/working_folder.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kestrel::registerAllParts();
  std::vector<std::string> warnings;
  kestrel::FileSystem& fs = kestrel::posixFileSystem();
  kestrel::Settings settings = kestrel::Settings::load(fs, kestrel::defaultSettingsPath(), warnings);
  for (const std::string& w : warnings) std::cerr << "kestrel-gui: " << w << '\n';
  // Files named on the command line are taken from where the program was started.
  QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) args[i] = QFileInfo(args[i]).absoluteFilePath();
  kestrel::restoreWorkingFolder(settings);

  kestrel::gui::MainWindow window(settings, fs);
  window.restorePlacement();
  window.show();
  if (args.size() > 1) {
    for (qsizetype i = 1; i < args.size(); ++i) window.openFile(args[i].toStdString());
  } else {
    const std::string last = settings.text("Settings", "LastOpenFile");
    if (!last.empty() && QFileInfo::exists(QString::fromStdString(last))) window.openFile(last);
  }
  return QApplication::exec();
}
