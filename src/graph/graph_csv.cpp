#include "graph/graph_csv.hpp"

#include "core/doc_file.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/windows1252.hpp"

namespace kestrel::graph {
namespace {

// The file is UTF-8: part numbers come in the records' code page, circuit
// names in the file system's UTF-8.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : mixedToUtf8(text)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string number(double value) { return strprintf("%f", value); }

const char* valueHeader(int type) { return valueOf(type) == Value::Mtbf ? "MTBF" : "FR"; }

// A range sweep or the environment bars: a label column, then one column per series.
void writeSeries(const GraphData& d, std::string& text) {
  const bool bars = sweepOf(d.type) == Sweep::Environment;
  const std::size_t rows = bars ? d.environments.size() : d.x.size();
  for (std::size_t i = 0; i < rows; ++i) {
    text += bars ? quoted(d.environments[i]) : number(d.x[i]);
    for (const auto& series : d.series) text += ',' + number(i < series.size() ? series[i] : 0.0);
    text += '\n';
  }
}

std::string header(const GraphData& d) {
  const std::string value = quoted(valueHeader(d.type));
  switch (sweepOf(d.type)) {
    case Sweep::Temperature: return "\"Temperature\"," + value;
    case Sweep::Environment: return "\"EnvCode\"," + value;
    case Sweep::TemperatureEnvironment: {
      std::string line = "\"Temperature\"";
      for (const std::string& env : d.environments) {
        line += ',' + quoted(std::string(valueHeader(d.type)) + " (" + env + ")");
      }
      return line;
    }
    case Sweep::Stress: return "\"Stress\"," + value;
    case Sweep::Time: return d.timeUnit == TimeUnit::Years ? "\"Time (Years)\",\"R\"" : "\"Time (Hours)\",\"R\"";
    case Sweep::Items: break;
  }
  switch (itemKindOf(d.type)) {
    case ItemKind::PartTypes: return "\"PartType\",\"FR\"";
    case ItemKind::Circuits: return "\"CIR\",\"FR\"";
    default: return "\"PN\",\"FR\",\"CIR\"";
  }
}

}  // namespace

Status graphDataText(const GraphData& d, std::string& text) {
  text.clear();
  if (!isValidGraphType(d.type)) {
    return Status::error(StatusCode::InvalidArgument, typeParameterError("Signature", d.type));
  }
  text = header(d) + '\n';
  if (sweepOf(d.type) != Sweep::Items) {
    writeSeries(d, text);
    return Status::ok();
  }
  const bool records = itemKindOf(d.type) == ItemKind::PartRecords;
  for (const GraphItem& item : d.items) {
    text += quoted(item.name) + ',' + number(item.value);
    if (records) text += ',' + quoted(item.circuit);
    text += '\n';
  }
  return Status::ok();
}

bool writeGraphData(ScratchFiles& files, const ScratchFolder& folder, const std::string& text, Ui& ui) {
  ui.clearProgress();
  ui.progressLine(1, "Graph: Writing Raw Data to CSV File...");
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const WriteResult w = files.writeNewFile(folder.file(kGraphDataFileName), {bytes, text.size()});
  if (w.error == 0) return true;
  const char* what = w.step == WriteResult::Step::Open    ? "can not open"
                     : w.step == WriteResult::Step::Write ? "can not write to"
                                                          : "can not close";
  ui.progressLine(5, strprintf("...Error: %s '%s' file.", what, kGraphDataFileName));
  return false;
}

std::string publishGraphData(FileSystem& fs, const std::string& topPath, const std::string& text, Ui& ui) {
  const auto slash = topPath.find_last_of('/');
  const std::string path =
      (slash == std::string::npos ? std::string() : topPath.substr(0, slash + 1)) + kGraphDataFileName;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (Status s = saveWithBackup(fs, path, {bytes, text.size()}); !s) {
    ui.progressLine(5, strprintf("...Error: can not write to '%s' file.", kGraphDataFileName));
    ui.message(s.message());
    return {};
  }
  return path;
}

}  // namespace kestrel::graph
