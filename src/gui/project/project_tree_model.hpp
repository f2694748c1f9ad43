// The project tree as a Qt item model: one item per tree node, a document's
// records and child documents below it. An item's text is the node's lines
// (file name, header, totals, rolled-up record; or a record's identity and
// result lines) without the indentation prefix, which the view draws as
// indentation. Readable documents carry the print check mark.
#pragma once

#include <QAbstractItemModel>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {
class ProjectTree;
class Ui;
}  // namespace kestrel

namespace kestrel::gui {

class ProjectTreeModel final : public QAbstractItemModel {
 public:
  // The role that gives an item's node number in the tree.
  static constexpr int kNodeRole = Qt::UserRole + 1;

  ProjectTreeModel(ProjectTree& tree, Ui& ui, QObject* parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // After the tree was rebuilt.
  void reload();
  std::optional<std::size_t> nodeOf(const QModelIndex& index) const;
  QModelIndex indexOf(std::size_t node) const;
  // The node's lines as the item shows them.
  std::vector<std::string> lines(std::size_t node) const;

 private:
  static constexpr std::size_t kRoot = static_cast<std::size_t>(-1);
  // Items carry their node number plus one; 0 stands for the invisible root.
  static quintptr idOf(std::size_t node) { return node + 1; }

  ProjectTree& tree_;
  Ui& ui_;
  std::vector<std::vector<std::size_t>> children_;  // [0]: the root's; [n + 1]: node n's
  std::vector<std::size_t> parent_;                 // kRoot for the top node
  std::vector<int> row_;                            // row under its parent
};

}  // namespace kestrel::gui
