// CReportRec: one block of report lines (one per part record, and one for
// the page header) with the fields it is sorted by; and the ordered list of
// them a report keeps, each new record inserted before the first one that
// sorts after it, so records with equal keys keep document order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reports/report_settings.hpp"

namespace kestrel {

class CPart;

class CReportRec {
 public:
  CReportRec() = default;
  // A record sorted by the fields of a part (PN, PN2, REFDES, LCN, type, QTY, TFR).
  explicit CReportRec(const CPart& part);

  // Appends a line (the line array grows by 20 lines at a time).
  void addLine(std::string line);
  std::uint16_t lineCount() const { return lineCount_; }
  const std::vector<std::string>& lines() const { return lines_; }

  std::uint32_t page = 0;  // first page the record is printed on (1-based); set by pagination
  std::string PN;
  std::string PN2;
  std::string REFDES;
  std::string LCN;
  std::uint16_t partType = 0;
  float QTY = 0.0f;
  float TFR = 0.0f;  // QTY x FR x DutyCycle x 0.01

 private:
  std::vector<std::string> lines_;
  std::uint16_t lineCount_ = 0;
};

// Case-insensitive comparison of two texts (ASCII letters), <0, 0 or >0.
int compareIgnoringCase(std::string_view a, std::string_view b);

// True when `a` sorts strictly before `b` under `key`: part type and texts
// ascending (texts compared ignoring case), TFR and quantity descending.
bool sortsBefore(const CReportRec& a, const CReportRec& b, SortKey key);

// The records of a report in sort order.
class ReportRecList {
 public:
  explicit ReportRecList(SortKey key = SortKey::TypePnRefDes) : key_(key) {}

  SortKey key() const { return key_; }
  // Inserts before the first record that sorts after `rec`; returns its position.
  std::size_t insert(CReportRec rec);
  void clear() { recs_.clear(); }

  std::size_t size() const { return recs_.size(); }
  bool empty() const { return recs_.empty(); }
  CReportRec& operator[](std::size_t i) { return *recs_[i]; }
  const CReportRec& operator[](std::size_t i) const { return *recs_[i]; }

 private:
  SortKey key_;
  // Owned through pointers so an insertion in the middle moves pointers only.
  std::vector<std::unique_ptr<CReportRec>> recs_;
};

}  // namespace kestrel
