#include "reports/report_output.hpp"


#include <span>

#include "core/doc_file.hpp"
#include "reports/pdf_device.hpp"
#include "reports/rtf_device.hpp"
#include "reports/text_device.hpp"

namespace kestrel {
namespace {

Status fileError(const std::string& path, const Status& cause) {
  const Status named = cause.namingFile(path);
  return Status::error(named.code(), std::string(kPrintToFileError) + "\n" + named.message());
}

}  // namespace

std::optional<OutputKind> outputKindForPath(const std::string& path) {
  if (hasExtension(path, ".pdf")) return OutputKind::Pdf;
  if (hasExtension(path, ".rtf")) return OutputKind::Rtf;
  if (hasExtension(path, ".txt")) return OutputKind::Text;
  return std::nullopt;
}

std::string_view printerName(OutputKind kind) {
  switch (kind) {
    case OutputKind::Pdf: return "Kestrel PDF File Creator";
    case OutputKind::Rtf: return "Kestrel RTF File Creator";
    case OutputKind::Text: return "Kestrel TXT File Creator";
  }
  return {};
}

std::unique_ptr<FileDevice> makeFileDevice(OutputKind kind, const Paper& paper) {
  switch (kind) {
    case OutputKind::Pdf: return std::make_unique<PdfDevice>(paper);
    case OutputKind::Rtf: return std::make_unique<RtfDevice>(paper);
    case OutputKind::Text: return std::make_unique<TextDevice>(paper);
  }
  return nullptr;
}

Status writeReportFile(FileSystem& fs, const std::string& path, std::string_view bytes) {
  const auto data = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                  bytes.size());
  if (Status s = replaceFile(fs, path, data); !s) return fileError(path, s);
  return Status::ok();
}

}  // namespace kestrel
