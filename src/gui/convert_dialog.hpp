// The Convert Type dialog: shows the selected record's type and offers the
// new part type from the document kind's menu, and whether the new record
// starts with that type's default parameters. The chosen type is kept in
// the "Convert Type" settings between uses.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

namespace kestrel {
class Settings;
}

namespace kestrel::gui {

class ConvertTypeDialog final : public QDialog {
 public:
  ConvertTypeDialog(const std::string& currentType, const std::vector<std::string>& menu, bool hybrid,
                    Settings& settings, QWidget* parent = nullptr);
  void choose(std::size_t menuIndex, bool defaults);
  void accept() override;
  // 1-based index into the menu.
  std::size_t menuIndex() const { return index_; }
  bool defaults() const { return defaults_; }

 private:
  Settings& settings_;
  bool hybrid_;
  QComboBox* types_;
  QCheckBox* defaultsBox_;
  std::size_t index_ = 1;
  bool defaults_ = true;
};

}  // namespace kestrel::gui
