#include "reports/profile_report.hpp"

#include <algorithm>
#include <vector>

#include "core/choice.hpp"
#include "core/circ_header.hpp"
#include "core/number_format.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/windows1252.hpp"
#include "reports/report_output.hpp"

namespace kestrel {
namespace {

// Phase table: name, environment, temperature, hours, powered-on share,
// dormant multiplier, failure rate, MTBF, reliability.
constexpr const char* kPhaseLine = " %-24.24s %-4s %8s %10s %6s %7s %12s %12s %8s";
// Contributors: part number, failure rate, the file holding the part.
constexpr const char* kContributorLine = "    %-25.25s %12s  %s";

// Paths come from the file system (UTF-8); report lines are Windows-1252.
// A text already in the code page is kept as it is.
std::string lineText(const std::string& text) {
  return isValidUtf8(text) ? utf8ToWindows1252(text).text : text;
}

class CReportProfile final : public CReport {
 public:
  explicit CReportProfile(const ReportSettings& settings) : CReport(settings, false, 1) {}

  std::string GetTitle() const override { return std::string(kProfileReportTitle); }
  std::string FormatColumnHeading() const override {
    return lineprintf(kPhaseLine, "Phase", "Env", "Temp (C)", "Hours", "On (%)", "Dormant", "FR (fpmh)",
                      "MTBF (hrs)", "R");
  }
  // The records are the phases, not a document's parts.
  void FormatRecord(const CCircDoc&, const CPart&) override {}
  std::string sortName() const override { return "Mission Order"; }
  // Pages that go on with the contributors head their columns.
  std::string pageColumnHeading(std::size_t first) const override {
    return contributorsFrom_ > 0 && first >= contributorsFrom_ ? contributorHeading() : FormatColumnHeading();
  }

  void assemble(const ProfileResult& result) {
    formatHeader(result);
    for (const PhaseResult& phase : result.phases) insertRecord(phaseRecord(phase));
    if (result.phases.empty()) return;

    CReportRec heading;
    heading.addLine("");
    heading.addLine(contributorHeading());
    contributorsFrom_ = recordCount() + 1;
    insertRecord(std::move(heading));
    for (std::size_t i = 0; i < result.phases.size(); ++i) {
      insertRecord(contributorRecord(i + 1, result.phases[i]));
    }
  }

 private:
  static std::string contributorHeading() {
    return lineprintf(" %-28.28s %12s  %s", "Top Contributors (PN)", "FR (fpmh)", "File");
  }

  void formatHeader(const ProfileResult& r) {
    addHeaderLine(lineprintf("PROFILE: %s   MODEL: %s", r.profileName.c_str(),
                             std::string(kModels.text(r.model)).c_str()));
    addHeaderLine("FILE: " + lineText(r.profilePath));
    addHeaderLine("TOP-LEVEL DOC: " + lineText(r.topLevelPath));
    addHeaderLine(lineprintf("TotalHours= %s hrs.   AverageFR= %s fpmh   EquivalentMTBF= %s hrs.",
                             formatNumber(r.totalHours, 12, 2).c_str(),
                             formatNumber(r.averageFailureRate, 12, 6).c_str(),
                             formatNumber(r.mtbf, 12, 6).c_str()));
    std::string reliability = strprintf("ProfileR= %s", formatNumber(r.reliability, 8, 6).c_str());
    if (r.repetitions > 1) {
      reliability += lineprintf("   R after %d repetitions= %s", r.repetitions,
                                formatNumber(r.repeatedReliability, 8, 6).c_str());
    }
    addHeaderLine(std::move(reliability));
  }

  static CReportRec phaseRecord(const PhaseResult& p) {
    CReportRec rec;
    const MissionPhase& ph = p.phase;
    rec.addLine(lineprintf(kPhaseLine, ph.name.c_str(), std::string(kEnvironments.text(ph.environment)).c_str(),
                           formatPadded(ph.temperature, 8, 2).c_str(), formatPadded(ph.hours, 10, 2).c_str(),
                           formatPadded(ph.poweredPercent, 6, 2).c_str(), formatPadded(ph.dormantMultiplier, 7, 3).c_str(),
                           formatPadded(p.failureRate, 12, 6).c_str(), formatPadded(p.mtbf, 12, 6).c_str(),
                           formatPadded(p.reliability, 8, 6).c_str()));
    return rec;
  }

  static CReportRec contributorRecord(std::size_t index, const PhaseResult& p) {
    CReportRec rec;
    rec.addLine(lineprintf(" Phase %zu: %s", index, p.phase.name.c_str()));
    std::vector<const PhaseContributor*> order;
    for (const PhaseContributor& c : p.contributors) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const PhaseContributor* a, const PhaseContributor* b) {
      return a->failureRate > b->failureRate;
    });
    for (const PhaseContributor* c : order) {
      rec.addLine(lineprintf(kContributorLine, c->partNumber.c_str(), formatPadded(c->failureRate, 12, 6).c_str(),
                             lineText(c->circuit).c_str()));
    }
    if (order.empty()) rec.addLine("    (no failures in this phase)");
    return rec;
  }

  std::size_t contributorsFrom_ = 0;  // the first phase's contributor record, 0 for none
};

}  // namespace

std::unique_ptr<CReport> buildProfileReport(const ProfileResult& result, const ReportSettings& settings) {
  auto report = std::make_unique<CReportProfile>(settings);
  report->assemble(result);
  return report;
}

Status printProfileReport(const ProfileResult& result, PageDevice& device, Ui& ui, const ReportSettings& settings,
                          const PrintOptions& options, std::uint32_t* pages) {
  const std::unique_ptr<CReport> report = buildProfileReport(result, settings);
  return printReport(*report, device, ui, options, pages);
}

Status renderProfileReport(const ProfileResult& result, const std::string& path, const Paper& paper,
                           std::string& bytes, const ReportSettings& settings, const PrintOptions& options) {
  const auto kind = outputKindForPath(path);
  if (!kind) {
    return Status::error(StatusCode::InvalidArgument,
                         "'" + path + "': a report file ends in .pdf, .rtf or .txt");
  }
  // A file has no one to ask: a page too small for the report is printed anyway.
  PrintOptions batch = options;
  batch.askFirst = false;
  SilentUi ui(false);
  const std::unique_ptr<FileDevice> device = makeFileDevice(*kind, paper);
  if (Status s = printProfileReport(result, *device, ui, settings, batch); !s) return s.namingFile(path);
  return device->finish(bytes);
}

Status writeProfileReport(FileSystem& fs, const ProfileResult& result, const std::string& path,
                          const Paper& paper, const ReportSettings& settings, const PrintOptions& options) {
  std::string bytes;
  if (Status s = renderProfileReport(result, path, paper, bytes, settings, options); !s) return s;
  return writeReportFile(fs, path, bytes);
}

}  // namespace kestrel
