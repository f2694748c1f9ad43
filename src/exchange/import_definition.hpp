// Import definitions (.IMP): what kind of output an import builds, how its
// input is laid out, and for every field keyword of the catalogue which
// input field (and which characters of it) holds that keyword's value.
//
// File layout (the object archive's encoding):
//   1 byte     document kind 6 (import definition)
//   ...        CImportHeader, its fields in order
//   2 bytes    keyword record count (at most kMaxDefinitionKeywords)
//   ...        the keyword records (CKwd) in catalogue order
//   4 bytes    additive checksum of every byte before it
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.hpp"
#include "core/keywords/keyword_record.hpp"
#include "core/status.hpp"

namespace kestrel {

class Archive;

inline constexpr std::uint8_t kImportDocumentKind = 6;
inline constexpr std::size_t kMaxDefinitionKeywords = 4096;
inline constexpr std::string_view kImportExtension = ".IMP";

enum class OutputType : std::uint8_t { HeaderRecDefine = 1, Circuit = 2, Hybrid = 3, Library = 4, CrossReference = 5 };
enum class OutputMode : std::uint8_t { Build = 1, Update = 2 };
enum class RecordMode : std::uint8_t { LibraryRecall = 1, BuildFromScratch = 2 };

inline constexpr std::string_view kOutputTypeNames[] = {"", "HeaderRecDefine", "Circuit", "Hybrid", "Library",
                                                        "Cross-Reference"};
inline constexpr std::string_view kOutputModeNames[] = {"", "Build", "Update"};
inline constexpr std::string_view kRecordModeNames[] = {"", "LibraryRecall", "BuildFromScratch"};
// Value-type options of the junction-temperature keywords.
inline constexpr std::string_view kTemperatureOptionNames[] = {"", "TJUNC", "TCASE", "TRISE"};

struct CImportHeader {
  std::uint16_t version = 50100;  // the file version; required on reading
  std::uint16_t reserved = 0;     // kept as read
  std::string description;
  std::uint8_t fileType = 2;     // OutputType
  std::uint8_t fileMode = 1;     // OutputMode
  std::uint8_t recordMode = 1;   // RecordMode
  std::uint8_t inputFormat = 4;  // InputFormat
  float skipFirst = 0.0f;        // below 1: no records skipped
  float skipLast = 0.0f;
  float headerRecord = 0.0f;     // 0 = none
  std::uint32_t reserved2 = 0;   // kept as read
  std::string translateCode;     // "" = no translation
  std::string tableName;         // sheet or table to read; "" = the first
  std::string separator;         // CSV separator: "" or "," / ";" / "TAB"

  // Fails the archive with "File version error...\n...InVer=%d, ReqVer=%d."
  // when the version read is not the current one.
  void Serialize(Archive& ar);

  // True when input record `number` lies in the skip range.
  bool skips(long number) const;
  char csvSeparator() const;
};

struct CImportDoc {
  CImportHeader header;
  std::vector<CKwd> keywords = defaultKeywordRecords();

  // The keyword record of `name` (case ignored), or null.
  CKwd* find(std::string_view name);
  const CKwd* find(std::string_view name) const;
  bool isMapped(std::string_view name) const;
  // True when the keyword list holds exactly the catalogue's names in order.
  bool matchesCatalogue() const;
};

// Listing lines: "FileType: %s", "FileMode: %s", "RecMode: %s", "Format: %s",
// "SkipRec: ...", "HeaderRec: %.0f", "Keywords: %u".
std::vector<std::string> headerLines(const CImportDoc& doc);
// "%-25.25s  %-6s  %-3s  %-8s  %-8s": name, value type, field, subfield, option.
std::string keywordLine(const CKwd& kwd);
// The value-type option names a keyword offers ({""} for none).
std::vector<std::string_view> optionNames(std::string_view keyword);

std::vector<std::uint8_t> encodeDefinition(const CImportDoc& doc);
// `warnings` receives "WARNING: keyword list match error...\n...please call
// support." when the keyword list differs from the catalogue; the mappings
// are then carried over by name onto a list in catalogue order.
Status decodeDefinition(const std::vector<std::uint8_t>& bytes, const std::string& name, CImportDoc& doc,
                        std::vector<std::string>& warnings);
Status loadDefinition(FileSystem& fs, const std::string& path, CImportDoc& doc, std::vector<std::string>& warnings);
// The extension check, the .BAK backup and the safe write of the shared helpers.
Status saveDefinition(FileSystem& fs, const CImportDoc& doc, const std::string& path);

}  // namespace kestrel
