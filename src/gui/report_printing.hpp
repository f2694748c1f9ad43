// Reports of an open document on the desktop: the printer and the print
// preview as a page device (QPainter on a QPrinter), and print to PDF, RTF
// and text files through the reports' file devices.
#pragma once

#include <memory>
#include <string>

#include "core/file_system.hpp"
#include "core/status.hpp"
#include "reports/page_device.hpp"
#include "reports/report_output.hpp"
#include "reports/report_settings.hpp"

class QPrinter;
class QPainter;
class QWidget;

namespace kestrel {
class CCircDoc;
class Ui;
}  // namespace kestrel

namespace kestrel::gui {

// A printer (or the preview's printer) as a report page device. Coordinates
// start at the printable area's top left corner, as the painter's do.
class PrinterDevice final : public PageDevice {
 public:
  explicit PrinterDevice(QPrinter& printer);
  ~PrinterDevice() override;
  DeviceCaps caps() const override;
  void createFont(FontRole role, const FontSpec& font, int height) override;
  double textWidth(FontRole role, std::string_view text) const override;
  double ascent(FontRole role) const override;
  void startJob(std::string_view title, std::uint32_t pages) override;
  void startPage() override;
  void text(int x, int y, FontRole role, std::string_view text) override;
  void rule(int x, int y, int width, int height) override;
  void endPage() override {}
  void endJob() override;
  std::uint32_t pagesStarted() const { return pages_; }

 private:
  struct Fonts;
  QPrinter& printer_;
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<Fonts> fonts_;
  std::uint32_t pages_ = 0;
};

// Builds the report of `doc` chosen in the settings and prints it on
// `printer`. Refuses an uncalculated document ("Circuit must be calculated
// before printing.").
Status printOnPrinter(const CCircDoc& doc, const ReportSettings& settings, QPrinter& printer, Ui& ui);
// The same into a .pdf, .rtf or .txt file, filed safely.
Status printToFile(const CCircDoc& doc, const ReportSettings& settings, OutputKind kind,
                   const std::string& path, FileSystem& fs, Ui& ui);
// The print preview window over the document's report; the user may print
// from it. Nothing opens for an uncalculated document.
void showPrintPreview(const CCircDoc& doc, const ReportSettings& settings, Ui& ui, QWidget* parent);
// The printer dialog, then the job.
void printWithDialog(const CCircDoc& doc, const ReportSettings& settings, Ui& ui, QWidget* parent);

}  // namespace kestrel::gui
