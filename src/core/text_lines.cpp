#include "core/text_lines.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "core/number_format.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// The over flags that have a name in the limits line, in print order.
struct NamedOverFlag {
  std::uint32_t bit;
  const char* name;
};
constexpr NamedOverFlag kPrintedOverFlags[] = {
    {OverTemp, " OverTemp"},
    {OverStress, " OverStress"},
    {EnvNotValid, " EnvNotValid"},
    {EntryOverRange, " EntryOverRange"},
};
constexpr std::uint32_t kKnownOverFlags = OverStress | OverTemp | EnvNotValid | EntryOverRange;

bool anyOverFlag(const CPart& part) { return (part.OverFlags & kKnownOverFlags) != 0; }

// The caller's prefix, never longer than a whole line.
std::string leadText(std::string_view prefix) {
  return std::string(prefix.substr(0, std::min(prefix.size(), kMaxLineLength)));
}

// A whole number in a "%*.0f" column; asterisks when it does not fit, the
// same way the number formatter marks a value it cannot show.
std::string wholeColumn(double value, int width) {
  if (std::isfinite(value) && std::fabs(value) < 1e70) {
    std::string text = strprintf("%*.0f", width, value);
    if (text.size() <= static_cast<std::size_t>(width)) return text;
  }
  return std::string(static_cast<std::size_t>(width), '*');
}

// Share of the circuit total in percent; 0 when there is no total to share.
double sharePercent(const CPart& part, double circuitTotal) {
  if (!(circuitTotal > 0.0)) return 0.0;
  return part.TFR() / circuitTotal * 100.0;
}

}  // namespace

std::string identityLine(const CPart& part, std::string_view prefix) {
  const std::string typeName = part.GetTypeName();
  const std::string qty = wholeColumn(part.QTY, 3);
  return clipped(strprintf("%s%-25.25s  %-25.25s  %s  %-25.25s", leadText(prefix).c_str(),
                           part.PN.c_str(), typeName.c_str(), qty.c_str(),
                           part.REFDES.c_str()));
}

std::string descriptionLine(const CPart& part, std::string_view prefix) {
  return clipped(strprintf("%s%-25.25s  %-60.60s", leadText(prefix).c_str(),
                           part.PN2.c_str(), part.DESCR.c_str()));
}

std::string resultLine(const CPart& part, std::string_view prefix, double circuitTotal,
                       bool overMarks) {
  const std::string lead = leadText(prefix);
  const std::string head = overMarks && anyOverFlag(part)
                               ? strprintf("%-*s", static_cast<int>(lead.size()), "*OVER*")
                               : lead;
  const double tfr = part.TFR();
  const std::string share =
      circuitTotal > 0.0
          ? strprintf("%6s%% ", formatNumber(tfr / circuitTotal * 100.0, 6, 2).c_str())
          : std::string("*NOCALC*");
  const std::string stress =
      part.S < 0.0f ? std::string() : strprintf("S=%s%%", formatNumber(part.S, 5, 2).c_str());
  const std::string smt = part.SmtCalcFlag != 0
                              ? strprintf("FRSMT=%s", formatNumber(part.FRSMT, 8, 6).c_str())
                              : std::string();
  return clipped(strprintf("%sTFR=%10s  [%8s]  FR=%10s   CF=%8s  T=%6sC  %8s  %s", head.c_str(),
                           formatPadded(tfr, 10, 6).c_str(), share.c_str(),
                           formatPadded(part.FR, 10, 6).c_str(), formatNumber(part.CF, 8, 6).c_str(),
                           formatNumber(part.T, 6, 2).c_str(), stress.c_str(), smt.c_str()));
}

std::string reliabilityLine(const CPart& part, std::string_view prefix) {
  const std::string mission = (part.CalcFlags & PartMissionDone) != 0
                                  ? formatPadded(part.MissionR, 8, 6)
                                  : std::string("*NOCALC*");
  const std::string basic = (part.CalcFlags & PartBasicDone) != 0
                                ? formatPadded(part.BasicR, 8, 6)
                                : std::string("*NOCALC*");
  return clipped(strprintf("%sMissionR= %8s   BasicR= %8s", leadText(prefix).c_str(),
                           mission.c_str(), basic.c_str()));
}

std::string shortListLine(const CPart& part, double circuitTotal, bool overMarks) {
  const std::string typeName = part.GetTypeName();
  const std::string qty = wholeColumn(part.QTY, 3);
  const std::string tfr =
      overMarks && anyOverFlag(part) ? std::string("*OVER*") : formatPadded(part.TFR(), 11, 6);
  const std::string share = formatPadded(sharePercent(part, circuitTotal), 5, 2);
  return clipped(strprintf("%-25.25s %-25.25s %s  %-25.25s %11s %5s", part.PN.c_str(),
                           typeName.c_str(), qty.c_str(), part.REFDES.c_str(), tfr.c_str(),
                           share.c_str()));
}

std::string smtLine(const CPart& part) {
  const std::string frsmt = strprintf("FRSMT=%s", formatNumber(part.FRSMT, 8, 6).c_str());
  const std::string package = "Pkg:" + std::string(kSmtPackages.text(part.SMT_PKG)) + "/" +
                              std::string(kSmtLeads.text(part.SMT_LEAD));
  const std::string distance = strprintf("JointDist:%s", formatNumber(part.SMT_DIST, 8, 6).c_str());
  const std::string height = strprintf("JointHt:%s", formatNumber(part.SMT_HT, 8, 6).c_str());
  const std::string rise =
      strprintf("Trise:%s (", formatNumber(part.SMT_TEMPRISE, 6, 2).c_str()) +
      std::string(kSmtTriseModes.text(part.SMT_TRISEMODE)) + ")";
  return clipped(strprintf("%-14s  %-20s  %-18s  %-16s  %-22s", frsmt.c_str(), package.c_str(),
                           distance.c_str(), height.c_str(), rise.c_str()));
}

std::string limitsLine(const CPart& part, std::string_view prefix) {
  const std::string temp = strprintf("TempLimit:%s", formatNumber(part.TEMPLIMIT, 6, 2).c_str());
  const std::string stress =
      strprintf("StressLimit:%s", formatNumber(part.STRESSLIMIT, 5, 2).c_str());
  std::string over;
  if (anyOverFlag(part)) {
    over = "*OVER*:";
    for (const NamedOverFlag& flag : kPrintedOverFlags) {
      if ((part.OverFlags & flag.bit) != 0) over += flag.name;
    }
  }
  return clipped(strprintf("%s%-16s  %-17s  %s", leadText(prefix).c_str(),
                           temp.c_str(), stress.c_str(), over.c_str()));
}

std::string partDetailText(const CPart& part, double circuitTotal) {
  constexpr std::string_view kIndent = "    ";
  std::string factors1, factors2, detail1, detail2;
  part.FormatFactors(factors1, factors2, kIndent);
  part.FormatDetail(detail1, detail2, kIndent);
  return joinLines({identityLine(part, " "), descriptionLine(part, kIndent),
                    resultLine(part, kIndent, circuitTotal, false), clipped(factors1), clipped(factors2),
                    clipped(detail1), clipped(detail2)},
                   "\r\n");
}

}  // namespace kestrel
