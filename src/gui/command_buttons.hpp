// A window's own row of command buttons (the project and mission profile
// windows): each with its tip, none taking Return from the list or table
// in front of it, each running its command on a click.
#pragma once

#include <QBoxLayout>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace kestrel::gui {

template <typename Command>
QPushButton* addCommandButton(QWidget* owner, QBoxLayout* row, const QString& text, const QString& tip,
                              Command command) {
  auto* b = new QPushButton(text, owner);
  b->setToolTip(tip);
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, owner, command);
  row->addWidget(b);
  return b;
}

}  // namespace kestrel::gui
