// The Report Setup settings as the user's settings file keeps them, read
// and written the same way by the desktop and the command line.
#pragma once

#include "reports/report_settings.hpp"
#include "shell/settings.hpp"

namespace kestrel {

ReportSettings loadReportSettings(const Settings& settings);
void storeReportSettings(Settings& settings, const ReportSettings& report);

}  // namespace kestrel
