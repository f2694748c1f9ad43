// CReport: the base of the seven report kinds. A report is built from one
// calculated circuit or hybrid document: a header record with the document's
// header data, and one record of text lines per part, kept in the order of
// the chosen sort key. The kinds differ in title, column heading, the lines
// each part gives, the separator between records and their nominal height.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_system.hpp"
#include "core/stale_results.hpp"
#include "reports/report_rec.hpp"
#include "reports/report_settings.hpp"

namespace kestrel {

class CCircDoc;
class CPart;
class Ui;

// Line prefixes: the first line of a record, and every line after it.
inline constexpr std::string_view kFirstLinePrefix = " ";
inline constexpr std::string_view kNextLinePrefix = "    ";

inline constexpr std::string_view kNotCalculatedMessage = "Circuit must be calculated before printing.";

// The settings a print of `doc` uses: a document whose mission stage ran
// prints its mission lines even when the setting is off, so the mission
// results the user asked for are never left out of the paper.
ReportSettings settingsForDocument(ReportSettings settings, const CCircDoc& doc);

class CReport {
 public:
  // `separator`: a line of hyphens follows each record; `nominalHeight`: the
  // record height in lines the page-length check allows for.
  CReport(const ReportSettings& settings, bool separator, int nominalHeight);
  virtual ~CReport() = default;
  CReport(const CReport&) = delete;
  CReport& operator=(const CReport&) = delete;

  // Builds the whole report of `doc`. Refuses an uncalculated document with
  // "Circuit must be calculated before printing." (as a message); false too
  // when the user cancels the assembly. Nothing is printed then.
  bool build(const CCircDoc& doc, Ui& ui);
  // Compares the document's sub-file results with its children before a
  // build; when any is out of date the header of the report built next says
  // so. Returns the records out of date.
  std::vector<StaleRecord> checkCurrent(FileSystem& fs, const CCircDoc& doc);

  // ---- the operations each kind fills in, in slot order ----
  virtual std::string GetTitle() const = 0;
  // Builds every record; the base logs the assembly, builds the header
  // record and formats the part records in document order.
  virtual bool Assemble(const CCircDoc& doc, Ui& ui);
  // Builds the header record.
  virtual void FormatHeader(const CCircDoc& doc);
  virtual std::string FormatColumnHeading() const = 0;
  // Builds one part's record and inserts it in sort order.
  virtual void FormatRecord(const CCircDoc& doc, const CPart& part) = 0;
  // The order named in the page stamp: the sort key's name, unless a kind
  // keeps an order of its own.
  virtual std::string sortName() const { return std::string(sortKeyName(sortKey())); }
  // The column heading of a page that starts with record `first`: the one
  // heading, unless a kind's later records have columns of their own.
  virtual std::string pageColumnHeading(std::size_t first) const {
    (void)first;
    return FormatColumnHeading();
  }

  // ---- what the page layout reads ----
  const ReportRecList& records() const { return records_; }
  const CReportRec& header() const { return header_; }
  std::size_t recordCount() const { return records_.size(); }
  bool separator() const { return separator_; }
  int nominalHeight() const { return nominalHeight_; }
  SortKey sortKey() const { return records_.key(); }
  float topMargin() const { return topMargin_; }
  float leftMargin() const { return leftMargin_; }
  const std::string& company() const { return company_; }
  bool missionResults() const { return missionResults_; }
  bool warningMsg() const { return warningMsg_; }
  bool hybridPiFactors() const { return hybridPiFactors_; }
  // The title of the document the report was built from.
  const std::string& docTitle() const { return docTitle_; }
  // Lines of every part record together.
  std::size_t totalLines() const { return totalLines_; }
  // Pagination notes the first page of each record here.
  void setRecordPage(std::size_t index, std::uint32_t page) { records_[index].page = page; }

 protected:
  // For the kinds whose assembly or sort key differs.
  void setSortKey(SortKey key);
  // The log lines that open every assembly.
  void logAssembly(const CCircDoc& doc, Ui& ui, std::size_t count) const;
  // The user-interrupt check made before records 1, 11, 21, ...: false when
  // the user confirms "Cancel report assembly?" (then "...Cancel (rec#%d)."
  // is logged) or the front end has gone. The bar shows record i of `count`.
  static bool keepGoing(Ui& ui, std::size_t recordNumber, std::size_t count);

  // Inserts a finished record in sort order, counting its lines.
  void insertRecord(CReportRec rec);
  void addHeaderLine(std::string line);
  // "DOC: %s   RECORDS: %u".
  static std::string docLine(const CCircDoc& doc);

  // The total the share columns are taken against (set by build).
  double shareBase() const { return shareBase_; }
  // The part's FormatDetail and FormatFactors lines, blank ones left out.
  static void addDetailLines(CReportRec& rec, const CPart& part);
  static void addFactorLines(CReportRec& rec, const CPart& part);

 private:
  ReportRecList records_;
  CReportRec header_;
  bool separator_;
  int nominalHeight_;
  float topMargin_;
  float leftMargin_;
  std::string company_;
  bool missionResults_;
  bool warningMsg_;
  bool hybridPiFactors_;
  std::string docTitle_;
  std::string notCurrent_;  // the header's warning line, "" when current
  std::size_t totalLines_ = 0;
  double shareBase_ = -1.0;
};

}  // namespace kestrel
