#include "gui/exchange/exchange_settings.hpp"

#include "core/registry.hpp"

namespace kestrel::gui {
namespace {
constexpr const char* kImport = "Import";
constexpr const char* kExport = "Export";
constexpr std::size_t kPnFilterLength = 40;
}  // namespace

ImportSheetOptions loadImportOptions(const Settings& s) {
  ImportSheetOptions o;
  const long readBy = s.whole(kImport, "ReadBy");
  o.readBy = readBy >= 0 && readBy <= 2 ? static_cast<ImportReadBy>(readBy) : ImportReadBy::Definition;
  o.definitionPath = s.text(kImport, "ImpFileSpec");
  o.dataSpec = s.text(kImport, "DataFileSpec");
  o.outputDir = s.text(kImport, "OutDir");
  o.libraryPath = s.text(kImport, "LibFileSpec");
  o.searchXRef = s.on(kImport, "SearchXRef");
  o.xrefPath = s.text(kImport, "XRefFileSpec");
  o.xrefMoveBoth = s.on(kImport, "XRefMove");
  return o;
}

void storeImportOptions(Settings& s, const ImportSheetOptions& o) {
  s.setWhole(kImport, "ReadBy", static_cast<long>(o.readBy));
  s.setText(kImport, "ImpFileSpec", o.definitionPath);
  s.setText(kImport, "DataFileSpec", o.dataSpec);
  s.setText(kImport, "OutDir", o.outputDir);
  s.setText(kImport, "LibFileSpec", o.libraryPath);
  s.setOn(kImport, "SearchXRef", o.searchXRef);
  s.setText(kImport, "XRefFileSpec", o.xrefPath);
  s.setOn(kImport, "XRefMove", o.xrefMoveBoth);
}

ExportSheetOptions loadExportOptions(const Settings& s) {
  ExportSheetOptions o;
  if (std::string spec = s.text(kExport, "InFileSpec"); !spec.empty()) o.inputSpec = spec;
  o.outputDir = s.text(kExport, "OutDir");
  const long format = s.whole(kExport, "OutFormat");
  // A damaged or missing value falls back to comma-separated text.
  o.format = format >= 1 && format <= 5 ? static_cast<OutputFormat>(format) : OutputFormat::CSV;
  o.layout = s.whole(kExport, "Layout") == 1 ? ExportLayout::Keywords : ExportLayout::Records;
  const long type = s.whole(kExport, "PartType");
  o.partType = findPartType(static_cast<std::uint16_t>(type)) != nullptr ? static_cast<std::uint16_t>(type) : 0;
  o.typeOn = s.on(kExport, "TypeFilter") && o.partType != 0;
  o.pnFilter = s.text(kExport, "PNFilter").substr(0, kPnFilterLength);
  return o;
}

void storeExportOptions(Settings& s, const ExportSheetOptions& o) {
  s.setText(kExport, "InFileSpec", o.inputSpec);
  s.setText(kExport, "OutDir", o.outputDir);
  s.setWhole(kExport, "OutFormat", static_cast<long>(o.format));
  s.setWhole(kExport, "Layout", o.layout == ExportLayout::Keywords ? 1 : 0);
  s.setOn(kExport, "TypeFilter", o.typeOn);
  s.setWhole(kExport, "PartType", o.partType);
  s.setText(kExport, "PNFilter", o.pnFilter.substr(0, kPnFilterLength));
}

}  // namespace kestrel::gui
