#include "gui/field_page.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/validation.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

// Texts this long are edited in a box of several lines (the notes).
constexpr std::size_t kBlockTextLength = 512;


class Collector final : public FieldVisitor {
 public:
  void text(const FieldSpec& f, std::string& v, bool applies) override {
    FieldSnapshot& s = add(f, FieldCall::Text, applies);
    s.text = v;
    s.textTarget = &v;
  }
  void number(const FieldSpec& f, float& v, bool applies) override {
    add(f, FieldCall::Number, applies).number = v;
  }
  void choice(const FieldSpec& f, std::uint8_t& v, bool applies) override {
    add(f, FieldCall::Choice, applies).choice = v;
  }
  void flag(const FieldSpec& f, std::uint16_t& v, bool applies) override {
    add(f, FieldCall::Flag, applies).number = v;
  }
  std::vector<FieldSnapshot> fields;

 private:
  FieldSnapshot& add(const FieldSpec& f, FieldCall call, bool applies) {
    FieldSnapshot s;
    s.fieldSpec = f;
    s.call = call;
    s.applies = applies;
    fields.push_back(s);
    return fields.back();
  }
};

// Stores one value into the field at `target` of a visit.
class Setter final : public FieldVisitor {
 public:
  Setter(std::size_t target, std::string text, double number, unsigned choice)
      : target_(target), text_(std::move(text)), number_(number), choice_(choice) {}
  void text(const FieldSpec&, std::string& v, bool) override {
    if (hit()) v = text_;
  }
  void number(const FieldSpec&, float& v, bool) override {
    if (hit()) v = static_cast<float>(number_);
  }
  void choice(const FieldSpec&, std::uint8_t& v, bool) override {
    if (hit()) v = static_cast<std::uint8_t>(choice_);
  }
  void flag(const FieldSpec&, std::uint16_t& v, bool) override {
    if (hit()) v = static_cast<std::uint16_t>(number_);
  }

 private:
  bool hit() { return index_++ == target_; }
  std::size_t target_;
  std::size_t index_ = 0;
  std::string text_;
  double number_;
  unsigned choice_;
};

bool isCheckBox(const FieldSnapshot& f) { return f.call == FieldCall::Flag && f.fieldSpec.hi <= 1.0; }
bool isCombo(const FieldSnapshot& f) { return f.call == FieldCall::Choice && f.fieldSpec.choices != nullptr; }
bool isBlock(const FieldSnapshot& f) {
  return f.call == FieldCall::Text && f.fieldSpec.maxLength >= kBlockTextLength;
}

// Calls `action` when the watched editor loses the focus.
class LeaveWatcher final : public QObject {
 public:
  LeaveWatcher(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) action_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};

bool sameShape(const std::vector<FieldSnapshot>& a, const std::vector<FieldSnapshot>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].call != b[i].call || a[i].fieldSpec.keyword != b[i].fieldSpec.keyword ||
        a[i].fieldSpec.label != b[i].fieldSpec.label) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string displayText(const FieldSnapshot& f) {
  switch (f.call) {
    case FieldCall::Text:
      return f.text;
    case FieldCall::Number:
      if (f.fieldSpec.kind == FieldKind::Whole) return strprintf("%.0f", f.number);
      return formatNumber(f.number, 20, 6);
    case FieldCall::Flag:
      return strprintf("%.0f", f.number);
    case FieldCall::Choice:
      return f.fieldSpec.choices != nullptr ? std::string(f.fieldSpec.choices->text(f.choice))
                                       : strprintf("%u", f.choice);
  }
  return {};
}

FieldPage::FieldPage(PageVisit visit, Ui& ui, std::function<void()> stored, bool filled, QWidget* parent)
    : QWidget(parent), visit_(std::move(visit)), ui_(ui), stored_(std::move(stored)), filled_(filled) {
  form_ = new QFormLayout(this);
  refresh();
}

std::vector<FieldSnapshot> FieldPage::collect() {
  Collector collector;
  visit_(collector);
  return std::move(collector.fields);
}

void FieldPage::refresh() {
  std::vector<FieldSnapshot> fields = collect();
  std::vector<FieldSnapshot> current;
  for (const Row& row : rows_) current.push_back(row.field);
  if (!sameShape(fields, current)) {
    rebuild(fields);
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].field = fields[i];
    fill(rows_[i]);
  }
}

void FieldPage::rebuild(const std::vector<FieldSnapshot>& fields) {
  // The editor that asked for this may still be on the call stack: its
  // widgets go at the next turn of the event loop, not now.
  while (form_->rowCount() > 0) {
    const QFormLayout::TakeRowResult taken = form_->takeRow(0);
    for (QLayoutItem* item : {taken.labelItem, taken.fieldItem}) {
      if (item == nullptr) continue;
      if (QWidget* w = item->widget()) {
        w->hide();
        w->deleteLater();
      }
      delete item;
    }
  }
  rows_.clear();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    Row row;
    row.field = fields[i];
    std::string label(fields[i].fieldSpec.label);
    if (!fields[i].fieldSpec.unit.empty()) label += " [" + std::string(fields[i].fieldSpec.unit) + "]";
    row.label = new QLabel(qtext(label), this);
    QWidget* editor = nullptr;
    if (isCombo(row.field)) {
      row.combo = new QComboBox(this);
      connect(row.combo, &QComboBox::activated, this, [this, i](int index) {
        store(i, {}, 0.0, static_cast<unsigned>(index + 1));
      });
      editor = row.combo;
    } else if (isCheckBox(row.field)) {
      row.check = new QCheckBox(this);
      connect(row.check, &QCheckBox::clicked, this,
              [this, i](bool on) { store(i, {}, on ? 1.0 : 0.0, 0); });
      editor = row.check;
    } else if (isBlock(row.field)) {
      row.block = new QPlainTextEdit(this);
      row.block->setTabChangesFocus(true);
      row.block->installEventFilter(new LeaveWatcher(row.block, [this, i] { leave(i); }));
      editor = row.block;
    } else {
      row.line = new QLineEdit(this);
      if (row.field.call == FieldCall::Text && row.field.fieldSpec.maxLength > 0) {
        // Room for one character more than allowed, so a long entry reaches
        // the check and its message instead of being cut silently.
        row.line->setMaxLength(static_cast<int>(row.field.fieldSpec.maxLength) + 1);
      }
      connect(row.line, &QLineEdit::editingFinished, this, [this, i] { leave(i); });
      editor = row.line;
    }
    const std::string name(fields[i].fieldSpec.keyword.empty() ? fields[i].fieldSpec.label : fields[i].fieldSpec.keyword);
    editor->setObjectName(qtext(name));
    QWidget* cell = editor;
    if (row.line != nullptr && browsers_.count(row.field.textTarget) != 0) {
      // The line and its browse button share the row.
      cell = new QWidget(this);
      auto* box = new QHBoxLayout(cell);
      box->setContentsMargins(0, 0, 0, 0);
      row.line->setParent(cell);
      box->addWidget(row.line, 1);
      auto* button = new QPushButton(tr("&Browse..."), cell);
      button->setObjectName(qtext(name + "_BROWSE"));
      connect(button, &QPushButton::clicked, this, [this, i] { browse(i); });
      box->addWidget(button);
    }
    form_->addRow(row.label, cell);
    rows_.push_back(row);
  }
}

void FieldPage::fill(Row& row) {
  const FieldSnapshot& f = row.field;
  const bool empty = blank(row);
  row.displayed = !f.applies ? kNotApplicable : empty ? std::string() : displayText(f);
  QWidget* e = editor(row);
  const QSignalBlocker block(e);
  e->setEnabled(f.applies);
  if (row.combo != nullptr) {
    row.combo->clear();
    if (!f.applies) {
      row.combo->addItem(kNotApplicable);
    } else {
      // The list is refilled each time: it may depend on another field's choice.
      const ChoiceList& list = *f.fieldSpec.choices;
      for (unsigned k = 1; k <= list.count(); ++k) {
        const QString title = qtext(choiceTitle(list, k));
        row.combo->addItem(title);
        row.combo->setItemData(static_cast<int>(k) - 1, title, Qt::ToolTipRole);
      }
      row.combo->setCurrentIndex(!empty && list.isValid(f.choice) ? static_cast<int>(f.choice) - 1 : -1);
      row.combo->setToolTip(row.combo->currentIndex() >= 0 ? row.combo->currentText() : QString());
    }
  } else if (row.check != nullptr) {
    row.check->setChecked(f.applies && f.number != 0.0);
  } else if (row.block != nullptr) {
    row.block->setPlainText(qtext(row.displayed));
  } else {
    row.line->setText(qtext(row.displayed));
    row.line->setCursorPosition(0);
  }
}

QWidget* FieldPage::editor(const Row& row) const {
  if (row.combo != nullptr) return row.combo;
  if (row.check != nullptr) return row.check;
  if (row.block != nullptr) return row.block;
  return row.line;
}

std::string FieldPage::editorText(const Row& row) const {
  if (row.combo != nullptr) {
    // The stored text of the choice, not its longer title.
    const int index = row.combo->currentIndex();
    if (index < 0 || !row.field.applies || row.field.fieldSpec.choices == nullptr) return stext(row.combo->currentText());
    return std::string(row.field.fieldSpec.choices->text(static_cast<unsigned>(index) + 1));
  }
  if (row.check != nullptr) return row.check->isChecked() ? "1" : "0";
  if (row.block != nullptr) return stext(row.block->toPlainText());
  return stext(row.line->text());
}

bool FieldPage::leave(std::size_t index) {
  if (busy_ || index >= rows_.size()) return true;
  Row& row = rows_[index];
  if (!row.field.applies || row.combo != nullptr || row.check != nullptr) return true;
  const std::string text = editorText(row);
  if (text == row.displayed) return true;
  const Validated v = validateEntry(row.field.fieldSpec, text);
  if (v.error) {
    busy_ = true;
    ui_.message(*v.error);
    busy_ = false;
    // The focus goes back to the field; the value is not stored.
    QWidget* e = editor(row);
    QTimer::singleShot(0, e, [e] { e->setFocus(); });
    return false;
  }
  store(index, v.text, v.number, v.choice);
  return true;
}

void FieldPage::addBrowseButton(const std::string* target, TextChooser choose) {
  browsers_[target] = std::move(choose);
  rebuild(collect());
  refresh();
}

void FieldPage::browse(std::size_t index) {
  if (index >= rows_.size() || rows_[index].line == nullptr || !rows_[index].field.applies) return;
  const auto chooser = browsers_.find(rows_[index].field.textTarget);
  if (chooser == browsers_.end()) return;
  const std::string chosen = chooser->second();
  if (chosen.empty() || index >= rows_.size()) return;
  rows_[index].line->setText(qmixed(chosen));  // a file name, in UTF-8
  leave(index);
}

void FieldPage::store(std::size_t index, const std::string& text, double number, unsigned choice) {
  if (index < rows_.size()) entered_.insert(nameOf(rows_[index].field));
  Setter setter(index, text, number, choice);
  visit_(setter);
  stored_();
}

bool FieldPage::commit() {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!leave(i)) return false;
  }
  return true;
}

std::string FieldPage::nameOf(const FieldSnapshot& field) {
  return std::string(field.fieldSpec.keyword.empty() ? field.fieldSpec.label : field.fieldSpec.keyword);
}

bool FieldPage::blank(const Row& row) const {
  // Check boxes always show a state; only typed and chosen entries start empty.
  return !filled_ && row.field.applies && row.check == nullptr && entered_.count(nameOf(row.field)) == 0;
}

std::optional<std::string> FieldPage::firstMissing() const {
  for (const Row& row : rows_) {
    if (blank(row)) return std::string(row.field.fieldSpec.label);
  }
  return std::nullopt;
}

void FieldPage::focusField(const std::string& name) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const FieldSpec& s = rows_[i].field.fieldSpec;
    const bool wanted = name.empty() ? rows_[i].field.applies : (s.keyword == name || s.label == name);
    if (!wanted) continue;
    QWidget* e = editor(rows_[i]);
    e->setFocus(Qt::OtherFocusReason);
    if (rows_[i].line != nullptr) rows_[i].line->selectAll();
    return;
  }
}

int FieldPage::find(const std::string& name) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const FieldSpec& s = rows_[i].field.fieldSpec;
    if (s.keyword == name || (s.keyword.empty() && s.label == name) || s.label == name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool FieldPage::enter(const std::string& name, const std::string& text) {
  const int i = find(name);
  if (i < 0) return false;
  Row& row = rows_[static_cast<std::size_t>(i)];
  if (!row.field.applies) return false;
  if (row.combo != nullptr) {
    const Validated v = validateEntry(row.field.fieldSpec, text);
    if (v.error) {
      ui_.message(*v.error);
      return true;
    }
    store(static_cast<std::size_t>(i), {}, 0.0, v.choice);
    return true;
  }
  if (row.check != nullptr) {
    store(static_cast<std::size_t>(i), {}, text == "1" ? 1.0 : 0.0, 0);
    return true;
  }
  if (row.block != nullptr) {
    row.block->setPlainText(qtext(text));
  } else {
    row.line->setText(qtext(text));
  }
  leave(static_cast<std::size_t>(i));
  return true;
}

std::string FieldPage::shown(const std::string& name) const {
  const int i = find(name);
  return i < 0 ? std::string() : editorText(rows_[static_cast<std::size_t>(i)]);
}

}  // namespace kestrel::gui
