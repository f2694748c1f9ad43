// The frame's menu items as a user picks them: by the menu's title and the
// item's text (the menu's title as shown, without its keyboard mark).
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace kestrel::test {

// The item `text` of the menu-bar menu `menu`; null when there is none.
inline QAction* menuItem(QMainWindow& frame, const QString& menu, const QString& text) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->menu() == nullptr || QString(top->text()).remove('&') != QString(menu).remove('&')) continue;
    for (QAction* a : top->menu()->actions()) {
      if (a->text() == text) return a;
    }
  }
  return nullptr;
}

}  // namespace kestrel::test
