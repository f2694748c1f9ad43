#include "exchange/table_preview.hpp"

#include <memory>


namespace kestrel {

Status previewTable(const std::string& input, InputFormat format, const CImportDoc& definition, std::size_t rows,
                    TablePreview& preview) {
  preview = TablePreview{};
  std::unique_ptr<TableReader> reader;
  if (Status s = openTableReader(format, input, ReaderOptions{}, reader); !s) return s;
  TableRow row;
  while (preview.rows.size() <= rows) {
    const RowStatus st = reader->next(row);
    if (st == RowStatus::Failed) return Status::error(StatusCode::Corrupt, reader->error()).namingFile(input);
    if (st == RowStatus::End) break;
    std::vector<std::string> texts;
    for (const TableCell& c : row) texts.push_back(c.shownText());
    if (preview.columns.empty() && preview.rows.empty()) {
      preview.columns = std::move(texts);
    } else if (preview.rows.size() < rows) {
      preview.rows.push_back(std::move(texts));
    } else {
      break;
    }
  }
  preview.keywords.assign(preview.columns.size(), {});
  for (const CKwd& k : definition.keywords) {
    const auto field = static_cast<std::size_t>(k.fieldNumber);
    if (field >= 1 && field <= preview.keywords.size() && preview.keywords[field - 1].empty()) {
      preview.keywords[field - 1] = k.name;
    }
  }
  return Status::ok();
}

std::vector<std::string> tableColumnNames(const std::string& input, InputFormat format) {
  TablePreview preview;
  if (!previewTable(input, format, CImportDoc{}, 0, preview)) return {};
  return preview.columns;
}

}  // namespace kestrel
