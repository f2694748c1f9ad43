// What every window of the desktop application shares: the Ui the commands
// report through, the file door, the user's settings, and the few places
// where a window hands control to the user (modal dialogs, file choosers,
// the save question). Tests replace those with scripted answers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/file_system.hpp"
#include "core/open_documents.hpp"
#include "core/ui.hpp"
#include "shell/settings.hpp"

class QDialog;

namespace kestrel {

class CCircDoc;

namespace gui {

enum class SaveAnswer { Save, Discard, Cancel };

class CircuitWindow;

struct GuiContext {
  Ui* ui = nullptr;
  FileSystem* fs = nullptr;
  Settings* settings = nullptr;
  // Runs a modal dialog; returns QDialog::Accepted or Rejected.
  std::function<int(QDialog&)> runDialog;
  // A file chooser: open (false) or save (true); "" when cancelled.
  std::function<std::string(bool save, const std::string& caption, const std::string& filters)>
      chooseFile;
  // "Save changes to '%s'?" with Yes, No and Cancel.
  std::function<SaveAnswer(const std::string& title)> askSave;
  // The circuit and hybrid documents open in windows: batch jobs and the
  // calculation of a hierarchy use them in place, never their files.
  OpenDocuments* openDocuments = &OpenDocuments::none();
  // Shows a result or status text in the frame's status bar.
  std::function<void(const std::string&)> statusText;
  // Refreshes the views of every open document (after a calculation that
  // changed documents open in other windows).
  std::function<void()> refreshViews;
  // Opens a circuit or hybrid file in its window, or brings the window that
  // holds it to the front; null when it could not be opened (message shown).
  std::function<CircuitWindow*(const std::string& path)> openCircuit;

  // Told by a window when its selection or document changed, so that the
  // frame enables the commands that can act on it now.
  std::function<void()> windowStateChanged;

  // Writes the settings file; a failure is told through the Ui.
  void saveSettings() const;
  void stateChanged() const {
    if (windowStateChanged) windowStateChanged();
  }
};

// The defaults of the desktop: QDialog::exec, the Qt file dialogs and a
// three-button question box, all parented to `parent`.
void useDesktopDialogs(GuiContext& context, class QWidget* parent);

}  // namespace gui
}  // namespace kestrel
