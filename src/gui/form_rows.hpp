// Form rows whose field is a layout (an entry with its buttons). A label
// shows its "&" as an underlined key only when it has a buddy; a row built
// from a text and a layout gets none, so the label is given the entry.
#pragma once

#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QWidget>

namespace kestrel::gui {

inline void addEntryRow(QFormLayout* form, const QString& label, QWidget* entry, QLayout* row) {
  auto* text = new QLabel(label, entry->parentWidget());
  text->setBuddy(entry);
  form->addRow(text, row);
}

}  // namespace kestrel::gui
