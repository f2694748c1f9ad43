#include "exchange/auto_definition.hpp"

#include <filesystem>

#include "core/keywords/catalogue.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

std::optional<InputFormat> formatForPath(const std::string& path) {
  const std::string ext = upperCased(std::filesystem::path(path).extension().string());
  if (ext == ".CSV" || ext == ".TXT") return InputFormat::CSV;
  if (ext == ".DBF") return InputFormat::DBF;
  if (ext == ".WKS" || ext == ".WK1") return InputFormat::WKS;
  if (ext == ".XLS" || ext == ".XLSX") return InputFormat::XLS;
  if (ext == ".DB" || ext == ".SQLITE" || ext == ".SQLITE3" || ext == ".MDB" || ext == ".ACCDB") return InputFormat::MDB;
  return std::nullopt;
}

Status autoDefinition(const std::string& input, InputFormat format, OutputType type, CImportDoc& doc,
                      std::vector<std::string>& ignored) {
  std::unique_ptr<TableReader> reader;
  ReaderOptions options;
  if (Status s = openTableReader(format, input, options, reader); !s) return s;
  TableRow names;
  const RowStatus st = reader->next(names);
  if (st == RowStatus::Failed) {
    return Status::error(StatusCode::Corrupt, reader->error() + " ('" + input + "')");
  }
  if (st == RowStatus::End) {
    return Status::error(StatusCode::NotFound, "'" + input + "': the table is empty (no keyword row)");
  }
  doc.header = CImportHeader();
  doc.keywords = defaultKeywordRecords();
  doc.header.description = "Columns named by field keywords";
  doc.header.fileType = static_cast<std::uint8_t>(type);
  doc.header.recordMode = static_cast<std::uint8_t>(RecordMode::BuildFromScratch);
  doc.header.inputFormat = static_cast<std::uint8_t>(format);
  doc.header.skipFirst = 1.0f;
  doc.header.skipLast = 1.0f;
  int mapped = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string name = names[i].kind == TableCell::Kind::Text ? upperCased(trimmed(names[i].text)) : std::string();
    CKwd* k = name.empty() ? nullptr : doc.find(name);
    if (k == nullptr || k->fieldNumber != 0.0f) {
      ignored.push_back(strprintf("column %zu ('%s')", i + 1, names[i].text.c_str()));
      continue;
    }
    k->fieldNumber = static_cast<float>(i + 1);
    ++mapped;
  }
  if (mapped == 0) {
    return Status::error(StatusCode::InvalidArgument,
                         "'" + input + "': no column of the first row names a field keyword");
  }
  return Status::ok();
}

}  // namespace kestrel
