#include "gui/profile/phase_table_model.hpp"

#include <QComboBox>
#include <cmath>
#include <limits>

#include "core/choice.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

// The number a column shows, of a phase or of a const phase.
template <typename Phase>
auto numberOf(Phase& phase, int column) -> decltype(&phase.temperature) {
  switch (column) {
    case PhaseTableModel::kTemperature: return &phase.temperature;
    case PhaseTableModel::kHours: return &phase.hours;
    case PhaseTableModel::kPowered: return &phase.poweredPercent;
    case PhaseTableModel::kDormant: return &phase.dormantMultiplier;
    default: return nullptr;
  }
}

// A number as typed: "35", "0.5", "1e4". Anything else is no number, which
// the profile's check then refuses with the field's range.
double typedNumber(const QVariant& value) {
  bool ok = false;
  const double number = value.toString().trimmed().toDouble(&ok);
  return ok ? number : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

PhaseTableModel::PhaseTableModel(MissionProfile& profile, Ui& ui, std::function<std::string()> pathForMessages,
                                 QObject* parent)
    : QAbstractTableModel(parent), profile_(profile), ui_(ui), pathForMessages_(std::move(pathForMessages)) {}

int PhaseTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(profile_.phases.size());
}

int PhaseTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant PhaseTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const MissionPhase& phase = profile_.phases[static_cast<std::size_t>(index.row())];
  if (role == Qt::TextAlignmentRole) {
    return index.column() >= kTemperature ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                          : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role == Qt::ToolTipRole && index.column() == kEnvironment) {
    return qtext(kEnvironmentMeanings[kEnvironments.clamp(phase.environment)]);
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (index.column() == kName) return qtext(phase.name);
  if (index.column() == kEnvironment) return qtext(kEnvironments.text(phase.environment));
  const double* number = numberOf(phase, index.column());
  return number != nullptr ? QString::number(*number, 'g', 12) : QVariant();
}

QVariant PhaseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const titles[kColumns] = {"Name", "Environment", "Temp (C)", "Hours", "On (%)", "Dormant"};
  return section >= 0 && section < kColumns ? tr(titles[section]) : QVariant();
}

Qt::ItemFlags PhaseTableModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool PhaseTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
  const auto row = static_cast<std::size_t>(index.row());
  MissionProfile candidate = profile_;
  MissionPhase& phase = candidate.phases[row];
  if (index.column() == kName) {
    phase.name = stext(value.toString().trimmed());
  } else if (index.column() == kEnvironment) {
    // A code outside the list stays outside (0), and the check names it.
    phase.environment = static_cast<std::uint8_t>(kEnvironments.find(value.toString().trimmed().toStdString()));
  } else if (double* number = numberOf(phase, index.column())) {
    *number = typedNumber(value);
  } else {
    return false;
  }
  if (candidate.phases[row] == profile_.phases[row]) return true;
  if (Status s = checkProfile(candidate, pathForMessages_()); !s) {
    ui_.message(s.message());
    return false;
  }
  profile_.phases[row] = candidate.phases[row];
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  if (onEdited) onEdited();
  return true;
}

void PhaseTableModel::reload() {
  beginResetModel();
  endResetModel();
}

QWidget* EnvironmentDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* box = new QComboBox(parent);
  for (unsigned code = 1; code <= kEnvironments.count(); ++code) {
    box->addItem(qtext(kEnvironments.text(code)));
    box->setItemData(box->count() - 1, qtext(kEnvironmentMeanings[code]), Qt::ToolTipRole);
  }
  return box;
}

void EnvironmentDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* box = static_cast<QComboBox*>(editor);
  const int at = box->findText(index.data(Qt::EditRole).toString());
  if (at >= 0) box->setCurrentIndex(at);
}

void EnvironmentDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

}  // namespace kestrel::gui
