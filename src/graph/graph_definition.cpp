#include "graph/graph_definition.hpp"

#include <new>

#include "core/archive.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/strfmt.hpp"
#include "shell/settings.hpp"

namespace kestrel::graph {
namespace {

constexpr std::size_t kChecksumSize = 4;

Status openError(StatusCode code, const std::string& what, const std::string& path,
                 const std::string& cause) {
  return Status::error(
      code, strprintf("GDF Open...\n...%s '%s'...\n...%s.", what.c_str(), path.c_str(), cause.c_str()));
}
Status readError(const std::string& path, int code) {
  return openError(StatusCode::Corrupt, "can not read from", path,
                   strprintf("[CArchiveException...%d]", code));
}
Status endOfFile() {
  return Status::error(StatusCode::Corrupt, "GDF Open...\n...end-of-file read error.");
}

std::uint32_t asWord(long value) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(value)); }
long fromWord(std::uint32_t word) { return static_cast<std::int32_t>(word); }

// The fields in file order, both ways; the attribute block is apart.
struct Fields {
  std::uint16_t version = kGraphDefinitionVersion;
  std::uint8_t type = 0;
  std::uint32_t from = 0, to = 0, step = 0;
  std::uint8_t unit = 0;
  std::string environments;
  std::uint32_t maxItems = 0;
  std::uint8_t hierarchy = 0;
  std::uint8_t mission = 0;
  double missionTime = -1.0;

  void settingsIo(Archive& ar) {
    ar.io(type);
    ar.io(from);
    ar.io(to);
    ar.io(step);
    ar.io(unit);
    ar.io(environments);
    ar.io(maxItems);
    ar.io(hierarchy);
    ar.io(mission);
    ar.io(missionTime);
  }
};

Status decodeFields(std::span<const std::uint8_t> body, const std::string& path, GraphDefinition& out) {
  Archive ar = Archive::forReading(body, path);
  Fields f;
  ar.io(f.version);
  if (!ar.ok()) return endOfFile();
  if (f.version != kGraphDefinitionVersion) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("GDF Open...\n...file version error...\n...InVer=%d, ReqVer=%d.",
                                   f.version, kGraphDefinitionVersion));
  }
  f.settingsIo(ar);
  std::uint32_t length = 0;
  ar.io(length);
  if (!ar.ok()) return endOfFile();
  if (length > kMaxAttributeBlock) return readError(path, kArchiveBadIndex);
  if (length > ar.remaining()) return endOfFile();
  const std::span<const std::uint8_t> block = body.subspan(ar.position(), length);
  if (ar.remaining() != length) return readError(path, kArchiveGeneric);

  const bool valid = isValidGraphType(f.type) && f.unit <= 1 && f.hierarchy <= 1 && f.mission <= 1 &&
                     f.environments.size() <= kMaxEnvironmentText && f.missionTime == f.missionTime;
  if (!valid) return readError(path, kArchiveBadIndex);

  GraphDefinition d;
  ChartForm form{};
  if (!decodeChartAttributes(block, d.style, form) || form != formOf(f.type)) {
    return readError(path, kArchiveBadSchema);
  }
  d.settings.type = f.type;
  d.settings.from = fromWord(f.from);
  d.settings.to = fromWord(f.to);
  d.settings.step = fromWord(f.step);
  d.settings.timeUnit = f.unit == 1 ? TimeUnit::Years : TimeUnit::Hours;
  d.settings.environments = f.environments;
  d.settings.maxItems = fromWord(f.maxItems);
  d.settings.includeHierarchy = f.hierarchy == 1;
  d.settings.mission = f.mission == 1;
  d.settings.missionTime = f.missionTime;
  out = std::move(d);
  return Status::ok();
}

}  // namespace

std::vector<std::uint8_t> encodeGraphDefinition(const GraphDefinition& d) {
  Archive ar = Archive::forWriting();
  Fields f;
  const GraphSettings& s = d.settings;
  f.type = static_cast<std::uint8_t>(s.type);
  f.from = asWord(s.from);
  f.to = asWord(s.to);
  f.step = asWord(s.step);
  f.unit = s.timeUnit == TimeUnit::Years ? 1 : 0;
  f.environments = s.environments.substr(0, kMaxEnvironmentText);
  f.maxItems = asWord(s.maxItems);
  f.hierarchy = s.includeHierarchy ? 1 : 0;
  f.mission = s.mission ? 1 : 0;
  f.missionTime = s.missionTime;
  ar.io(f.version);
  f.settingsIo(ar);
  const ChartForm form = isValidGraphType(s.type) ? formOf(s.type) : ChartForm::SingleCurve;
  std::vector<std::uint8_t> block = encodeChartAttributes(d.style, form);
  std::uint32_t length = static_cast<std::uint32_t>(block.size());
  ar.io(length);
  std::vector<std::uint8_t> bytes = ar.bytes();
  bytes.insert(bytes.end(), block.begin(), block.end());
  appendChecksum(bytes);
  return bytes;
}

Status decodeGraphDefinition(std::span<const std::uint8_t> bytes, const std::string& path, GraphDefinition& out) {
  try {
    if (bytes.size() < sizeof(std::uint16_t) + kChecksumSize) return endOfFile();
    if (!checksumMatches(bytes)) return readError(path, kArchiveGeneric);
    return decodeFields(bytes.first(bytes.size() - kChecksumSize), path, out);
  } catch (const std::bad_alloc&) {
    // Out of memory is none of the kinds a caller tells apart.
    return openError(StatusCode::Failed, "can not read from", path, "[CMemoryException]");
  } catch (...) {
    // An unforeseen fault while decoding: no kind can be named for it.
    return openError(StatusCode::Failed, "can not read from", path, "[...]");
  }
}

Status openGraphDefinition(FileSystem& fs, const std::string& path, GraphDefinition& definition) {
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxGraphDefinitionFile); !s) {
    return openError(s.code(), "can not open", path, "[CFileException..." + s.message() + "]");
  }
  return decodeGraphDefinition(bytes, path, definition);
}

std::string graphDefinitionFailure(const Status& failure, const std::string& path) {
  std::string text;
  for (char c : failure.message()) text += c == '\n' ? ' ' : c;
  if (upperCased(text).find("'" + upperCased(path) + "'") != std::string::npos) return text;
  return "'" + path + "': " + text;
}

Status saveGraphDefinition(FileSystem& fs, const std::string& path, const GraphDefinition& definition) {
  const auto saveError = [&](StatusCode code, const char* what, const std::string& cause) {
    return Status::error(code, strprintf("GDF Save...\n...%s '%s'...\n...[CFileException...%s].", what,
                                         path.c_str(), cause.c_str()));
  };
  if (Status s = checkExtension(path, kGraphDefinitionExtension); !s) {
    return saveError(s.code(), "can not open", s.message());
  }
  DocumentLock lock;
  if (Status s = lockDocument(fs, path, lock); !s) return saveError(s.code(), "can not open", s.message());
  const std::vector<std::uint8_t> bytes = encodeGraphDefinition(definition);
  if (Status s = saveWithBackup(fs, path, bytes); !s) {
    // Creating the new file (or its backup's name), or writing, flushing and
    // renaming it.
    const bool opening = s.code() != StatusCode::Io;
    return saveError(s.code(), opening ? "can not open" : "can not write to", s.message());
  }
  return Status::ok();
}

std::string lastGraphDefinition(const Settings& settings) { return settings.text("Graph", "GDFLastFileSpec"); }

void rememberGraphDefinition(Settings& settings, const std::string& path) {
  settings.setText("Graph", "GDFLastFileSpec", path);
}

}  // namespace kestrel::graph
