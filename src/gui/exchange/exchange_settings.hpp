// What the Import and Export sheets show and keep between runs: the
// "Import" and "Export" sections of the user's settings.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/export/export_run.hpp"
#include "exchange/writers/table_writer.hpp"
#include "shell/settings.hpp"

namespace kestrel::gui {

// How the Import sheet reads its input: through an import definition file,
// by the field keywords its first row names, or as a bill of materials.
enum class ImportReadBy : std::uint8_t { Definition, ColumnHeaders, BillOfMaterials };

struct ImportSheetOptions {
  ImportReadBy readBy = ImportReadBy::Definition;  // ReadBy
  std::string definitionPath;  // ImpFileSpec
  std::string dataSpec;        // DataFileSpec (wildcards allowed)
  std::string outputDir;       // OutDir ("" = each input's folder)
  std::string libraryPath;     // LibFileSpec ("" = OFF)
  bool searchXRef = false;     // SearchXRef
  std::string xrefPath;        // XRefFileSpec
  bool xrefMoveBoth = false;   // XRefMove: XRefPN-->PN,PN-->PN2 rather than XRefPN-->PN2
  // For this run only: a translate code read in place of the definition's.
  bool overrideTranslate = false;
  std::string translateCode;
  bool operator==(const ImportSheetOptions&) const = default;
};

struct ExportSheetOptions {
  std::string inputSpec = "*.CIR";  // InFileSpec (wildcards allowed)
  std::string outputDir;            // OutDir ("" = the first input's folder)
  OutputFormat format = OutputFormat::CSV;
  ExportLayout layout = ExportLayout::Records;  // Layout: the keyword layout reads back by column headers
  bool typeOn = false;              // TypeFilter
  std::uint16_t partType = 0;       // PartType
  std::string pnFilter;             // PNFilter (on when not empty)
  bool operator==(const ExportSheetOptions&) const = default;
};

ImportSheetOptions loadImportOptions(const Settings& settings);
void storeImportOptions(Settings& settings, const ImportSheetOptions& options);
ExportSheetOptions loadExportOptions(const Settings& settings);
void storeExportOptions(Settings& settings, const ExportSheetOptions& options);

}  // namespace kestrel::gui
