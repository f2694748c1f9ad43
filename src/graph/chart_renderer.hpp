// Draws a plot model on a canvas: the title and subtitle, the axes with
// their titles, ticks and grid, the curves, bars or pie slices, and the
// legend. The same model gives the same picture on every canvas.
#pragma once

#include "graph/canvas.hpp"
#include "graph/plot_model.hpp"

namespace kestrel::graph {

// Draws the whole chart into a canvas of the model's width and height.
void renderChart(const PlotModel& plot, Canvas& canvas);

// The colour of series (or slice) `index`: eight colours told apart by
// people with any common colour vision, then the same lightened.
Color seriesColor(std::size_t index);

}  // namespace kestrel::graph
