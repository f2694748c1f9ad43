// Graph definition files (".gdf", "Graph Definition Files (*.gdf)"): which
// graph and which ranges, and the chart's attribute block, so a graph can be
// run again. Saved and opened with the checksum and backup helpers every
// document file of the system uses.
//
// Layout (little-endian, the object archive's encoding):
//   offset 0   2 bytes  version word (kGraphDefinitionVersion)
//          2   1 byte   graph type, 0..14
//          3   4 bytes  From  (signed)
//          7   4 bytes  To    (signed)
//         11   4 bytes  Step  (signed)
//         15   1 byte   time unit: 0 hours, 1 years
//         16   text     environment list (at most kMaxEnvironmentText characters)
//       next   4 bytes  Max Items (signed)
//       next   1 byte   include the hierarchy below the top-level document: 0 / 1
//       next   1 byte   calculate mode: 0 basic, 1 mission plus basic
//       next   8 bytes  mission time in hours (double; negative keeps the documents' own)
//       next   4 bytes  attribute block length n: at most what is left before
//                       the checksum, and at most kMaxAttributeBlock
//       next   n bytes  the chart's attribute block (chart_style.hpp)
//   end - 4    4 bytes  additive checksum of every byte before it
// and nothing else: bytes left over are an error.
//
// Open errors: "GDF Open...\n...can not open '%s'...\n...%s.", "GDF
// Open...\n...can not read from '%s'...\n...%s.", "GDF Open...\n...end-of-file
// read error.", "GDF Open...\n...file version error...\n...InVer=%d,
// ReqVer=%d."; save errors "GDF Save...\n...can not open '%s'...\n...%s." and
// "GDF Save...\n...can not write to '%s'...\n...%s."; the cause in brackets:
// "[CFileException...%s]" (the file's message), "[CArchiveException...%d]"
// (kArchive* below), "[CMemoryException]" or "[...]".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "graph/chart_style.hpp"
#include "graph/graph_settings.hpp"

namespace kestrel {
class Settings;
}

namespace kestrel::graph {

inline constexpr std::uint16_t kGraphDefinitionVersion = 1;
inline constexpr std::size_t kMaxAttributeBlock = 64 * 1024;
inline constexpr std::size_t kMaxEnvironmentText = 255;
inline constexpr std::size_t kMaxGraphDefinitionFile = 1024 * 1024;
inline constexpr std::string_view kGraphDefinitionExtension = ".GDF";
inline constexpr std::string_view kGraphDefinitionFilter = "Graph Definition Files (*.gdf)";
inline constexpr std::string_view kSaveDefinitionQuestion = "Do you want to save the Graph Definition for this Graph?";

// Causes of archive errors in messages.
inline constexpr int kArchiveGeneric = 1;     // checksum, bytes left over
inline constexpr int kArchiveBadIndex = 5;    // a value outside its list or range
inline constexpr int kArchiveBadSchema = 7;   // an attribute block the chart cannot take

struct GraphDefinition {
  GraphSettings settings;
  ChartStyle style;
};

std::vector<std::uint8_t> encodeGraphDefinition(const GraphDefinition& definition);
// `path` names the file in messages. `definition` is set only on success.
Status decodeGraphDefinition(std::span<const std::uint8_t> bytes, const std::string& path,
                             GraphDefinition& definition);

Status openGraphDefinition(FileSystem& fs, const std::string& path, GraphDefinition& definition);
// The message of a failed open or save on one line, naming the file: some of
// the definition's own texts ("end-of-file read error", "file version
// error") do not, and a batch run must say which file it was.
std::string graphDefinitionFailure(const Status& failure, const std::string& path);
// Refuses a name that does not end with ".gdf" (case ignored); keeps the
// previous file as "NAME.gdf.BAK".
Status saveGraphDefinition(FileSystem& fs, const std::string& path, const GraphDefinition& definition);

// The last graph definition file opened or saved (section "Graph", key
// "GDFLastFileSpec").
std::string lastGraphDefinition(const Settings& settings);
void rememberGraphDefinition(Settings& settings, const std::string& path);

}  // namespace kestrel::graph
