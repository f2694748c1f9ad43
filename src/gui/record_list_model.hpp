// The parts list of a circuit or hybrid window as a table over the document
// in memory: one row per record in the document's order, one column per
// figure of the short list line (part number, type, quantity, reference
// designators, TFR in fpmh, share of the total). Cells are formatted when
// they are shown; the sort role gives raw texts and numbers so a sort proxy
// orders numbers as numbers. The few records that carry most of the failure
// rate are marked so the dominant part is seen at once: up to three, each
// with at least a tenth of the list's TFR (in a short list not every row).
#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <utility>
#include <vector>

namespace kestrel {
class CCircDoc;
}

namespace kestrel::gui {

class RecordListModel final : public QAbstractTableModel {
 public:
  enum Column { PartNumber, PartType, Quantity, RefDes, Tfr, Share, ColumnCount };
  // The role a sort proxy orders by.
  static constexpr int kSortRole = Qt::UserRole + 1;
  // How many of the largest contributors are marked.
  static constexpr std::size_t kMarkedContributors = 3;
  static constexpr double kMarkedShare = 0.10;

  explicit RecordListModel(CCircDoc& doc, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // After any change of the list or of the results.
  void reload();
  // Rows (0-based) of sub-file records whose stored result no longer matches
  // their file; they are greyed, with a warning sign and a tooltip.
  void setNotCurrent(std::vector<std::size_t> rows) { notCurrent_ = std::move(rows); }
  // Rows of the marked contributors by TFR, largest first.
  const std::vector<std::size_t>& largest() const { return largest_; }

 private:
  QVariant display(std::size_t row, int column) const;
  QVariant sortKey(std::size_t row, int column) const;
  // 0 for the largest contributor, 1 for the next, ...; -1 when unmarked.
  int rank(std::size_t row) const;

  CCircDoc& doc_;
  double shareBase_ = -1.0;  // taken once per reload, not per row
  std::vector<std::size_t> largest_;
  std::vector<std::size_t> notCurrent_;
  bool isNotCurrent(std::size_t row) const;
};

}  // namespace kestrel::gui
