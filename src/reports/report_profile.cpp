#include "reports/report_profile.hpp"

namespace kestrel {

ReportSettings loadReportSettings(const Settings& settings) {
  ProfileValues values;
  for (const char* key : {"Format", "SortBy", "TopMargin", "LeftMargin", "Company", "MissionResults",
                          "WarningMsg", "HybridPiFactors"}) {
    values[key] = settings.text(kReportProfileSection, key);
  }
  return readReportSettings(values);
}

void storeReportSettings(Settings& settings, const ReportSettings& report) {
  for (const auto& [key, value] : writeReportSettings(report)) {
    settings.setText(kReportProfileSection, key, value);
  }
}

}  // namespace kestrel
