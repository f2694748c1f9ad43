#include "gui/report_printing.hpp"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <array>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "gui/dialog_ui.hpp"
#include "gui/print_setup_dialog.hpp"
#include "gui/qt_text.hpp"
#include "reports/report.hpp"
#include "reports/report_kinds.hpp"
#include "reports/report_printer.hpp"

namespace kestrel::gui {

struct PrinterDevice::Fonts {
  std::array<QFont, kFontRoleCount> font;
};

PrinterDevice::PrinterDevice(QPrinter& printer) : printer_(printer), fonts_(std::make_unique<Fonts>()) {}
PrinterDevice::~PrinterDevice() { endJob(); }

DeviceCaps PrinterDevice::caps() const {
  const int dpi = printer_.resolution();
  const QRect paint = printer_.pageLayout().paintRectPixels(dpi);
  const QRect full = printer_.pageLayout().fullRectPixels(dpi);
  DeviceCaps c;
  c.dpiX = printer_.logicalDpiX();
  c.dpiY = printer_.logicalDpiY();
  c.printableWidth = paint.width();
  c.printableHeight = paint.height();
  c.offsetLeft = paint.left() - full.left();
  c.offsetTop = paint.top() - full.top();
  c.offsetBottom = full.bottom() - paint.bottom();
  return c;
}

void PrinterDevice::createFont(FontRole role, const FontSpec& wanted, int height) {
  QFont font(QString::fromLatin1(wanted.face.data(), static_cast<qsizetype>(wanted.face.size())));
  font.setStyleHint(wanted.face == "Courier New" ? QFont::Monospace : QFont::SansSerif);
  font.setPixelSize(height > 0 ? height : 1);
  font.setWeight(wanted.weight >= 700 ? QFont::Bold : QFont::Normal);
  fonts_->font[static_cast<std::size_t>(role)] = font;
}

double PrinterDevice::textWidth(FontRole role, std::string_view text) const {
  const QFontMetricsF metrics(fonts_->font[static_cast<std::size_t>(role)], &printer_);
  return metrics.horizontalAdvance(qtext(text));
}

double PrinterDevice::ascent(FontRole role) const {
  return QFontMetricsF(fonts_->font[static_cast<std::size_t>(role)], &printer_).ascent();
}

void PrinterDevice::startJob(std::string_view title, std::uint32_t) {
  printer_.setDocName(qtext(title));
}

void PrinterDevice::startPage() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>();
    painter_->begin(&printer_);
  } else {
    printer_.newPage();
  }
  ++pages_;
}

void PrinterDevice::text(int x, int y, FontRole role, std::string_view line) {
  if (!painter_) return;
  painter_->setFont(fonts_->font[static_cast<std::size_t>(role)]);
  painter_->setPen(Qt::black);
  painter_->drawText(QPointF(x, y + ascent(role)), qtext(line));
}

void PrinterDevice::rule(int x, int y, int width, int height) {
  if (painter_) painter_->fillRect(QRect(x, y, width, height), Qt::black);
}

void PrinterDevice::endJob() {
  if (painter_ && painter_->isActive()) painter_->end();
  painter_.reset();
}

namespace {

// From this many records the assembly shows its progress and a Cancel button.
constexpr std::size_t kAssemblyProgressFrom = 2000;

std::unique_ptr<CReport> builtReport(const CCircDoc& doc, const ReportSettings& settings, Ui& ui,
                                     Status& status) {
  std::unique_ptr<CReport> report = createReport(settings.format, settings);
  if (!report) {
    status = Status::error(StatusCode::InvalidArgument, "no report kind of that number");
    return nullptr;
  }
  report->checkCurrent(posixFileSystem(), doc);  // only reads the sub-files' headers
  auto* desktop = doc.count() >= kAssemblyProgressFrom ? dynamic_cast<DialogUi*>(&ui) : nullptr;
  if (desktop != nullptr) desktop->beginProgress("Print");
  const bool built = report->build(doc, ui);
  // A finished assembly goes on to the printer; a stopped one leaves its log up.
  if (desktop != nullptr) built ? desktop->closeProgress() : desktop->endProgress();
  if (!built) {
    // An uncalculated circuit is refused; otherwise the user stopped the assembly.
    status = Status::error(doc.header().CalcFlags == 0 ? StatusCode::InvalidArgument : StatusCode::Cancelled,
                           "'" + doc.path() + "': the report was not built");
    return nullptr;
  }
  status = Status::ok();
  return report;
}

// The message is shown by the report itself; this keeps the window from opening.
bool calculated(const CCircDoc& doc, Ui& ui) {
  if (doc.header().CalcFlags != 0) return true;
  ui.message(kNotCalculatedMessage);
  return false;
}

}  // namespace

Status printOnPrinter(const CCircDoc& doc, const ReportSettings& settings, QPrinter& printer, Ui& ui) {
  Status status = Status::ok();
  auto report = builtReport(doc, settings, ui, status);
  if (!report) return status;
  PrinterDevice device(printer);
  return printReport(*report, device, ui);
}

Status printToFile(const CCircDoc& doc, const ReportSettings& settings, OutputKind kind,
                   const std::string& path, FileSystem& fs, Ui& ui) {
  // Every failure under one heading (the file's own failures carry it).
  const auto failed = [](const Status& s) {
    return Status::error(s.code(), std::string(kPrintToFileError) + "\n" + s.message());
  };
  Status status = Status::ok();
  auto report = builtReport(doc, settings, ui, status);
  if (!report) return failed(status);
  auto device = makeFileDevice(kind, reportPaper(settings));
  if (Status s = printReport(*report, *device, ui); !s) return failed(s);
  std::string bytes;
  if (Status s = device->finish(bytes); !s) return failed(s);
  return writeReportFile(fs, path, bytes);
}

void showPrintPreview(const CCircDoc& doc, const ReportSettings& settings, Ui& ui, QWidget* parent) {
  if (!calculated(doc, ui)) return;
  QPrinter printer(QPrinter::HighResolution);
  applyPrintSetup(printer, settings);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setWindowTitle(QString::fromStdString("Print Preview - " + doc.title()));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&doc, &settings, &ui](QPrinter* target) {
                     if (Status s = printOnPrinter(doc, settings, *target, ui); !s) ui.message(s.message());
                   });
  preview.resize(900, 700);
  preview.exec();
}

void printWithDialog(const CCircDoc& doc, const ReportSettings& settings, Ui& ui, QWidget* parent) {
  if (!calculated(doc, ui)) return;
  QPrinter printer(QPrinter::HighResolution);
  applyPrintSetup(printer, settings);
  QPrintDialog dialog(&printer, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  if (Status s = printOnPrinter(doc, settings, printer, ui); !s) ui.message(s.message());
}

}  // namespace kestrel::gui
