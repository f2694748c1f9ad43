#include "gui/graph/chart_view.hpp"

#include <QPainter>
#include <algorithm>

#include "graph/chart_renderer.hpp"
#include "gui/graph/qpainter_canvas.hpp"

namespace kestrel::gui {

void paintChart(QPainter& painter, const graph::PlotModel& plot, const QRectF& target) {
  if (plot.width <= 0 || plot.height <= 0 || target.isEmpty()) return;
  const double scale = std::min(target.width() / plot.width, target.height() / plot.height);
  const double w = plot.width * scale;
  const double h = plot.height * scale;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(target.x() + (target.width() - w) / 2.0, target.y() + (target.height() - h) / 2.0);
  painter.scale(scale, scale);
  painter.fillRect(QRectF(0, 0, plot.width, plot.height), Qt::white);
  painter.setClipRect(QRectF(0, 0, plot.width, plot.height));
  QPainterCanvas canvas(painter);
  graph::renderChart(plot, canvas);
  painter.restore();
}

QImage chartImage(const graph::PlotModel& plot) {
  QImage image(std::max(1, plot.width), std::max(1, plot.height), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  paintChart(painter, plot, QRectF(0, 0, image.width(), image.height()));
  return image;
}

ChartView::ChartView(graph::PlotModel plot, QWidget* parent) : QWidget(parent), plot_(std::move(plot)) {
  setMinimumSize(320, 200);
  setAutoFillBackground(false);
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  // The window's own size lays the chart out afresh, so texts stay readable
  // however the window is sized.
  graph::PlotModel shown = plot_;
  shown.width = std::max(width(), 200);
  shown.height = std::max(height(), 200);
  paintChart(painter, shown, QRectF(rect()));
}

}  // namespace kestrel::gui
