#include "gui/graph/chart_window.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/strfmt.hpp"
#include "graph/chart_file.hpp"
#include "gui/graph/chart_view.hpp"
#include "gui/graph/definition_files.hpp"
#include "gui/qt_text.hpp"

namespace kestrel::gui {

ChartWindow::ChartWindow(GuiContext& context, graph::PlotModel plot, graph::GraphDefinition definition,
                         QWidget* parent)
    : QWidget(parent), context_(context), definition_(std::move(definition)) {
  setWindowTitle(qmixed(plot.title + " - " + plot.subtitle));
  view_ = new ChartView(std::move(plot), this);
  auto* printButton = new QPushButton(tr("&Print..."), this);
  auto* pdfButton = new QPushButton(tr("Print to P&DF..."), this);
  auto* saveButton = new QPushButton(tr("Save &As Image..."), this);
  connect(printButton, &QPushButton::clicked, this, [this] { print(); });
  connect(pdfButton, &QPushButton::clicked, this, [this] {
    const std::string path = context_.chooseFile(true, "Print Graph to PDF", "PDF Files (*.pdf)");
    if (!path.empty()) printToPdf(path);
  });
  connect(saveButton, &QPushButton::clicked, this, [this] { saveImage(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(printButton);
  buttons->addWidget(pdfButton);
  buttons->addWidget(saveButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(view_, 1);
}

const graph::PlotModel& ChartWindow::plot() const { return view_->plot(); }

bool ChartWindow::printTo(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    context_.ui->message("Print...\n...can not start the printer.");
    return false;
  }
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  paintChart(painter, plot(), QRectF(0, 0, page.width(), page.height()));
  return painter.end();
}

void ChartWindow::print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (context_.runDialog(dialog) != QDialog::Accepted) return;
  printTo(printer);
}

bool ChartWindow::printToPdf(const std::string& path) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageOrientation(QPageLayout::Landscape);
  return printTo(printer);
}

void ChartWindow::saveImage() {
  const std::string path =
      context_.chooseFile(true, "Save Graph As", "PNG Files (*.png);;SVG Files (*.svg);;PDF Files (*.pdf)");
  if (path.empty()) return;
  if (Status s = graph::writeChartFile(*context_.fs, plot(), path); !s) context_.ui->message(s.message());
}

bool ChartWindow::mayClose() {
  if (asked_) return true;
  if (context_.ui->confirm(graph::kSaveDefinitionQuestion) && !saveDefinitionFile(context_, definition_)) {
    return false;
  }
  asked_ = true;
  return true;
}

void ChartWindow::closeEvent(QCloseEvent* event) {
  event->setAccepted(mayClose());
}

}  // namespace kestrel::gui
