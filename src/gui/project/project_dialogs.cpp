#include "gui/project/project_dialogs.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "core/ui.hpp"
#include "gui/qt_text.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {
namespace {

constexpr const char* kSection = "Project Add";

void addOkCancel(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog] { dialog->accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, [dialog] { dialog->reject(); });
}

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

// ---- Project Add ----

ProjectAddDialog::ProjectAddDialog(const std::string& parentName, Settings& settings, Ui& ui, QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui) {
  setWindowTitle(qmixed("Project Add - " + parentName));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qmixed("Add a child item to parent Circuit '" + parentName + "':"), this));
  auto* group = new QGroupBox(tr("Child Item"), this);
  auto* kinds = new QVBoxLayout(group);
  circuit_ = new QRadioButton(tr("Sub&Circuit (.cir)"), group);
  hybrid_ = new QRadioButton(tr("Sub&Hybrid (.hyb)"), group);
  kinds->addWidget(circuit_);
  kinds->addWidget(hybrid_);
  layout->addWidget(group);

  auto* form = new QFormLayout;
  file_ = new QLineEdit(this);
  file_->setObjectName("File");
  form->addRow(tr("Child &File (in the parent's directory)"), file_);
  const std::pair<const char*, const char*> fields[] = {
      {"PN", "&Part Number"}, {"REFDES", "&Ref. Des."}, {"QTY", "&Quantity"}};
  for (const auto& [keyword, label] : fields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(keyword);
    form->addRow(tr(label), edit);
    fields_.emplace_back(keyword, edit);
  }
  layout->addLayout(form);
  addOkCancel(this, layout);

  setMode(settings_.whole(kSection, "Mode") == 1 ? ChildMode::SubHybrid : ChildMode::SubCircuit);
  file_->setText(qmixed(settings_.text(kSection, "File")));
}

void ProjectAddDialog::setMode(ChildMode mode) {
  hybrid_->setChecked(mode == ChildMode::SubHybrid);
  circuit_->setChecked(mode != ChildMode::SubHybrid);
}

void ProjectAddDialog::setFile(const std::string& file) { file_->setText(qmixed(file)); }

void ProjectAddDialog::setField(const std::string& keyword, const std::string& value) {
  for (auto& [name, edit] : fields_) {
    if (name == keyword) edit->setText(qtext(value));
  }
}

ChildMode ProjectAddDialog::mode() const { return hybrid_->isChecked() ? ChildMode::SubHybrid : ChildMode::SubCircuit; }

std::string ProjectAddDialog::file() const { return trimmed(file_->text().toStdString()); }

std::vector<std::string> ProjectAddDialog::assignments() const {
  std::vector<std::string> out;
  for (const auto& [keyword, edit] : fields_) {
    const std::string value = trimmed(edit->text().toStdString());
    if (!value.empty()) out.push_back(keyword + "=" + value);
  }
  return out;
}

void ProjectAddDialog::accept() {
  if (file().empty()) {
    ui_.message("Please enter the name of the child file.");
    file_->setFocus();
    return;
  }
  settings_.setWhole(kSection, "Mode", mode() == ChildMode::SubHybrid ? 1 : 0);
  settings_.setText(kSection, "File", std::filesystem::path(file()).filename().string());
  QDialog::accept();
}

// ---- Move ----

MoveTargetDialog::MoveTargetDialog(const std::string& childName, std::vector<Target> targets, QWidget* parent)
    : QDialog(parent), targets_(std::move(targets)) {
  setWindowTitle(tr("Move Child Item"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(qmixed("Move '" + childName + "' to parent Circuit:"), this));
  list_ = new QComboBox(this);
  list_->setObjectName("NewParent");
  for (const Target& t : targets_) list_->addItem(qmixed(t.label));
  layout->addWidget(list_);
  addOkCancel(this, layout);
}

bool MoveTargetDialog::choose(std::size_t node) {
  for (std::size_t i = 0; i < targets_.size(); ++i) {
    if (targets_[i].node == node) {
      list_->setCurrentIndex(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

std::size_t MoveTargetDialog::chosen() const {
  const int at = list_->currentIndex();
  return at >= 0 && static_cast<std::size_t>(at) < targets_.size() ? targets_[static_cast<std::size_t>(at)].node
                                                                    : static_cast<std::size_t>(-1);
}

}  // namespace kestrel::gui
