#include "exchange/import_definition.hpp"

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/strfmt.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {
namespace {

template <std::size_t N>
std::string_view nameOf(const std::string_view (&names)[N], unsigned index) {
  return index >= 1 && index < N ? names[index] : std::string_view("ERROR");
}

constexpr std::size_t kMaxDefinitionFileSize = 16u * 1024u * 1024u;

}  // namespace

void CImportHeader::Serialize(Archive& ar) {
  ar.io(version);
  if (ar.isLoading() && ar.ok() && version != kFileVersion) {
    ar.fail(strprintf("File version error...\n...InVer=%d, ReqVer=%d.", version, kFileVersion));
    return;
  }
  ar.io(reserved);
  ar.io(description);
  ar.io(fileType);
  ar.io(fileMode);
  ar.io(recordMode);
  ar.io(inputFormat);
  ar.io(skipFirst);
  ar.io(skipLast);
  ar.io(headerRecord);
  ar.io(reserved2);
  ar.io(translateCode);
  ar.io(tableName);
  ar.io(separator);
}

bool CImportHeader::skips(long number) const {
  if (!(skipFirst >= 1.0f)) return false;
  return static_cast<double>(number) >= skipFirst && static_cast<double>(number) <= skipLast;
}

char CImportHeader::csvSeparator() const {
  const std::string s = upperCased(trimmed(separator));
  if (s == ";") return ';';
  if (s == "TAB" || separator == "\t") return '\t';
  return ',';
}

CKwd* CImportDoc::find(std::string_view name) {
  const std::string wanted = upperCased(name);
  for (CKwd& k : keywords) {
    if (k.name == wanted) return &k;
  }
  return nullptr;
}

const CKwd* CImportDoc::find(std::string_view name) const { return const_cast<CImportDoc*>(this)->find(name); }

bool CImportDoc::isMapped(std::string_view name) const {
  const CKwd* k = find(name);
  return k != nullptr && k->fieldNumber != 0.0f;
}

bool CImportDoc::matchesCatalogue() const {
  const auto catalogue = keywordCatalogue();
  if (keywords.size() != catalogue.size()) return false;
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    if (keywords[i].name != catalogue[i].name) return false;
  }
  return true;
}

std::vector<std::string> headerLines(const CImportDoc& doc) {
  const CImportHeader& h = doc.header;
  std::vector<std::string> lines;
  lines.push_back(lineprintf("FileType: %s", std::string(nameOf(kOutputTypeNames, h.fileType)).c_str()));
  lines.push_back(lineprintf("FileMode: %s", std::string(nameOf(kOutputModeNames, h.fileMode)).c_str()));
  lines.push_back(lineprintf("RecMode: %s", std::string(nameOf(kRecordModeNames, h.recordMode)).c_str()));
  lines.push_back(lineprintf("Format: %s", std::string(nameOf(kInputFormatNames, h.inputFormat)).c_str()));
  lines.push_back(h.skipFirst < 1.0f ? lineprintf("SkipRec: %.0f", static_cast<double>(h.skipFirst))
                                     : lineprintf("SkipRec: %.0f-%.0f", static_cast<double>(h.skipFirst),
                                                  static_cast<double>(h.skipLast)));
  lines.push_back(lineprintf("HeaderRec: %.0f", static_cast<double>(h.headerRecord)));
  lines.push_back(lineprintf("Keywords: %u", static_cast<unsigned>(doc.keywords.size())));
  if (!doc.matchesCatalogue()) lines.push_back("WARNING: keyword list match error...\n...please call support.");
  return lines;
}

std::vector<std::string_view> optionNames(std::string_view keyword) {
  static constexpr std::string_view kJunction[] = {"IC_TEMP", "VLSI_TEMP", "MMIC_TEMP", "TR_TEMP",
                                                   "DIO_TEMP", "MTR_TEMP", "OPTO_TEMP"};
  for (std::string_view k : kJunction) {
    if (k == keyword) return {std::begin(kTemperatureOptionNames), std::end(kTemperatureOptionNames)};
  }
  return {""};
}

std::string keywordLine(const CKwd& k) {
  const std::string type(nameOf(kKeywordTypeNames, k.valueType));
  const std::string field = strprintf("%3.0f", static_cast<double>(k.fieldNumber));
  const std::string sub = k.subStart >= 1.0f
                              ? strprintf("%3.0f(%.0f)", static_cast<double>(k.subStart), static_cast<double>(k.subLength))
                              : std::string();
  const auto options = optionNames(k.name);
  const std::string option = k.valueOption == 0 ? std::string()
                             : k.valueOption < options.size() ? std::string(options[k.valueOption])
                                                              : std::string("ERROR");
  return lineprintf("%-25.25s  %-6s  %-3s  %-8s  %-8s", k.name.c_str(), type.c_str(), field.c_str(), sub.c_str(),
                    option.c_str());
}

std::vector<std::uint8_t> encodeDefinition(const CImportDoc& doc) {
  Archive ar = Archive::forWriting();
  std::uint8_t kind = kImportDocumentKind;
  ar.io(kind);
  CImportHeader header = doc.header;
  header.version = kFileVersion;
  header.Serialize(ar);
  auto count = static_cast<std::uint16_t>(doc.keywords.size());
  ar.io(count);
  for (CKwd k : doc.keywords) k.Serialize(ar);
  std::vector<std::uint8_t> bytes = ar.bytes();
  appendChecksum(bytes);
  return bytes;
}

Status decodeDefinition(const std::vector<std::uint8_t>& bytes, const std::string& name, CImportDoc& doc,
                        std::vector<std::string>& warnings) {
  auto bad = [&](const std::string& what) {
    return Status::error(StatusCode::Corrupt, "'" + name + "': " + what);
  };
  if (bytes.size() < 5 || !checksumMatches(bytes)) return bad("File checksum error.");
  Archive ar = Archive::forReading(std::span(bytes).first(bytes.size() - 4), name);
  std::uint8_t kind = 0;
  ar.io(kind);
  if (kind != kImportDocumentKind) return bad("Unexpected file format...\n...not Import.");
  CImportDoc loaded;
  loaded.header.Serialize(ar);
  std::uint16_t count = 0;
  ar.io(count);
  if (!ar.ok()) return bad(ar.error());
  if (count > kMaxDefinitionKeywords) return bad(strprintf("Too many keyword records (%u).", count));
  std::vector<CKwd> read(count);
  for (CKwd& k : read) k.Serialize(ar);
  if (!ar.ok()) return bad(ar.error());
  if (ar.remaining() != 0) return bad(strprintf("%zu bytes left after the keyword records.", ar.remaining()));
  loaded.keywords = std::move(read);
  if (!loaded.matchesCatalogue()) {
    warnings.push_back("WARNING: keyword list match error...\n...please call support.");
    CImportDoc aligned;
    for (const CKwd& k : loaded.keywords) {
      if (CKwd* target = aligned.find(k.name); target != nullptr) {
        const std::uint8_t type = target->valueType;
        *target = k;
        target->name = upperCased(k.name);
        target->valueType = type;
      }
    }
    loaded.keywords = std::move(aligned.keywords);
  }
  doc = std::move(loaded);
  return Status::ok();
}

Status loadDefinition(FileSystem& fs, const std::string& path, CImportDoc& doc, std::vector<std::string>& warnings) {
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxDefinitionFileSize); !s) return s;
  return decodeDefinition(bytes, path, doc, warnings);
}

Status saveDefinition(FileSystem& fs, const CImportDoc& doc, const std::string& path) {
  if (Status s = checkExtension(path, kImportExtension); !s) return s;
  DocumentLock lock;
  if (Status s = lockDocument(fs, path, lock); !s) return s;
  if (Status s = saveWithBackup(fs, path, encodeDefinition(doc)); !s) {
    return Status::error(s.code(), "Save error: import definition file.\n" + s.message());
  }
  return Status::ok();
}

}  // namespace kestrel
