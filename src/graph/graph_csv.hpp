// "GRAPH-DATA.CSV": the raw series of a graph as comma-separated lines.
//
// A header line, then one line per point or item, each ending with a line
// feed; numbers printed with "%f", texts in double quotes (a quote inside a
// text is doubled):
//   temperature    "Temperature","FR" | "Temperature","MTBF"     %f,%f
//   environment    "EnvCode","FR" | "EnvCode","MTBF"             "%s",%f
//   curves per     "Temperature","FR (GB)","FR (NS)",...         %f,%f,%f,...
//   environment    (or "MTBF (%s)")
//   stress         "Stress","FR" | "Stress","MTBF"               %f,%f
//   time           "Time (Hours)","R" | "Time (Years)","R"       %f,%f
//   part records   "PN","FR","CIR"                               "%s",%f,"%s"
//   part types     "PartType","FR"                               "%s",%f
//   circuits       "CIR","FR"                                    "%s",%f
// The percent types write their percents in the "FR" column.
#pragma once

#include <string>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "graph/graph_data.hpp"
#include "graph/scratch_files.hpp"
#include "graph/scratch_folder.hpp"

namespace kestrel {
class Ui;
}

namespace kestrel::graph {

inline constexpr const char* kGraphDataFileName = "GRAPH-DATA.CSV";

// The file's text. A type outside 0..14 fails with "Signature...graph type
// parameter error...%d.".
Status graphDataText(const GraphData& data, std::string& text);

// "Graph: Writing Raw Data to CSV File..." (line 1); writes the file into the
// temporary folder. Failures (line 5): "...Error: can not open
// 'GRAPH-DATA.CSV' file.", "...Error: can not write to 'GRAPH-DATA.CSV'
// file.", "...Error: can not close 'GRAPH-DATA.CSV' file.".
bool writeGraphData(ScratchFiles& files, const ScratchFolder& folder, const std::string& text, Ui& ui);

// The file beside the top-level document, so that it outlives the
// temporary folder: written the safe way, an older one kept as
// "GRAPH-DATA.CSV.BAK". Returns its path, or "" after "...Error: can not
// write to 'GRAPH-DATA.CSV' file." (line 5) and the cause in a message.
std::string publishGraphData(FileSystem& fs, const std::string& topPath, const std::string& text, Ui& ui);

}  // namespace kestrel::graph
