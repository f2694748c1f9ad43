#include "gui/convert_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/qt_text.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kSection = "Convert Type";

}  // namespace

ConvertTypeDialog::ConvertTypeDialog(const std::string& currentType, const std::vector<std::string>& menu,
                                     bool hybrid, Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), hybrid_(hybrid) {
  setWindowTitle(tr("Convert Type"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto* current = new QLabel(qtext(currentType), this);
  current->setObjectName("CurrentType");
  form->addRow(tr("Current Part Type"), current);
  types_ = new QComboBox(this);
  types_->setObjectName("PartType");
  for (std::size_t i = 1; i < menu.size(); ++i) types_->addItem(qtext(menu[i]));
  form->addRow(tr("New Part &Type"), types_);
  defaultsBox_ = new QCheckBox(tr("Fill in &default parameters"), this);
  defaultsBox_->setChecked(true);
  form->addRow(defaultsBox_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
  // An index outside the menu reads as none: the first type is offered.
  const long stored = settings_.whole(kSection, hybrid ? "HybType" : "CircType");
  if (stored >= 1 && stored <= types_->count()) types_->setCurrentIndex(static_cast<int>(stored) - 1);
}

void ConvertTypeDialog::choose(std::size_t menuIndex, bool defaults) {
  if (menuIndex >= 1 && menuIndex <= static_cast<std::size_t>(types_->count())) {
    types_->setCurrentIndex(static_cast<int>(menuIndex) - 1);
  }
  defaultsBox_->setChecked(defaults);
}

void ConvertTypeDialog::accept() {
  index_ = static_cast<std::size_t>(types_->currentIndex() + 1);
  defaults_ = defaultsBox_->isChecked();
  settings_.setWhole(kSection, hybrid_ ? "HybType" : "CircType", static_cast<long>(index_));
  QDialog::accept();
}

}  // namespace kestrel::gui
