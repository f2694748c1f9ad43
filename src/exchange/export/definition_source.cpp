// Import definitions as export sources. No field keyword names a
// definition's own fields, so both layouts write the same plain table:
// a header row "IMPORT", file version, keyword record count, description,
// output file type, output file mode, record mode, input format, skip first,
// skip last, header record, translate code, table name, separator; then one
// row per keyword record in catalogue order: keyword name, value type,
// field number, subfield start, subfield length, value-type option. Choices
// go by their names ("Cross-Reference", "Num", "TCASE"); a value outside its
// list goes as its number, so nothing read is lost.
#include <span>

#include "core/keywords/catalogue.hpp"
#include "core/ui.hpp"
#include "exchange/export/row_source.hpp"
#include "exchange/import_definition.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {
namespace {

inline constexpr std::size_t kDefinitionColumns = 14;  // the header row is the widest

ExportCell choiceCell(std::span<const std::string_view> names, std::uint8_t value) {
  if (value >= 1 && value < names.size()) return ExportCell::ofText(std::string(names[value]));
  return ExportCell::integer(value);
}

class DefinitionSource final : public RowSource {
 public:
  DefinitionSource(CImportDoc doc, std::vector<std::string> warnings)
      : doc_(std::move(doc)), warnings_(std::move(warnings)) {}

  long count() override { return static_cast<long>(doc_.keywords.size()); }

  Status shape(bool, WriterOptions& options) override {
    options.columns = kDefinitionColumns;
    return Status::ok();
  }

  Status headerRow(bool, Ui& ui, std::optional<ExportRow>& row) override {
    for (std::string w : warnings_) {
      for (char& c : w) c = c == '\n' ? ' ' : c;
      ui.log("   ..." + w);
    }
    const CImportHeader& h = doc_.header;
    row = ExportRow{ExportCell::ofText("IMPORT"),
                    ExportCell::integer(h.version),
                    ExportCell::integer(count()),
                    ExportCell::ofText(h.description),
                    choiceCell(kOutputTypeNames, h.fileType),
                    choiceCell(kOutputModeNames, h.fileMode),
                    choiceCell(kRecordModeNames, h.recordMode),
                    choiceCell(kInputFormatNames, h.inputFormat),
                    ExportCell::single(h.skipFirst),
                    ExportCell::single(h.skipLast),
                    ExportCell::single(h.headerRecord),
                    ExportCell::ofText(h.translateCode),
                    ExportCell::ofText(h.tableName),
                    ExportCell::ofText(h.separator)};
    return Status::ok();
  }

  Status forEachRow(bool, const RowFn& fn) override {
    for (const CKwd& k : doc_.keywords) {
      const std::vector<std::string_view> options = optionNames(k.name);
      const ExportRow row{ExportCell::ofText(k.name),
                          choiceCell(kKeywordTypeNames, k.valueType),
                          ExportCell::single(k.fieldNumber),
                          ExportCell::single(k.subStart),
                          ExportCell::single(k.subLength),
                          k.valueOption == 0 ? ExportCell::ofText("") : choiceCell(options, k.valueOption)};
      if (!fn(&row)) break;
    }
    return Status::ok();
  }

 private:
  CImportDoc doc_;
  std::vector<std::string> warnings_;
};

}  // namespace

Status openDefinitionSource(FileSystem& fs, const std::string& path, std::unique_ptr<RowSource>& source) {
  CImportDoc doc;
  std::vector<std::string> warnings;
  if (Status s = loadDefinition(fs, path, doc, warnings); !s) return s;
  source = std::make_unique<DefinitionSource>(std::move(doc), std::move(warnings));
  return Status::ok();
}

}  // namespace kestrel
