// A chart on the screen, in an image or on a printer page: the plot model
// drawn by the chart renderer through the QPainter canvas, scaled to fit the
// place it is drawn in.
#pragma once

#include <QImage>
#include <QRectF>
#include <QWidget>

#include "graph/plot_model.hpp"

class QPainter;

namespace kestrel::gui {

// Draws the chart at its own size, scaled evenly to fit `target` and
// centred in it, on a white ground.
void paintChart(QPainter& painter, const graph::PlotModel& plot, const QRectF& target);

// The chart at its own size (the model's width and height).
QImage chartImage(const graph::PlotModel& plot);

class ChartView final : public QWidget {
 public:
  explicit ChartView(graph::PlotModel plot, QWidget* parent = nullptr);
  const graph::PlotModel& plot() const { return plot_; }
  void setPlot(graph::PlotModel plot) {
    plot_ = std::move(plot);
    update();
  }

 protected:
  void paintEvent(class QPaintEvent* event) override;

 private:
  graph::PlotModel plot_;
};

}  // namespace kestrel::gui
