#include "gui/dialog_ui.hpp"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/gui_context.hpp"
#include "gui/qt_text.hpp"
#include "shell/document_kinds.hpp"

namespace kestrel::gui {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  QFont fixed("Courier New");
  fixed.setStyleHint(QFont::Monospace);
  for (QLabel*& line : lines_) {
    line = new QLabel(this);
    line->setFont(fixed);
    line->setMinimumWidth(520);
    layout->addWidget(line);
  }
  bar_ = new QProgressBar(this);
  layout->addWidget(bar_);
  log_ = new QPlainTextEdit(this);
  log_->setReadOnly(true);
  log_->setFont(fixed);
  log_->hide();
  layout->addWidget(log_);
  button_ = new QPushButton(tr("Cancel"), this);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(button_);
  layout->addLayout(row);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (running_) {
      cancel_ = true;
    } else {
      accept();
    }
  });
}

void ProgressWindow::setLine(int line, const QString& text) {
  if (line >= 1 && line <= 5) lines_[line - 1]->setText(text);
}

QString ProgressWindow::lineText(int line) const {
  return line >= 1 && line <= 5 ? lines_[line - 1]->text() : QString();
}

void ProgressWindow::setBar(int index, int count) {
  bar_->setRange(0, count > 0 ? count : 1);
  bar_->setValue(index);
}

void ProgressWindow::appendLog(const QString& line) {
  log_->show();
  // The window text is bounded; the log file keeps every line.
  if (logText_.append(line.toStdString())) log_->clear();
  log_->appendPlainText(line);
}

void ProgressWindow::restart(const QString& title) {
  setWindowTitle(title);
  for (QLabel* line : lines_) line->clear();
  log_->clear();
  log_->hide();
  logText_.clear();
  bar_->setValue(0);
  cancel_ = false;
  running_ = true;
  button_->setText(tr("Cancel"));
}

QString ProgressWindow::logText() const { return log_->toPlainText(); }

void ProgressWindow::finish() {
  for (const std::string& note : logText_.finish()) log_->appendPlainText(QString::fromStdString(note));
  running_ = false;
  cancel_ = false;
  button_->setText(tr("OK"));
  button_->setDefault(true);
}

DialogUi::DialogUi(QWidget* parent) : parent_(parent) {}
DialogUi::~DialogUi() = default;

ProgressWindow* DialogUi::window() {
  if (progress_ == nullptr) progress_ = new ProgressWindow(parent_);
  return progress_;
}

void DialogUi::message(std::string_view text) {
  QMessageBox::warning(QApplication::activeWindow() ? QApplication::activeWindow() : parent_,
                       qtext(kApplicationTitle), qmixed(text));
}

bool DialogUi::confirm(std::string_view question) {
  // The buttons are the ones the question names: "Select OK to ..." gets
  // OK and Cancel, every other question Yes and No.
  const bool okCancel = question.find("Select OK") != std::string_view::npos;
  const QMessageBox::StandardButton yes = okCancel ? QMessageBox::Ok : QMessageBox::Yes;
  const QMessageBox::StandardButton no = okCancel ? QMessageBox::Cancel : QMessageBox::No;
  return QMessageBox::question(QApplication::activeWindow() ? QApplication::activeWindow() : parent_,
                               qtext(kApplicationTitle), qmixed(question), yes | no, yes) == yes;
}

void DialogUi::progressLine(int line, std::string_view text) { window()->setLine(line, qmixed(text)); }

void DialogUi::progressBar(int index, int count) { window()->setBar(index, count); }

bool DialogUi::processEvents() {
  QApplication::processEvents();
  return progress_ == nullptr || !progress_->running() || progress_->isVisible();
}

bool DialogUi::cancelRequested() {
  QApplication::processEvents();
  return progress_ != nullptr && progress_->cancelRequested();
}

void DialogUi::clearCancel() {
  if (progress_ != nullptr) progress_->clearCancel();
}

void DialogUi::log(std::string_view line) { window()->appendLog(qmixed(line)); }

// Qt takes a window's modality when the window is shown: a change made while
// it is visible is not applied, and a window hidden after such a change stays
// on the application's modal stack, so every other window ignores input for
// good. The progress window therefore keeps the modality it was shown with
// until the user closes it with its "OK" button.
void DialogUi::beginProgress(const std::string& title) {
  ProgressWindow* w = window();
  w->restart(QString::fromStdString(title));
  if (!w->isVisible()) {
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
  }
  QApplication::processEvents();
}

void DialogUi::endProgress() {
  ProgressWindow* w = window();
  w->finish();
  // The results stay in front, with the focus on "OK".
  w->raise();
  w->activateWindow();
}

void DialogUi::closeProgress() {
  ProgressWindow* w = window();
  w->finish();
  w->hide();
}

// ---- the desktop's dialogs for the shared context ----

void GuiContext::saveSettings() const {
  if (settings == nullptr || fs == nullptr) return;
  if (Status s = settings->save(*fs); !s && ui != nullptr) {
    ui->message("Can not save the settings file '" + settings->path() + "':\n" + s.message());
  }
}

void useDesktopDialogs(GuiContext& context, QWidget* parent) {
  context.runDialog = [](QDialog& dialog) { return dialog.exec(); };
  // The dialogs start in the working folder and make the chosen file's folder
  // the working folder, which is kept between runs.
  context.chooseFile = [parent](bool save, const std::string& caption, const std::string& filters) {
    const QString file =
        save ? QFileDialog::getSaveFileName(parent, QString::fromStdString(caption), QDir::currentPath(),
                                            QString::fromStdString(filters))
             : QFileDialog::getOpenFileName(parent, QString::fromStdString(caption), QDir::currentPath(),
                                            QString::fromStdString(filters));
    if (!file.isEmpty()) QDir::setCurrent(QFileInfo(file).absolutePath());
    return file.toStdString();
  };
  context.askSave = [parent](const std::string& title) {
    const auto answer = QMessageBox::question(
        parent, qtext(kApplicationTitle),
        QString::fromStdString("Save changes to '" + title + "'?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return SaveAnswer::Save;
    if (answer == QMessageBox::No) return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
  };
}

}  // namespace kestrel::gui
