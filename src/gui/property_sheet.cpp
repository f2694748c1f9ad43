#include "gui/property_sheet.hpp"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QShowEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "core/circ_doc.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/validation.hpp"
#include "gui/field_page.hpp"

namespace kestrel::gui {
namespace {

// Counts the fields a visit offers, touching nothing.
class FieldCounter final : public FieldVisitor {
 public:
  void text(const FieldSpec&, std::string&, bool) override { ++count; }
  void number(const FieldSpec&, float&, bool) override { ++count; }
  void choice(const FieldSpec&, std::uint8_t&, bool) override { ++count; }
  void flag(const FieldSpec&, std::uint16_t&, bool) override { ++count; }
  int count = 0;
};

// The browse button of a sub-file record's file name: the chosen file's
// name goes into the field (the calculation looks for a sub-file in the
// parent's folder, so a folder would not be used anyway).
void addSubFileBrowse(FieldPage& page, CPart& part, const OpenFileChooser& chooseFile) {
  const bool hybrid = part.PART_TYPE == kSubHybridType;
  const std::string caption = hybrid ? "Choose SubHybrid File" : "Choose SubCircuit File";
  const std::string filter = hybrid ? "Hybrid Files (*.hyb)" : "Circuit Files (*.cir)";
  page.addBrowseButton(&part.FileName, [chooseFile, caption, filter]() -> std::string {
    const std::string chosen = chooseFile(caption, filter);
    return chosen.empty() ? std::string() : std::filesystem::path(chosen).filename().string();
  });
}

}  // namespace

PropertySheet::PropertySheet(const std::string& title, Ui& ui, QWidget* parent)
    : QDialog(parent), ui_(ui) {
  setWindowTitle(QString::fromStdString(title));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons_, &QDialogButtonBox::rejected, this, [this] { reject(); });
}

void PropertySheet::addPage(const std::string& name, PageVisit visit, bool filled) {
  auto* page = new FieldPage(std::move(visit), ui_, [this] { refreshAll(); }, filled, tabs_);
  pages_.push_back(page);
  tabs_->addTab(page, QString::fromStdString(name));
  // The pages are made after the buttons; Tab must go from the page tabs
  // through the fields to the buttons, not from the tabs straight to "OK".
  QWidget* last = page;
  for (QWidget* field : page->findChildren<QWidget*>()) {
    if ((field->focusPolicy() & Qt::TabFocus) != 0) last = field;
  }
  for (QAbstractButton* button : buttons_->buttons()) {
    QWidget::setTabOrder(last, button);
    last = button;
  }
}

void PropertySheet::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const int front = tabs_->currentIndex();
  if (front >= 0) pages_[static_cast<std::size_t>(front)]->focusField();
}

int PropertySheet::pageCount() const { return static_cast<int>(pages_.size()); }
FieldPage& PropertySheet::page(int index) { return *pages_.at(static_cast<std::size_t>(index)); }
void PropertySheet::showPage(int index) { tabs_->setCurrentIndex(index); }

void PropertySheet::refreshAll() {
  for (FieldPage* page : pages_) page->refresh();
}

bool PropertySheet::enter(const std::string& field, const std::string& text) {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]->hasField(field)) {
      showPage(static_cast<int>(i));
      return pages_[i]->enter(field, text);
    }
  }
  return false;
}

std::string PropertySheet::shown(const std::string& field) const {
  for (const FieldPage* page : pages_) {
    if (page->hasField(field)) return page->shown(field);
  }
  return {};
}

void PropertySheet::accept() {
  const int front = tabs_->currentIndex();
  if (front >= 0 && !pages_[static_cast<std::size_t>(front)]->commit()) return;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (const auto missing = pages_[i]->firstMissing()) {
      const std::string title = tabs_->tabText(static_cast<int>(i)).toStdString();
      ui_.message(pageNeedsCompletion(static_cast<int>(i) + 1, *missing, title));
      showPage(static_cast<int>(i));
      pages_[i]->focusField(*missing);
      return;
    }
  }
  QDialog::accept();
}

void addPartPages(PropertySheet& sheet, CPart& part, const CCircDoc& doc, bool filled,
                  const OpenFileChooser& chooseFile) {
  sheet.addPage("Part Number", [&part](FieldVisitor& f) { part.identityPage(f); });
  FieldCounter params;
  part.paramPage(params);
  if (params.count > 0) {
    sheet.addPage("Parameters", [&part](FieldVisitor& f) { part.paramPage(f); }, filled);
    if (chooseFile && (part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType)) {
      addSubFileBrowse(sheet.page(sheet.pageCount() - 1), part, chooseFile);
    }
  }
  FieldCounter temps;
  if (part.tempPage(temps) && temps.count > 0) {
    sheet.addPage("Temperature", [&part](FieldVisitor& f) { part.tempPage(f); }, filled);
  }
  sheet.addPage("Limits", [&part](FieldVisitor& f) { part.limitsPage(f); });
  if (!doc.isHybrid() && doc.header().HASSMT != 0) {
    sheet.addPage("SMT", [&part](FieldVisitor& f) { part.smtPage(f); });
  }
  sheet.addPage("Notes", [&part](FieldVisitor& f) { part.notesPage(f); });
}

void addHeaderPages(PropertySheet& sheet, CCircHeader& header, bool hybrid) {
  if (hybrid) {
    sheet.addPage("Hybrid Header", [&header](FieldVisitor& f) { header.hybridPage(f); });
  } else {
    sheet.addPage("Circuit Header", [&header](FieldVisitor& f) { header.circuitPage(f); });
    sheet.addPage("SMT", [&header](FieldVisitor& f) { header.smtPage(f); });
  }
  sheet.addPage("Notes", [&header](FieldVisitor& f) { header.notesPage(f); });
}

}  // namespace kestrel::gui
