#include "gui/project/project_tree_model.hpp"

#include <QFont>

#include "gui/qt_text.hpp"
#include "project/node_lines.hpp"
#include "project/project_tree.hpp"

namespace kestrel::gui {
namespace {

std::string withoutTrailingBlanks(const std::string& line) {
  const std::size_t end = line.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

}  // namespace

ProjectTreeModel::ProjectTreeModel(ProjectTree& tree, Ui& ui, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), ui_(ui) {
  reload();
}

void ProjectTreeModel::reload() {
  beginResetModel();
  const std::size_t n = tree_.size();
  children_.assign(n + 1, {});
  parent_.assign(n, kRoot);
  row_.assign(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const auto up = tree_.parentOf(i);
    parent_[i] = up ? *up : kRoot;
    std::vector<std::size_t>& siblings = children_[up ? *up + 1 : 0];
    row_[i] = static_cast<int>(siblings.size());
    siblings.push_back(i);
  }
  endResetModel();
}

QModelIndex ProjectTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const std::size_t slot = parent.isValid() ? static_cast<std::size_t>(parent.internalId()) : 0;
  if (slot >= children_.size() || static_cast<std::size_t>(row) >= children_[slot].size()) return {};
  return createIndex(row, 0, idOf(children_[slot][static_cast<std::size_t>(row)]));
}

QModelIndex ProjectTreeModel::parent(const QModelIndex& child) const {
  const auto node = nodeOf(child);
  if (!node || parent_[*node] == kRoot) return {};
  const std::size_t up = parent_[*node];
  return createIndex(row_[up], 0, idOf(up));
}

int ProjectTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const std::size_t slot = parent.isValid() ? static_cast<std::size_t>(parent.internalId()) : 0;
  return slot < children_.size() ? static_cast<int>(children_[slot].size()) : 0;
}

int ProjectTreeModel::columnCount(const QModelIndex&) const { return 1; }

std::optional<std::size_t> ProjectTreeModel::nodeOf(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == 0) return std::nullopt;
  const auto node = static_cast<std::size_t>(index.internalId() - 1);
  if (node >= tree_.size() || node >= parent_.size()) return std::nullopt;
  return node;
}

QModelIndex ProjectTreeModel::indexOf(std::size_t node) const {
  if (node >= row_.size()) return {};
  return createIndex(row_[node], 0, idOf(node));
}

std::vector<std::string> ProjectTreeModel::lines(std::size_t node) const {
  std::vector<std::string> out;
  if (node >= tree_.size()) return out;
  for (const std::string& line : nodeLines(tree_.node(node), "")) out.push_back(withoutTrailingBlanks(line));
  return out;
}

QVariant ProjectTreeModel::data(const QModelIndex& index, int role) const {
  const auto node = nodeOf(index);
  if (!node) return {};
  const CProjPart& part = tree_.node(*node);
  switch (role) {
    case Qt::DisplayRole: {
      QString text;
      for (const std::string& line : lines(*node)) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += qmixed(line);  // record texts beside file names
      }
      return text;
    }
    case Qt::ToolTipRole:
      return qmixed(part.file);
    case Qt::CheckStateRole:
      if (!part.isOpenable()) return {};
      return part.printChecked ? Qt::Checked : Qt::Unchecked;
    case Qt::FontRole: {
      QFont font = listFont();
      font.setBold(part.isDocument());
      return font;
    }
    case kNodeRole:
      return static_cast<qulonglong>(*node);
    default:
      return {};
  }
}

bool ProjectTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const auto node = nodeOf(index);
  if (!node || role != Qt::CheckStateRole) return false;
  const bool wanted = value.toInt() == Qt::Checked;
  if (tree_.node(*node).isOpenable() && tree_.node(*node).printChecked == wanted) return true;
  if (!tree_.toggleCheck(*node, ui_)) return false;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags ProjectTreeModel::flags(const QModelIndex& index) const {
  const auto node = nodeOf(index);
  if (!node) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (tree_.node(*node).isOpenable()) f |= Qt::ItemIsUserCheckable;
  return f;
}

}  // namespace kestrel::gui
