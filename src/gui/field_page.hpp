// One page of a property sheet: a form of rows generated from the fields a
// visit offers. Rows are rebuilt only when the set of fields changes; the
// values, the enabled state and the choice lists are refilled on every
// refresh.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/field_spec.hpp"

class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QCheckBox;

namespace kestrel {
class Ui;
}

namespace kestrel::gui {

using PageVisit = std::function<void(FieldVisitor&)>;

// What a row stands for: the visitor call that offered it.
enum class FieldCall { Text, Number, Choice, Flag };

// One field as the last visit offered it.
struct FieldSnapshot {
  FieldSpec fieldSpec;
  FieldCall call = FieldCall::Text;
  bool applies = true;
  std::string text;  // Text
  double number = 0.0;  // Number, Flag
  unsigned choice = 0;  // Choice
  const std::string* textTarget = nullptr;  // Text: the value the visit edits
};

// Chooses a text for a field (a file name from a file dialog); "" when the
// user cancels.
using TextChooser = std::function<std::string()>;

class FieldPage final : public QWidget {
 public:
  FieldPage(PageVisit visit, Ui& ui, std::function<void()> stored, bool filled, QWidget* parent);

  void refresh();
  // Checks and stores every entry that differs from what the field shows;
  // false at the first refused one (its message shown, the focus on it).
  bool commit();
  // A page that started empty is complete when every field that applies
  // holds an entry; the first one that does not, by its label.
  std::optional<std::string> firstMissing() const;
  // Puts the cursor into a field (by keyword or label), or into the first
  // editable field when `name` is empty.
  void focusField(const std::string& name = {});

  // A browse button beside the text field that edits `target`: its choice
  // is entered into the field and checked as if typed.
  void addBrowseButton(const std::string* target, TextChooser choose);

  bool hasField(const std::string& name) const { return find(name) >= 0; }
  bool enter(const std::string& name, const std::string& text);
  std::string shown(const std::string& name) const;

 private:
  struct Row {
    FieldSnapshot field;
    QLabel* label = nullptr;
    QLineEdit* line = nullptr;
    QPlainTextEdit* block = nullptr;
    QComboBox* combo = nullptr;
    QCheckBox* check = nullptr;
    std::string displayed;  // what the editor was last filled with
  };

  // Still empty: on a page that started empty, a field the user has not
  // entered yet.
  bool blank(const Row& row) const;
  static std::string nameOf(const FieldSnapshot& field);

  std::vector<FieldSnapshot> collect();
  void rebuild(const std::vector<FieldSnapshot>& fields);
  void fill(Row& row);
  QWidget* editor(const Row& row) const;
  std::string editorText(const Row& row) const;
  // The user left a text or number field: check it, store it when valid.
  bool leave(std::size_t index);
  void browse(std::size_t index);
  void store(std::size_t index, const std::string& text, double number, unsigned choice);
  int find(const std::string& name) const;

  PageVisit visit_;
  Ui& ui_;
  std::function<void()> stored_;
  bool filled_;
  std::set<std::string> entered_;  // fields of an empty page given a value
  bool busy_ = false;  // a message box is up: focus changes are not leaves
  QFormLayout* form_;
  std::vector<Row> rows_;
  std::map<const std::string*, TextChooser> browsers_;
};

// What a field shows: the stored value in its display form.
std::string displayText(const FieldSnapshot& field);
inline constexpr const char* kNotApplicable = "xxxxxx";

}  // namespace kestrel::gui
