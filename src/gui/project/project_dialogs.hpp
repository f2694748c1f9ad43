// The small dialogs of the project window: Project Add (the kind of child
// reference, its file and the new record's identity) and the choice of a
// new parent circuit for Move. Project Add keeps its mode and file name in
// the settings section "Project Add".
#pragma once

#include <QDialog>
#include <cstddef>
#include <string>
#include <vector>

#include "project/tree_edits.hpp"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kestrel {
class Settings;
class Ui;
}  // namespace kestrel

namespace kestrel::gui {

class ProjectAddDialog final : public QDialog {
 public:
  // `parentName`: the circuit the child joins, shown in the title.
  ProjectAddDialog(const std::string& parentName, Settings& settings, Ui& ui, QWidget* parent = nullptr);

  void setMode(ChildMode mode);
  void setFile(const std::string& file);
  // The new record's fields by keyword: "PN", "REFDES", "QTY".
  void setField(const std::string& keyword, const std::string& value);
  // OK: a child file must be named; the mode and file go to the settings.
  void accept() override;

  ChildMode mode() const;
  std::string file() const;
  // The filled-in fields as "KEYWORD=VALUE" texts, the form `kestrel project add` takes.
  std::vector<std::string> assignments() const;

 private:
  Settings& settings_;
  Ui& ui_;
  QRadioButton* circuit_;
  QRadioButton* hybrid_;
  QLineEdit* file_;
  std::vector<std::pair<std::string, QLineEdit*>> fields_;
};

// Move: one of the tree's circuit nodes, other than the child's present parent.
class MoveTargetDialog final : public QDialog {
 public:
  struct Target {
    std::size_t node;
    std::string label;
  };
  MoveTargetDialog(const std::string& childName, std::vector<Target> targets, QWidget* parent = nullptr);
  // False when `node` is not offered.
  bool choose(std::size_t node);
  std::size_t chosen() const;
  std::size_t count() const { return targets_.size(); }

 private:
  std::vector<Target> targets_;
  QComboBox* list_;
};

}  // namespace kestrel::gui
