// The "Part Detail" window: a read-only text window in the list font that
// shows one record's detail lines (identity, description, result, factors,
// detail) for the Detail command of the circuit, library and project views.
// Each view has one; Detail again replaces its text and brings it forward.
#pragma once

#include <QWidget>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace kestrel::gui {

class PartDetailWindow final : public QWidget {
 public:
  // The view's window, made on first use, showing `text` (lines joined by
  // "\r\n" or "\n").
  static PartDetailWindow* showFor(QWidget* view, std::string_view text);
  // The view's window when it has one.
  static PartDetailWindow* of(QWidget* view);
  std::string text() const;

 private:
  explicit PartDetailWindow(QWidget* view);
  QPlainTextEdit* text_;
};

}  // namespace kestrel::gui
