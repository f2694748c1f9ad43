#include "gui/help/help_windows.hpp"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/registry.hpp"
#include "shell/class_help.hpp"

// The resource lives in this static library: it is registered by hand.
static void initHelpResources() { Q_INIT_RESOURCE(user_guide); }

namespace kestrel::gui {
namespace {

void closeButton(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace

QString userGuideHtml() {
  initHelpResources();
  QFile file(":/help/user_guide.html");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

UserGuideWindow::UserGuideWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Kestrel User Guide"));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QTextBrowser(this);
  text->setObjectName("UserGuide");
  text->setHtml(userGuideHtml());
  layout->addWidget(text);
  closeButton(this, layout);
  resize(760, 640);
}

PartClassesWindow::PartClassesWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Part Classes"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  classes_ = new QListWidget(this);
  page_ = new QPlainTextEdit(this);
  page_->setReadOnly(true);
  page_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono("Courier New");
  mono.setStyleHint(QFont::Monospace);
  mono.setPointSize(9);
  page_->setFont(mono);
  const PartRegistry& registry = PartRegistry::instance();
  for (const PartType& type : allPartTypes()) {
    if (!registry.isRegistered(type.id)) continue;
    auto* item = new QListWidgetItem(QString::fromLatin1(type.menuName.data(), static_cast<qsizetype>(type.menuName.size())),
                                     classes_);
    item->setData(Qt::UserRole, type.id);
  }
  connect(classes_, &QListWidget::currentRowChanged, this, [this](int) {
    const QListWidgetItem* item = classes_->currentItem();
    const PartType* type = item ? findPartType(static_cast<std::uint16_t>(item->data(Qt::UserRole).toUInt())) : nullptr;
    page_->setPlainText(type ? QString::fromStdString(classHelpPage(*type)) : QString());
  });
  classes_->setMaximumWidth(220);
  row->addWidget(classes_);
  row->addWidget(page_, 1);
  layout->addLayout(row, 1);
  closeButton(this, layout);
  if (classes_->count() > 0) classes_->setCurrentRow(0);
  resize(980, 640);
}

std::string PartClassesWindow::pageText() const { return page_->toPlainText().toStdString(); }

}  // namespace kestrel::gui
