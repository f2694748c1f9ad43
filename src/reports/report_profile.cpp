#include "reports/report_profile.hpp"

namespace kestrel {

ReportSettings loadReportSettings(const Settings& settings) {
  ProfileValues values;
  // The keys are the ones the settings are written under.
  for (const auto& [key, unused] : writeReportSettings(ReportSettings())) {
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
