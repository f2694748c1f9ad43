#include "gui/item_activation.hpp"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

namespace kestrel::gui {
namespace {

bool isEnter(QEvent* event) {
  const auto* key = static_cast<QKeyEvent*>(event);
  return key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

class EnterFilter final : public QObject {
 public:
  EnterFilter(std::function<void()> command, QObject* parent)
      : QObject(parent), command_(std::move(command)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride && isEnter(event)) {
      event->accept();  // the key comes to the view as a key press
      return true;
    }
    if (event->type() == QEvent::KeyPress && isEnter(event)) {
      command_();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> command_;
};

}  // namespace

void onRowActivated(QAbstractItemView* view, std::function<void()> command) {
  view->installEventFilter(new EnterFilter(command, view));
  QObject::connect(view, &QAbstractItemView::doubleClicked, view,
                   [command](const QModelIndex&) { command(); });
}

}  // namespace kestrel::gui
