#include "reports/page_device.hpp"

#include <array>

namespace kestrel {
namespace {

constexpr std::array<FontSpec, kFontRoleCount> kReportFonts = {{
    {"Courier New", 9, 400},  // body
    {"Courier New", 9, 700},  // heading
    {"Arial", 12, 400},       // title
    {"Arial", 9, 400},        // small
}};

int inchesToUnits(double inches) { return static_cast<int>(inches * FileDevice::kDpi); }

}  // namespace

const FontSpec& reportFont(FontRole role) { return kReportFonts[static_cast<std::size_t>(role)]; }

FileDevice::FileDevice(const Paper& paper) : paper_(paper) {
  const int strip = inchesToUnits(kUnprintableInches);
  caps_.dpiX = kDpi;
  caps_.dpiY = kDpi;
  caps_.offsetLeft = strip;
  caps_.offsetTop = strip;
  caps_.offsetBottom = strip;
  caps_.printableWidth = paperWidth() - 2 * strip;
  caps_.printableHeight = paperHeight() - 2 * strip;
}

int FileDevice::paperWidth() const { return inchesToUnits(paper_.widthInches); }
int FileDevice::paperHeight() const { return inchesToUnits(paper_.heightInches); }

}  // namespace kestrel
