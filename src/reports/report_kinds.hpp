// The seven report kinds, and the report types menu that lists them in
// this order: Short List, Full List, Pi Factors, Part Type Summary,
// OverStress Details, Notes, SMT Details. The "Format" setting is the row.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.hpp"
#include "reports/report.hpp"

namespace kestrel {

// The column heading of the kinds that start each record with the identity
// line: "%s%-25.25s  %-25.25s  %-3s  %-25.25s" with " ", "PartNumber",
// "PartType", "Qty", "RefDes".
std::string partColumnHeading();

// One line per part: the short list line.
class CReportShortList final : public CReport {
 public:
  explicit CReportShortList(const ReportSettings& s) : CReport(s, false, 1) {}
  std::string GetTitle() const override { return "Short List Report"; }
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

// Identity, description, result and reliability lines, then the detail lines.
class CReportFullList final : public CReport {
 public:
  explicit CReportFullList(const ReportSettings& s) : CReport(s, true, 5) {}
  std::string GetTitle() const override { return "Full List Report"; }
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

// As the full list, with the factor lines before the detail lines.
class CReportPiFactors final : public CReport {
 public:
  explicit CReportPiFactors(const ReportSettings& s) : CReport(s, true, 7) {}
  std::string GetTitle() const override { return "Pi Factors Report"; }
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

// One line per part type, from the per-type totals of the calculation.
// Sorted by TFR, Qty or PartType only (any other key becomes PartType).
class CReportSummary final : public CReport {
 public:
  explicit CReportSummary(const ReportSettings& s);
  std::string GetTitle() const override { return "Part Type Summary Report"; }
  bool Assemble(const CCircDoc& doc, Ui& ui) override;
  std::string FormatColumnHeading() const override;
  // Parts are not listed one by one: the assembly reads the type totals.
  void FormatRecord(const CCircDoc&, const CPart&) override {}
};

// Identity, result (always with over marks), limits and detail lines.
class CReportOverStress final : public CReport {
 public:
  explicit CReportOverStress(const ReportSettings& s) : CReport(s, true, 5) {}
  std::string GetTitle() const override { return "OverStress Details Report"; }
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

// The identity line and the part's notes title and notes (at most 10
// lines of at most 100 characters).
class CReportNotes final : public CReport {
 public:
  explicit CReportNotes(const ReportSettings& s) : CReport(s, true, 12) {}
  std::string GetTitle() const override { return "Notes Report"; }
  void FormatHeader(const CCircDoc& doc) override;
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

inline constexpr std::size_t kMaxNotesLines = 10;
inline constexpr std::size_t kMaxNotesLineLength = 100;

// The notes split at line breaks into at most 10 lines of at most 100 characters.
std::vector<std::string> notesLines(std::string_view notes);

// The circuit's surface-mount data and, per part, the identity line and the
// SMT line of a surface-mount part; "No SMT Devices" for a hybrid or a
// circuit without surface-mount parts.
class CReportSMT final : public CReport {
 public:
  explicit CReportSMT(const ReportSettings& s) : CReport(s, true, 2) {}
  std::string GetTitle() const override { return "SMT Details Report"; }
  bool Assemble(const CCircDoc& doc, Ui& ui) override;
  void FormatHeader(const CCircDoc& doc) override;
  std::string FormatColumnHeading() const override;
  void FormatRecord(const CCircDoc& doc, const CPart& part) override;
};

// True for a circuit with surface-mount analysis on and at least one
// surface-mounted part.
bool hasSmtParts(const CCircDoc& doc);

// ---- the report types menu ----
inline constexpr int kReportKindCount = 7;

// The kind at a menu row (0..6), set up from `settings`; null for another row.
std::unique_ptr<CReport> createReport(int row, const ReportSettings& settings);
// The menu texts (each kind's title), built from the kinds themselves; fails
// with "Can not create report types menu." when a kind cannot be created.
Status buildReportTypesMenu(std::vector<std::string>& titles);

// Short names of the kinds for the command line, by row: "short", "full",
// "pifactors", "summary", "overstress", "notes", "smt".
std::span<const std::string_view> reportKindNames();
// The row of a kind named by its short name or its title, case ignored; -1 if none.
int findReportKind(std::string_view name);

}  // namespace kestrel
