#include "gui/library/transfer_sheets.hpp"
#include "gui/form_rows.hpp"
#include "gui/qt_text.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/registry.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kTransfer = "Transfer";
constexpr const char* kUpdate = "Update";
constexpr int kPnFilterLength = 40;

void loadFilters(const Settings& s, const char* section, library::PartFilters& f) {
  f.typeOn = s.on(section, "TypeFilter");
  const long type = s.whole(section, "PartType");
  f.type = findPartType(static_cast<std::uint16_t>(type)) != nullptr ? static_cast<std::uint16_t>(type) : 0;
  if (f.type == 0) f.typeOn = false;
  f.pnOn = s.on(section, "PNFilterOn");
  f.pn = s.text(section, "PNFilter").substr(0, kPnFilterLength);
}

void storeFilters(Settings& s, const char* section, const library::PartFilters& f) {
  s.setOn(section, "TypeFilter", f.typeOn);
  s.setWhole(section, "PartType", f.type);
  s.setOn(section, "PNFilterOn", f.pnOn);
  s.setText(section, "PNFilter", f.pn);
}

std::string storedSpec(const Settings& s, const char* section) {
  const std::string spec = s.text(section, "InFileSpec");
  return spec.empty() ? std::string("*.CIR") : spec;
}

// The input row: the input files (a name or a pattern) and their browse button.
QLineEdit* inputRow(QFormLayout* form, QWidget* page, GuiContext& context, const char* browseTitle) {
  auto* row = new QHBoxLayout;
  auto* input = new QLineEdit(page);
  auto* browse = new QPushButton(QObject::tr("&Browse..."), page);
  row->addWidget(input, 1);
  row->addWidget(browse);
  addEntryRow(form, QObject::tr("&Input Filespec"), input, row);
  QObject::connect(browse, &QPushButton::clicked, page, [input, &context, browseTitle] {
    if (!context.chooseFile) return;
    const std::string chosen = context.chooseFile(false, browseTitle, "Circuit Files (*.cir)");
    if (!chosen.empty()) input->setText(QString::fromStdString(chosen));
  });
  return input;
}

QWidget* pageWithForm(QTabWidget* tabs, const QString& name, QFormLayout*& form) {
  auto* page = new QWidget(tabs);
  form = new QFormLayout(page);
  tabs->addTab(page, name);
  return page;
}

void okCancel(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
}

}  // namespace

// ---- the profile ----

library::TransferOptions loadTransferOptions(const Settings& s) {
  library::TransferOptions o;
  o.inputSpec = storedSpec(s, kTransfer);
  o.replaceDuplicates = s.on(kTransfer, "ReplaceDuplicates");
  o.clearRefDes = s.on(kTransfer, "ClearRefDes");
  o.clearLcn = s.on(kTransfer, "ClearLCN");
  o.setQuantityOne = s.on(kTransfer, "SetQuantity1");
  loadFilters(s, kTransfer, o.filters);
  return o;
}

void storeTransferOptions(Settings& s, const library::TransferOptions& o) {
  s.setText(kTransfer, "InFileSpec", o.inputSpec);
  s.setOn(kTransfer, "ReplaceDuplicates", o.replaceDuplicates);
  s.setOn(kTransfer, "ClearRefDes", o.clearRefDes);
  s.setOn(kTransfer, "ClearLCN", o.clearLcn);
  s.setOn(kTransfer, "SetQuantity1", o.setQuantityOne);
  storeFilters(s, kTransfer, o.filters);
}

namespace {
constexpr const char* kUpdateKeys[9] = {"PN2", "RefDes", "Descr", "LCN", "Qty", "CF", "Notes", "AppParams", "SubFiles"};
bool* updateFlag(library::UpdateOptions& o, int i) {
  bool* flags[9] = {&o.pn2, &o.refdes, &o.descr, &o.lcn, &o.quantity, &o.correctionFactor, &o.notes, &o.appParams,
                    &o.recursive};
  return flags[i];
}
}  // namespace

library::UpdateOptions loadUpdateOptions(const Settings& s) {
  library::UpdateOptions o;
  o.inputSpec = storedSpec(s, kUpdate);
  for (int i = 0; i < 9; ++i) *updateFlag(o, i) = s.on(kUpdate, kUpdateKeys[i]);
  loadFilters(s, kUpdate, o.filters);
  return o;
}

void storeUpdateOptions(Settings& s, const library::UpdateOptions& o) {
  s.setText(kUpdate, "InFileSpec", o.inputSpec);
  library::UpdateOptions copy = o;
  for (int i = 0; i < 9; ++i) s.setOn(kUpdate, kUpdateKeys[i], *updateFlag(copy, i));
  storeFilters(s, kUpdate, o.filters);
}

// ---- Filters ----

PartFiltersPage::PartFiltersPage(QWidget* parent) : QWidget(parent) {
  auto* form = new QFormLayout(this);
  typeOn_ = new QCheckBox(tr("Part &Type Filter"), this);
  types_ = new QComboBox(this);
  for (const PartType& t : allPartTypes()) {
    types_->addItem(qtext(std::string(t.menuName)), static_cast<int>(t.id));
  }
  pnOn_ = new QCheckBox(tr("&PN Filter"), this);
  pn_ = new QLineEdit(this);
  pn_->setMaxLength(kPnFilterLength);
  form->addRow(typeOn_, types_);
  form->addRow(pnOn_, pn_);
  form->addRow(new QLabel(tr("A record passes the PN filter when its part number begins with the text."), this));
}

void PartFiltersPage::set(const library::PartFilters& f) {
  typeOn_->setChecked(f.typeOn);
  const int at = types_->findData(static_cast<int>(f.type));
  if (at >= 0) types_->setCurrentIndex(at);
  pnOn_->setChecked(f.pnOn);
  pn_->setText(qtext(f.pn));
}

library::PartFilters PartFiltersPage::get() const {
  library::PartFilters f;
  f.typeOn = typeOn_->isChecked();
  f.type = static_cast<std::uint16_t>(types_->currentData().toInt());
  f.pnOn = pnOn_->isChecked();
  f.pn = stext(pn_->text()).substr(0, kPnFilterLength);
  return f;
}

// ---- Transfer ----

TransferSheet::TransferSheet(const std::string& libraryPath, GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setWindowTitle(tr("Transfer"));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  QFormLayout* form = nullptr;
  QWidget* setup = pageWithForm(tabs, tr("Setup"), form);
  input_ = inputRow(form, setup, context_, "Choose File To Transfer");
  form->addRow(tr("Target Library File"), new QLabel(qmixed(libraryPath), setup));
  replace_ = new QCheckBox(tr("&Replace Duplicate Records"), setup);
  clearRefDes_ = new QCheckBox(tr("Clear Reference &Designator"), setup);
  clearLcn_ = new QCheckBox(tr("Clear &LCN"), setup);
  qtyOne_ = new QCheckBox(tr("Set &Quantity=1"), setup);
  for (QCheckBox* box : {replace_, clearRefDes_, clearLcn_, qtyOne_}) form->addRow(box);
  filters_ = new PartFiltersPage(tabs);
  tabs->addTab(filters_, tr("Filters"));
  layout->addWidget(tabs);
  okCancel(this, layout);
  setOptions(loadTransferOptions(*context_.settings));
}

void TransferSheet::setOptions(const library::TransferOptions& o) {
  input_->setText(QString::fromStdString(o.inputSpec));
  replace_->setChecked(o.replaceDuplicates);
  clearRefDes_->setChecked(o.clearRefDes);
  clearLcn_->setChecked(o.clearLcn);
  qtyOne_->setChecked(o.setQuantityOne);
  filters_->set(o.filters);
}

void TransferSheet::accept() {
  options_.inputSpec = input_->text().toStdString();
  options_.replaceDuplicates = replace_->isChecked();
  options_.clearRefDes = clearRefDes_->isChecked();
  options_.clearLcn = clearLcn_->isChecked();
  options_.setQuantityOne = qtyOne_->isChecked();
  options_.filters = filters_->get();
  storeTransferOptions(*context_.settings, options_);
  QDialog::accept();
}

// ---- Update ----

UpdateSheet::UpdateSheet(const std::string& libraryPath, GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setWindowTitle(tr("Update"));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  QFormLayout* form = nullptr;
  QWidget* setup = pageWithForm(tabs, tr("Setup"), form);
  input_ = inputRow(form, setup, context_, "Choose File To Update");
  form->addRow(tr("Source Library File"), new QLabel(qmixed(libraryPath), setup));
  static constexpr const char* kLabels[9] = {
      "Update PN&2", "Update Reference &Designator", "Update D&escription", "Update &LCN", "Update &Quantity",
      "Update &Correction Factor", "Update &Notes", "Update &Application-Specific Parameters",
      "Also every &sub-circuit and sub-hybrid file below"};
  for (int i = 0; i < 9; ++i) {
    boxes_[i] = new QCheckBox(tr(kLabels[i]), setup);
    form->addRow(boxes_[i]);
  }
  filters_ = new PartFiltersPage(tabs);
  tabs->addTab(filters_, tr("Filters"));
  layout->addWidget(tabs);
  okCancel(this, layout);
  setOptions(loadUpdateOptions(*context_.settings));
}

void UpdateSheet::setOptions(const library::UpdateOptions& o) {
  input_->setText(QString::fromStdString(o.inputSpec));
  library::UpdateOptions copy = o;
  for (int i = 0; i < 9; ++i) boxes_[i]->setChecked(*updateFlag(copy, i));
  filters_->set(o.filters);
}

void UpdateSheet::accept() {
  options_.inputSpec = input_->text().toStdString();
  for (int i = 0; i < 9; ++i) *updateFlag(options_, i) = boxes_[i]->isChecked();
  options_.filters = filters_->get();
  storeUpdateOptions(*context_.settings, options_);
  QDialog::accept();
}

}  // namespace kestrel::gui
