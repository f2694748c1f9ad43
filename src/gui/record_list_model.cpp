#include "gui/record_list_model.hpp"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStyle>
#include <algorithm>

#include "core/circ_doc.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {
namespace {

// A number padded for decimal alignment keeps its trailing blanks on screen
// (a right-aligned cell drops plain ones).
QString aligned(const std::string& padded) {
  QString text = qtext(padded);
  for (qsizetype i = text.size() - 1; i >= 0 && text[i] == QLatin1Char(' '); --i) text[i] = QChar(0x00A0);
  return text;
}

}  // namespace

RecordListModel::RecordListModel(CCircDoc& doc, QObject* parent) : QAbstractTableModel(parent), doc_(doc) {
  reload();
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(doc_.count());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  static const char* const kTitles[ColumnCount] = {"Part Number",      "Part Type",  "Qty",
                                                   "Ref. Designators", "TFR (fpmh)", "% of Total FR"};
  if (section < 0 || section >= ColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(kTitles[section]);
  if (role == Qt::TextAlignmentRole && (section == Quantity || section == Tfr || section == Share)) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role == Qt::ToolTipRole && section == Share) {
    return QStringLiteral("Share of the document's failure rate; shown once the document is calculated");
  }
  return {};
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= doc_.count()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return display(row, index.column());
    case kSortRole:
      return sortKey(row, index.column());
    case Qt::TextAlignmentRole:
      if (index.column() == Quantity || index.column() == Tfr || index.column() == Share) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    case Qt::FontRole:
      if (rank(row) >= 0) {
        QFont font = listFont();
        font.setBold(true);
        return font;
      }
      return {};
    case Qt::BackgroundRole:
      // The largest contributor stands out most; the next ones less.
      if (const int r = rank(row); r >= 0)
        return QBrush(r == 0 ? QColor(255, 214, 153) : QColor(255, 236, 204));
      return {};
    case Qt::DecorationRole:
      // A warning sign before the part number of a record its file has overtaken.
      if (index.column() == PartNumber && isNotCurrent(row)) {
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      }
      return {};
    case Qt::ForegroundRole:
      if (isNotCurrent(row)) return QBrush(Qt::gray);
      return {};
    case Qt::ToolTipRole:
      if (isNotCurrent(row)) {
        return QStringLiteral("The sub-file changed since this document was calculated; calculate again");
      }
      if (const int r = rank(row); r >= 0) {
        return r == 0 ? QStringLiteral("Largest contributor to the failure rate")
                      : QStringLiteral("Among the largest contributors to the failure rate");
      }
      return {};
    default:
      return {};
  }
}

QVariant RecordListModel::display(std::size_t row, int column) const {
  const CPart& part = doc_.record(row);
  switch (column) {
    case PartNumber:
      return qtext(part.PN);
    case PartType:
      return qtext(part.GetTypeName());
    case Quantity:
      return qtext(strprintf("%.0f", static_cast<double>(part.QTY)));
    case RefDes:
      return qtext(part.REFDES);
    case Tfr:
      // Over-temperature or over-stress shows instead of the number, as in the lists and reports.
      return aligned(part.hasOverFlag() ? std::string("*OVER*") : formatPadded(part.TFR(), 11, 6));
    case Share:
      // No share until the document's total is known.
      return shareBase_ > 0.0 ? aligned(formatPadded(part.TFR() / shareBase_ * 100.0, 5, 2)) : QString();
    default:
      return {};
  }
}

QVariant RecordListModel::sortKey(std::size_t row, int column) const {
  const CPart& part = doc_.record(row);
  // Numbers sort by value; the text columns by what they show.
  switch (column) {
    case Quantity:
      return static_cast<double>(part.QTY);
    case Tfr:
    case Share:
      return part.TFR();
    default:
      return display(row, column);
  }
}

bool RecordListModel::isNotCurrent(std::size_t row) const {
  return std::find(notCurrent_.begin(), notCurrent_.end(), row) != notCurrent_.end();
}

int RecordListModel::rank(std::size_t row) const {
  const auto at = std::find(largest_.begin(), largest_.end(), row);
  return at == largest_.end() ? -1 : static_cast<int>(at - largest_.begin());
}

void RecordListModel::reload() {
  beginResetModel();
  shareBase_ = doc_.shareBase();
  largest_.clear();
  double sum = 0.0;
  for (const auto& part : doc_.records()) sum += part->TFR();
  // One pass keeping the few largest (ties: the earlier record first).
  for (std::size_t i = 0; i < doc_.count(); ++i) {
    const double tfr = doc_.record(i).TFR();
    if (!(tfr > 0.0) || tfr < kMarkedShare * sum) continue;
    auto at = std::find_if(largest_.begin(), largest_.end(),
                           [&](std::size_t other) { return tfr > doc_.record(other).TFR(); });
    if (static_cast<std::size_t>(at - largest_.begin()) >= kMarkedContributors) continue;
    largest_.insert(at, i);
    if (largest_.size() > kMarkedContributors) largest_.pop_back();
  }
  endResetModel();
}

}  // namespace kestrel::gui
