// The Find dialog of the circuit and hybrid windows: a text looked for in
// the ticked identity fields, or a part type from the document kind's menu,
// from the top or after the current record. Its choices are kept in the
// "Circuit Find" settings between uses; the search itself is the core's.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/record_find.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kestrel {
class Settings;
}

namespace kestrel::gui {

class FindDialog final : public QDialog {
 public:
  // `menu` is the document kind's part-type menu (index 0 empty).
  FindDialog(const std::vector<std::string>& menu, bool hybrid, Settings& settings, QWidget* parent = nullptr);

  void setPartTypeMode(bool partType);
  void setFromCurrent(bool current);
  void setText(const std::string& text);
  void setFields(const RecordFindFields& fields);
  // 1-based index into the part-type menu.
  void setType(std::size_t menuIndex);

  // Fills the job and stores the choices.
  void accept() override;
  const RecordFindJob& job() const { return job_; }

 private:
  void showMode();

  Settings& settings_;
  bool hybrid_;
  QRadioButton* textMode_;
  QRadioButton* typeMode_;
  QLineEdit* text_;
  QCheckBox* pn_;
  QCheckBox* pn2_;
  QCheckBox* refDes_;
  QCheckBox* descr_;
  QCheckBox* lcn_;
  QCheckBox* notes_;
  QComboBox* types_;
  QRadioButton* fromTop_;
  QRadioButton* fromCurrent_;
  RecordFindJob job_;
};

}  // namespace kestrel::gui
