// Print to file: the kind of file a name asks for (".pdf", ".rtf" or
// ".txt"), the device that makes it, and the safe write of the finished file
// (a temporary file in the same folder, renamed over the name only when
// complete, so a failed job never leaves a half-written report).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "reports/page_device.hpp"
#include "reports/paper_sizes.hpp"

namespace kestrel {

enum class OutputKind { Text, Rtf, Pdf };

// The kind an output file's extension names, case ignored.
std::optional<OutputKind> outputKindForPath(const std::string& path);
// The printer each kind stands for: "Kestrel PDF File Creator", ...
std::string_view printerName(OutputKind kind);

std::unique_ptr<FileDevice> makeFileDevice(OutputKind kind, const Paper& paper);

// What a failed print to file tells the user.
inline constexpr std::string_view kPrintToFileError = "Print To File...ERROR";

// Writes `bytes` to `path` through a temporary file and a rename. A failure
// leaves any earlier file of that name as it was and names the file:
// "Print To File...ERROR\n'PATH': cause".
Status writeReportFile(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace kestrel
