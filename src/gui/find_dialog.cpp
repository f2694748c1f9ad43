#include "gui/find_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/registry.hpp"
#include "gui/qt_text.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kSection = "Circuit Find";

// A stored whole number, 0 when it is outside lo..hi.
long storedChoice(const Settings& settings, const char* key, long lo, long hi) {
  const long value = settings.whole(kSection, key);
  return value >= lo && value <= hi ? value : 0;
}

}  // namespace

FindDialog::FindDialog(const std::vector<std::string>& menu, bool hybrid, Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), hybrid_(hybrid) {
  setWindowTitle(tr("Find"));
  auto* layout = new QVBoxLayout(this);

  auto* modeGroup = new QGroupBox(tr("Find by"), this);
  auto* modes = new QHBoxLayout(modeGroup);
  textMode_ = new QRadioButton(tr("&Text"), modeGroup);
  typeMode_ = new QRadioButton(tr("Part T&ype"), modeGroup);
  modes->addWidget(textMode_);
  modes->addWidget(typeMode_);
  layout->addWidget(modeGroup);

  auto* form = new QFormLayout;
  text_ = new QLineEdit(this);
  text_->setObjectName("FindText");
  text_->setMaxLength(static_cast<int>(kFindTextLength));
  form->addRow(tr("Te&xt"), text_);
  layout->addLayout(form);

  auto* fieldGroup = new QGroupBox(tr("Look in"), this);
  auto* fields = new QGridLayout(fieldGroup);
  pn_ = new QCheckBox(tr("&Part Number"), fieldGroup);
  pn2_ = new QCheckBox(tr("Part Number &2"), fieldGroup);
  refDes_ = new QCheckBox(tr("&Reference Designator"), fieldGroup);
  descr_ = new QCheckBox(tr("&Description"), fieldGroup);
  lcn_ = new QCheckBox(tr("&Logistics Number"), fieldGroup);
  notes_ = new QCheckBox(tr("&Notes"), fieldGroup);
  int slot = 0;
  for (QCheckBox* box : {pn_, pn2_, refDes_, descr_, lcn_, notes_}) {
    fields->addWidget(box, slot / 2, slot % 2);
    ++slot;
  }
  layout->addWidget(fieldGroup);

  auto* typeForm = new QFormLayout;
  types_ = new QComboBox(this);
  types_->setObjectName("PartType");
  for (std::size_t i = 1; i < menu.size(); ++i) types_->addItem(qtext(menu[i]));
  typeForm->addRow(tr("Part Type"), types_);
  layout->addLayout(typeForm);

  auto* fromGroup = new QGroupBox(tr("Search"), this);
  auto* from = new QHBoxLayout(fromGroup);
  fromTop_ = new QRadioButton(tr("From t&op"), fromGroup);
  fromCurrent_ = new QRadioButton(tr("From &current"), fromGroup);
  from->addWidget(fromTop_);
  from->addWidget(fromCurrent_);
  layout->addWidget(fromGroup);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  connect(textMode_, &QRadioButton::toggled, this, [this](bool) { showMode(); });

  setPartTypeMode(storedChoice(settings_, "Mode", 0, 1) == 1);
  setFromCurrent(storedChoice(settings_, "From", 0, 1) == 1);
  text_->setText(qtext(settings_.text(kSection, "Text")));
  RecordFindFields stored;
  stored.pn = settings_.on(kSection, "PN");
  stored.pn2 = settings_.on(kSection, "PN2");
  stored.refDes = settings_.on(kSection, "RefDes");
  stored.descr = settings_.on(kSection, "Descr");
  stored.lcn = settings_.on(kSection, "LCN");
  stored.notes = settings_.on(kSection, "Notes");
  setFields(stored);
  const long type = storedChoice(settings_, hybrid ? "HybType" : "CircType", 1, types_->count());
  setType(type == 0 ? 1 : static_cast<std::size_t>(type));
}

void FindDialog::showMode() {
  const bool text = textMode_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{text_, pn_, pn2_, refDes_, descr_, lcn_, notes_}) {
    w->setEnabled(text);
  }
  types_->setEnabled(!text);
}

void FindDialog::setPartTypeMode(bool partType) {
  typeMode_->setChecked(partType);
  textMode_->setChecked(!partType);
  showMode();
}

void FindDialog::setFromCurrent(bool current) {
  fromCurrent_->setChecked(current);
  fromTop_->setChecked(!current);
}

void FindDialog::setText(const std::string& text) { text_->setText(qtext(text)); }

void FindDialog::setFields(const RecordFindFields& f) {
  pn_->setChecked(f.pn);
  pn2_->setChecked(f.pn2);
  refDes_->setChecked(f.refDes);
  descr_->setChecked(f.descr);
  lcn_->setChecked(f.lcn);
  notes_->setChecked(f.notes);
}

void FindDialog::setType(std::size_t menuIndex) {
  if (menuIndex >= 1 && menuIndex <= static_cast<std::size_t>(types_->count())) {
    types_->setCurrentIndex(static_cast<int>(menuIndex) - 1);
  }
}

void FindDialog::accept() {
  job_.mode = typeMode_->isChecked() ? RecordFindMode::PartType : RecordFindMode::Text;
  job_.fromCurrent = fromCurrent_->isChecked();
  job_.text = stext(text_->text());
  job_.fields = {pn_->isChecked(),    pn2_->isChecked(), refDes_->isChecked(),
                 descr_->isChecked(), lcn_->isChecked(), notes_->isChecked()};
  // The menu lists the kind's table in order: entry i is the table's row i.
  const auto table = menuTable(hybrid_);
  const auto index = static_cast<std::size_t>(types_->currentIndex() + 1);
  job_.typeId = index >= 1 && index <= table.size() ? table[index - 1].id : 0;

  settings_.setWhole(kSection, "Mode", job_.mode == RecordFindMode::PartType ? 1 : 0);
  settings_.setWhole(kSection, "From", job_.fromCurrent ? 1 : 0);
  settings_.setText(kSection, "Text", job_.text);
  settings_.setOn(kSection, "PN", job_.fields.pn);
  settings_.setOn(kSection, "PN2", job_.fields.pn2);
  settings_.setOn(kSection, "RefDes", job_.fields.refDes);
  settings_.setOn(kSection, "Descr", job_.fields.descr);
  settings_.setOn(kSection, "LCN", job_.fields.lcn);
  settings_.setOn(kSection, "Notes", job_.fields.notes);
  settings_.setWhole(kSection, hybrid_ ? "HybType" : "CircType", static_cast<long>(index));
  QDialog::accept();
}

}  // namespace kestrel::gui
