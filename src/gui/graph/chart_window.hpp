// The window of one graph: the chart, Print (to a printer or a PDF file),
// Save As an image (the same PNG, SVG or PDF file the command line writes),
// and on closing the offer to save the graph's definition.
#pragma once

#include <QWidget>
#include <string>

#include "graph/graph_definition.hpp"
#include "graph/plot_model.hpp"
#include "gui/frame_child.hpp"
#include "gui/gui_context.hpp"

class QPrinter;

namespace kestrel::gui {

class ChartView;

class ChartWindow final : public QWidget, public FrameChild {
 public:
  ChartWindow(GuiContext& context, graph::PlotModel plot, graph::GraphDefinition definition,
              QWidget* parent = nullptr);

  const graph::PlotModel& plot() const;
  const graph::GraphDefinition& definition() const { return definition_; }
  ChartView* view() const { return view_; }

  // The print dialog, then the chart on one page.
  void print();
  // The chart as a PDF file through the printer's PDF output.
  bool printToPdf(const std::string& path);
  // Draws the chart on the printer's page; false when the printer cannot start.
  bool printTo(QPrinter& printer);
  // Asks for a .png, .svg or .pdf name and writes the chart.
  void saveImage();
  // "Do you want to save the Graph Definition for this Graph?"; false keeps
  // the window open (the save was cancelled or failed).
  bool mayClose() override;
  WindowState frameState() const override { return {kChartWindow}; }

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  GuiContext& context_;
  graph::GraphDefinition definition_;
  ChartView* view_;
  bool asked_ = false;
};

}  // namespace kestrel::gui
