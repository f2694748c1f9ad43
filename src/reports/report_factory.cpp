// The report types menu: the seven kinds by row, their titles and their
// short names on the command line.
#include <array>

#include "core/strfmt.hpp"
#include "reports/report_kinds.hpp"

namespace kestrel {
namespace {

constexpr std::array<std::string_view, kReportKindCount> kKindNames = {
    "short", "full", "pifactors", "summary", "overstress", "notes", "smt"};

}  // namespace

std::unique_ptr<CReport> createReport(int row, const ReportSettings& settings) {
  switch (row) {
    case 0: return std::make_unique<CReportShortList>(settings);
    case 1: return std::make_unique<CReportFullList>(settings);
    case 2: return std::make_unique<CReportPiFactors>(settings);
    case 3: return std::make_unique<CReportSummary>(settings);
    case 4: return std::make_unique<CReportOverStress>(settings);
    case 5: return std::make_unique<CReportNotes>(settings);
    case 6: return std::make_unique<CReportSMT>(settings);
    default: return nullptr;
  }
}

Status buildReportTypesMenu(std::vector<std::string>& titles) {
  titles.clear();
  const ReportSettings settings;
  for (int row = 0; row < kReportKindCount; ++row) {
    const auto report = createReport(row, settings);
    if (!report) {
      titles.clear();
      // A report kind this program lists but can not make: none of the input kinds.
      return Status::error(StatusCode::Failed, "Can not create report types menu.");
    }
    titles.push_back(report->GetTitle());
  }
  return Status::ok();
}

std::span<const std::string_view> reportKindNames() { return kKindNames; }

int findReportKind(std::string_view name) {
  const std::string wanted = upperCased(trimmed(name));
  const ReportSettings settings;
  for (int row = 0; row < kReportKindCount; ++row) {
    if (wanted == upperCased(kKindNames[static_cast<std::size_t>(row)])) return row;
    if (wanted == upperCased(createReport(row, settings)->GetTitle())) return row;
  }
  return -1;
}

}  // namespace kestrel
