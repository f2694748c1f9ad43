// The Help menu's windows: the user guide, and the part classes with each
// class's page of keywords and handbook section (the text `kestrel help
// CLASS` prints).
#pragma once

#include <QDialog>
#include <string>

class QListWidget;
class QPlainTextEdit;

namespace kestrel::gui {

// The user guide compiled into the program (HTML).
QString userGuideHtml();

class UserGuideWindow final : public QDialog {
 public:
  explicit UserGuideWindow(QWidget* parent = nullptr);
};

class PartClassesWindow final : public QDialog {
 public:
  explicit PartClassesWindow(QWidget* parent = nullptr);
  QListWidget* classes() { return classes_; }
  // The page shown for the selected class.
  std::string pageText() const;

 private:
  QListWidget* classes_;
  QPlainTextEdit* page_;
};

}  // namespace kestrel::gui
