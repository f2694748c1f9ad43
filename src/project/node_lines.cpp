#include "project/node_lines.hpp"

#include <cmath>
#include <filesystem>

#include "core/circ_header.hpp"
#include "core/number_format.hpp"
#include "core/stale_results.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "project/project_tree.hpp"

namespace kestrel {
namespace {

std::string environmentName(std::uint8_t env) { return std::string(kEnvironments.text(env)); }

std::string modelName(std::uint8_t model) { return std::string(kModels.text(kModels.clamp(model))); }

void documentLines(const CProjPart& node, std::string_view prefixText, std::vector<std::string>& lines) {
  const char* prefix = prefixText.data();
  const int prefixLength = static_cast<int>(prefixText.size());
  std::string label = nodeLabel(node);
  if (node.state == ProjNodeState::Missing) label += "  *MISSING*";
  if (node.state == ProjNodeState::Cycle) label += "  *CYCLE*";
  lines.push_back(lineprintf("%.*s%s", prefixLength, prefix, label.c_str()));

  if (node.header) {
    const CCircHeader& h = *node.header;
    const std::string env = "Env:" + environmentName(h.environment());
    const std::string cf = "CF:" + formatNumber(h.CF, 4, 2);
    const std::string temp = "Temp:" + formatNumber(h.TEMP, 6, 2) + " C";
    const std::string recs = strprintf("Recs:%u", static_cast<unsigned>(node.recordCount));
    const std::string model = "Model:" + modelName(h.MODEL);
    const std::string kOfN = h.MODEL == kModelKofN ? strprintf("(%.0f-of-N)", static_cast<double>(h.NREQ)) : "";
    lines.push_back(lineprintf("%.*s%-9.9s   %-7.7s   %-13.13s   %-11.11s   %s %s", prefixLength, prefix, env.c_str(),
                               cf.c_str(), temp.c_str(), recs.c_str(), model.c_str(), kOfN.c_str()));
    lines.push_back(lineprintf("%.*sDescr: %-60.60s", prefixLength, prefix, h.DESCR.c_str()));

    if ((h.CalcFlags & HeaderBasicDone) == 0) {
      lines.push_back(lineprintf("%.*s*NOCALC*", prefixLength, prefix));
    } else {
      const std::string fr = "FR=" + formatNumber(h.TotalFR, 10, 6);
      const std::string mtbf = "MTBF=" + formatNumber(h.MTBF, 12, 2) + " hrs.";
      const double count = h.PartsCount;
      const std::string parts = count == std::floor(count) && std::fabs(count) < 1e12
                                    ? strprintf("Parts=%.0f", count)
                                    : "Parts=" + formatNumber(count, 6, 2);
      lines.push_back(lineprintf("%.*s%-15.15s  %-22.22s  %-12.12s", prefixLength, prefix, fr.c_str(), mtbf.c_str(),
                                 parts.c_str()));
      if ((h.CalcFlags & HeaderMissionDone) != 0) {
        const std::string time = "Time=" + formatNumber(h.MissionTime, 12, 2) + " hrs.";
        const std::string missionR = "MissionR=" + formatNumber(h.MissionR, 8, 6);
        const std::string basicR = "BasicR=" + formatNumber(h.BasicR, 8, 6);
        const std::string missionMtbf = (h.CalcFlags & HeaderMissionMtbfDone) != 0
                                            ? "MissionMTBF=" + formatNumber(h.MissionMTBF, 8, 2) + " hrs."
                                            : std::string();
        lines.push_back(lineprintf("%.*s%-29.29s  %-17.17s  %-15.15s  %-20.20s", prefixLength, prefix, time.c_str(),
                                   missionR.c_str(), basicR.c_str(), missionMtbf.c_str()));
      }
    }
  }

  if (node.record) {
    const CPart& link = *node.record;
    const std::string tfr = "TFR=" + formatNumber(link.TFR(), 10, 6);
    const std::string qty = strprintf("Qty:%-3.0f", static_cast<double>(link.QTY));
    const std::string dc = "DC:" + formatNumber(link.DutyCycle, 6, 2) + "%";
    const std::string cf = "CF:" + formatNumber(link.CF, 5, 2);
    // The parent's stored result for this child, checked against the child's
    // own totals once the parent has been calculated.
    const bool overtaken = node.header && (link.CalcFlags & PartBasicDone) != 0 &&
                           subFileMismatch(link, *node.header) != nullptr;
    lines.push_back(lineprintf("%.*sItem Rollup >>> %-15.15s  %-7.7s  %-11.11s  %-8.8s%s", prefixLength, prefix,
                               tfr.c_str(), qty.c_str(), dc.c_str(), cf.c_str(),
                               overtaken ? "  *NOT CURRENT*" : ""));
  }
}

}  // namespace

std::string indentPrefix(int level) { return std::string(static_cast<std::size_t>(level < 0 ? 0 : level) * 3, ' '); }

std::string nodeLabel(const CProjPart& node) {
  return upperCased(std::filesystem::path(node.file).filename().string());
}

std::vector<std::string> nodeLines(const CProjPart& node) { return nodeLines(node, indentPrefix(node.level)); }

std::vector<std::string> nodeLines(const CProjPart& node, std::string_view prefix) {
  std::vector<std::string> lines;
  if (node.isDocument()) {
    documentLines(node, prefix, lines);
  } else if (node.record) {
    lines.push_back(identityLine(*node.record, prefix));
    lines.push_back(resultLine(*node.record, prefix, node.shareBase, true));
  }
  return lines;
}

std::string nodeDetailText(const CProjPart& node) {
  if (!node.isDocument() && node.record) return partDetailText(*node.record, node.shareBase);
  std::string text;
  for (const std::string& line : nodeLines(node, "")) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace kestrel
