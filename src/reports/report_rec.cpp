#include "reports/report_rec.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/part.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kLineGrowth = 20;

char folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

template <typename T>
int compareDescending(T a, T b) {
  return a > b ? -1 : (a < b ? 1 : 0);
}

template <typename T>
int compareAscending(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// A stored number as a sort value: a damaged record's NaN sorts as the
// smallest value, so the order stays a strict weak one.
float sortValue(float value) {
  return std::isnan(value) ? -std::numeric_limits<float>::infinity() : value;
}

}  // namespace

CReportRec::CReportRec(const CPart& part)
    : PN(part.PN),
      PN2(part.PN2),
      REFDES(part.REFDES),
      LCN(part.LCN),
      partType(part.PART_TYPE),
      QTY(part.QTY),
      TFR(static_cast<float>(part.TFR())) {}

void CReportRec::addLine(std::string line) {
  if (lineCount_ == std::numeric_limits<std::uint16_t>::max()) return;
  if (lines_.size() == lines_.capacity()) lines_.reserve(lines_.size() + kLineGrowth);
  lines_.push_back(std::move(line));
  ++lineCount_;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(folded(a[i]));
    const auto cb = static_cast<unsigned char>(folded(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return compareAscending(a.size(), b.size());
}

bool sortsBefore(const CReportRec& a, const CReportRec& b, SortKey key) {
  int order = 0;
  switch (key) {
    case SortKey::TypePnRefDes:
      order = compareAscending(a.partType, b.partType);
      if (order == 0) order = compareIgnoringCase(a.PN, b.PN);
      if (order == 0) order = compareIgnoringCase(a.REFDES, b.REFDES);
      break;
    case SortKey::PN: order = compareIgnoringCase(a.PN, b.PN); break;
    case SortKey::PN2: order = compareIgnoringCase(a.PN2, b.PN2); break;
    case SortKey::RefDes: order = compareIgnoringCase(a.REFDES, b.REFDES); break;
    case SortKey::LCN: order = compareIgnoringCase(a.LCN, b.LCN); break;
    case SortKey::TFR: order = compareDescending(sortValue(a.TFR), sortValue(b.TFR)); break;
    case SortKey::Qty: order = compareDescending(sortValue(a.QTY), sortValue(b.QTY)); break;
    case SortKey::PartType: order = compareAscending(a.partType, b.partType); break;
  }
  return order < 0;
}

std::size_t ReportRecList::insert(CReportRec rec) {
  // Records often arrive in order already (the document keeps them by type,
  // part number and reference designator): then the new one goes last.
  if (recs_.empty() || !sortsBefore(rec, *recs_.back(), key_)) {
    recs_.push_back(std::make_unique<CReportRec>(std::move(rec)));
    return recs_.size() - 1;
  }
  // The list is always in order, so the first record that sorts after the
  // new one is found by bisection.
  const auto at = std::upper_bound(
      recs_.begin(), recs_.end(), rec,
      [this](const CReportRec& value, const std::unique_ptr<CReportRec>& element) {
        return sortsBefore(value, *element, key_);
      });
  const auto position = static_cast<std::size_t>(at - recs_.begin());
  recs_.insert(at, std::make_unique<CReportRec>(std::move(rec)));
  return position;
}

}  // namespace kestrel
