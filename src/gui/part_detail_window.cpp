#include "gui/part_detail_window.hpp"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "gui/qt_text.hpp"

namespace kestrel::gui {

PartDetailWindow::PartDetailWindow(QWidget* view) : QWidget(view, Qt::Tool) {
  setObjectName("PartDetail");
  setWindowTitle(tr("Part Detail"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setFont(listFont());
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(text_);
  resize(980, 200);
}

PartDetailWindow* PartDetailWindow::of(QWidget* view) {
  // findChild would take any widget here (the class has no meta-object of
  // its own), so the children are looked at with dynamic_cast.
  if (view == nullptr) return nullptr;
  for (QObject* child : view->children()) {
    if (auto* window = dynamic_cast<PartDetailWindow*>(child)) return window;
  }
  return nullptr;
}

PartDetailWindow* PartDetailWindow::showFor(QWidget* view, std::string_view text) {
  PartDetailWindow* window = of(view);
  if (window == nullptr) window = new PartDetailWindow(view);
  std::string shown;
  for (char c : text) {
    if (c != '\r') shown += c;
  }
  window->text_->setPlainText(qtext(shown));
  window->show();
  window->raise();
  return window;
}

std::string PartDetailWindow::text() const { return text_->toPlainText().toStdString(); }

}  // namespace kestrel::gui
