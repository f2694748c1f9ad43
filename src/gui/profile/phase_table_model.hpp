// The phases of a mission profile as an editable table: Name, Environment
// (one of the fourteen codes), Temp (C), Hours, On (%) and Dormant. Every
// edit is checked with the profile's own rules before it is taken; a value
// outside its range is refused with the message that names the file and
// the phase, and the table keeps the value it had.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <functional>
#include <string>

#include "core/mission_profile.hpp"
#include "core/ui.hpp"

namespace kestrel::gui {

class PhaseTableModel final : public QAbstractTableModel {
 public:
  enum Column { kName, kEnvironment, kTemperature, kHours, kPowered, kDormant, kColumns };

  // `profile` stays the caller's; `pathForMessages` names the file in refusals.
  PhaseTableModel(MissionProfile& profile, Ui& ui, std::function<std::string()> pathForMessages,
                  QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Takes the typed text (or the chosen code) when the profile with it
  // passes its check; otherwise tells why and returns false.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The phase list changed as a whole (add, remove, move, another profile).
  void reload();
  // Called after every change the table made to the profile.
  std::function<void()> onEdited;

 private:
  MissionProfile& profile_;
  Ui& ui_;
  std::function<std::string()> pathForMessages_;
};

// The Environment column's editor: a list of the fourteen codes.
class EnvironmentDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

}  // namespace kestrel::gui
