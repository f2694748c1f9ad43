// Charts: what the renderer draws for each kind of plot (checked through a
// canvas that records its calls), and the cairo files it makes.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "core/strfmt.hpp"
#include "graph/axis_scale.hpp"
#include "graph/cairo_canvas.hpp"
#include "graph/chart_file.hpp"
#include "graph/chart_renderer.hpp"
#include "graph/profile_charts.hpp"
#include "support/faulty_file_system.hpp"
#include "support/golden.hpp"

// Fontconfig keeps its caches until the process ends; the leak checker of
// sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace kestrel::graph {
namespace {

// Records every call; texts measure 0.6 x size per character.
class RecordingCanvas final : public Canvas {
 public:
  struct Text {
    std::string text;
    Point at;
    bool vertical;
  };
  void fillRect(const Rect& r, const Color& c) override { rects.push_back({r, c}); }
  void fillPolygon(std::span<const Point> points, const Color& c) override {
    polygons.push_back({{points.begin(), points.end()}, c});
  }
  void strokePolyline(std::span<const Point> points, const Pen& pen, bool) override {
    lines.push_back({{points.begin(), points.end()}, pen});
  }
  TextSize measureText(std::string_view text, const Font& font) override {
    return {0.6 * font.size * static_cast<double>(text.size()), 1.2 * font.size};
  }
  void drawText(std::string_view text, Point at, const Font&, const Color&, HAlign, VAlign, bool vertical) override {
    texts.push_back({std::string(text), at, vertical});
  }
  void pushClip(const Rect&) override { ++clips; }
  void popClip() override { --clips; }

  bool drew(const std::string& text) const {
    return std::any_of(texts.begin(), texts.end(), [&](const Text& t) { return t.text == text; });
  }
  std::vector<std::pair<Rect, Color>> rects;
  std::vector<std::pair<std::vector<Point>, Color>> polygons;
  std::vector<std::pair<std::vector<Point>, Pen>> lines;
  std::vector<Text> texts;
  int clips = 0;
};

GraphData sweep(int type, std::vector<double> x, std::vector<std::vector<double>> series,
                std::vector<std::string> envs = {}) {
  GraphData d;
  d.type = type;
  d.topTitle = "TOP.CIR";
  d.x = std::move(x);
  d.series = std::move(series);
  d.environments = std::move(envs);
  return d;
}

GraphData itemData(int type, std::vector<GraphItem> items, bool hierarchy = true) {
  GraphData d;
  d.type = type;
  d.topTitle = "TOP.CIR";
  d.items = std::move(items);
  d.includeHierarchy = hierarchy;
  return d;
}

RecordingCanvas draw(const PlotModel& plot) {
  RecordingCanvas canvas;
  renderChart(plot, canvas);
  EXPECT_EQ(canvas.clips, 0);
  for (const auto& t : canvas.texts) {
    EXPECT_TRUE(t.at.x >= 0 && t.at.x <= plot.width && t.at.y >= 0 && t.at.y <= plot.height) << t.text;
  }
  return canvas;
}

// The drawing of a chart, one call a line in the canvas' order per kind of
// call: texts with where they stand, fills, curves, the thin lines (grid
// and ticks) counted by their look, and polygons.
std::string drawing(const RecordingCanvas& c) {
  std::string out;
  const auto color = [](const Color& k) { return strprintf("#%02x%02x%02x", int(k.r * 255), int(k.g * 255), int(k.b * 255)); };
  for (const auto& t : c.texts) out += strprintf("text %.1f,%.1f%s %s\n", t.at.x, t.at.y, t.vertical ? " up" : "", t.text.c_str());
  for (const auto& [r, k] : c.rects) out += strprintf("fill %.1f,%.1f %.1fx%.1f %s\n", r.x, r.y, r.w, r.h, color(k).c_str());
  std::map<std::string, int> thin;  // grid lines and ticks, counted by their pen
  for (const auto& [points, pen] : c.lines) {
    const std::string look = strprintf("width %.1f %s%s", pen.width, color(pen.color).c_str(), pen.dashed ? " dashed" : "");
    if (pen.width < 2.0) {
      ++thin[look];
    } else {
      out += strprintf("line %zu points from %.1f,%.1f %s\n", points.size(), points[0].x, points[0].y, look.c_str());
    }
  }
  for (const auto& [look, n] : thin) out += strprintf("%d lines %s\n", n, look.c_str());
  for (const auto& [points, k] : c.polygons) out += strprintf("polygon %zu points %s\n", points.size(), color(k).c_str());
  return out;
}

// A failure-rate curve over three decades (log scale), environments as bars,
// a pie of part types: titles, axis titles and ticks, legends, bars with
// their values, slices labelled where they are wide enough; a value that can
// not be drawn leaves a gap (two runs of the curve), forty items turn their
// labels upright, a pie of nothing says so.
TEST(ChartRenderer, CurveBarsAndPieAsDrawn) {
  std::vector<GraphItem> many;
  for (int i = 0; i < 40; ++i) many.push_back({"PART-NUMBER-" + std::to_string(i), 40.0 - i, "A.CIR"});
  std::string out;
  for (const GraphData& data :
       {sweep(kFrVsTemperature, {0, 50, 100}, {{0.05, 1, 80}}),
        sweep(kMtbfVsTempEnv, {0, 50, 100}, {{3, 2, 1}, {6, 5, 4}}, {"GB", "NS"}),
        sweep(kFrVsEnvironment, {}, {{1.5, 3, 6}}, {"GB", "AIF", "CL"}),
        itemData(kPctFrPartTypes, {{"Resistor", 60, ""}, {"Capacitor", 38, ""}, {"All Other Part Types", 2, ""}},
                 false),
        sweep(kMtbfVsTemperature, {0, 1, 2, 3, 4}, {{5, 4, INFINITY, 2, 1}}), itemData(kFrPartRecords, many),
        itemData(kPctFrCircuits, {{"A.CIR", 0, ""}})}) {
    out += "== " + std::string(graphTypeName(data.type)) + "\n" + drawing(draw(buildPlot(data, ChartStyle{})));
  }
  EXPECT_GOLDEN("charts.txt", out);
}

struct ScaleCase {
  const char* name;
  int type;
  std::vector<double> values;
  ValueScale scale;
  bool log;
};

TEST(ChartScale, LogOnlyWhereItHelps) {
  const ScaleCase cases[] = {
      {"TwoDecadesOrLessStayLinear", kFrVsTemperature, {1, 100}, ValueScale::Automatic, false},
      {"MoreThanTwoDecadesGoLog", kMtbfVsStress, {1e3, 1.5e5}, ValueScale::Automatic, true},
      {"ZeroKeepsItLinear", kFrVsStress, {0, 1, 1000}, ValueScale::Automatic, false},
      {"InfiniteMtbfKeepsItLinear", kMtbfVsTemperature, {1, INFINITY}, ValueScale::Automatic, false},
      {"ReliabilityNeverLog", kReliabilityVsTime, {1e-6, 1}, ValueScale::Logarithmic, false},
      {"AskedForLog", kFrVsStress, {1, 2}, ValueScale::Logarithmic, true},
      {"AskedForLinear", kFrVsStress, {1, 1e6}, ValueScale::Linear, false}};
  for (const ScaleCase& c : cases) {
    ChartStyle style;
    style.scale = c.scale;
    std::vector<double> x;
    for (std::size_t i = 0; i < c.values.size(); ++i) x.push_back(static_cast<double>(i));
    EXPECT_EQ(buildPlot(sweep(c.type, x, {c.values}), style).logScale, c.log) << c.name;
  }
}

TEST(ChartRenderer, LegendOfAHundredItemsFitsBesideThePie) {
  std::vector<GraphItem> items;
  for (int i = 0; i < 101; ++i) items.push_back({"ITEM-" + std::to_string(i), 1.0, ""});
  const PlotModel plot = buildPlot(itemData(kPctFrPartRecords, items), ChartStyle{});
  const RecordingCanvas c = draw(plot);   // every text inside the canvas
  EXPECT_TRUE(c.drew("ITEM-100  1.0%"));  // the values of a percent graph are its percents
}

// ---- cairo ----

PlotModel samplePlot() {
  return buildPlot(
      sweep(kFrVsTempEnv, {0, 25, 50, 75, 100}, {{1, 2, 3, 5, 8}, {2, 3, 5, 8, 13}}, {"GB", "NS"}),
      ChartStyle{});
}

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* in = static_cast<std::pair<const std::vector<std::uint8_t>*, std::size_t>*>(closure);
  if (in->second + length > in->first->size()) return CAIRO_STATUS_READ_ERROR;
  std::copy_n(in->first->data() + in->second, length, data);
  in->second += length;
  return CAIRO_STATUS_SUCCESS;
}

TEST(CairoChart, PngHasTheChartsSizeAndItsCurvesColour) {
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(renderChartBytes(samplePlot(), ChartFileFormat::Png, png).isOk());
  std::pair<const std::vector<std::uint8_t>*, std::size_t> in{&png, 0};
  cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readBytes, &in);
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(image), 900);
  EXPECT_EQ(cairo_image_surface_get_height(image), 560);
  // Count pixels of the first series' blue and the second's vermilion.
  const unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  int blue = 0, vermilion = 0;
  for (int y = 0; y < 560; ++y) {
    for (int x = 0; x < 900; ++x) {
      const unsigned char* p = data + y * stride + x * 4;  // B, G, R, A
      if (p[2] < 20 && p[1] > 100 && p[1] < 125 && p[0] > 165 && p[0] < 190) ++blue;
      if (p[2] > 200 && p[1] > 80 && p[1] < 110 && p[0] < 20) ++vermilion;
    }
  }
  cairo_surface_destroy(image);
  EXPECT_GT(blue, 300);
  EXPECT_GT(vermilion, 300);
}

TEST(CairoChart, PartNumberThatIsNotUtf8StillDraws) {
  EXPECT_EQ(utf8Text("R\xb5"
                     "1"),
            "R\xc2\xb5"
            "1");                                                   // Windows-1252 micro sign
  EXPECT_EQ(utf8Text("\xc2\xb5"), "\xc2\xb5");                      // already UTF-8
  EXPECT_EQ(utf8Text("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac");  // a surrogate is not UTF-8
  const PlotModel plot =
      buildPlot(itemData(kFrPartRecords, {{"R\xb5\xff-1", 2, ""}, {"OK", 1, ""}}), ChartStyle{});
  std::vector<std::uint8_t> png;
  EXPECT_TRUE(renderChartBytes(plot, ChartFileFormat::Png, png).isOk());
}

TEST(CairoChart, FileFormatComesFromTheExtension) {
  EXPECT_EQ(chartFormatForPath("a/b.PNG"), ChartFileFormat::Png);
  EXPECT_EQ(chartFormatForPath("x.svg"), ChartFileFormat::Svg);
  EXPECT_EQ(chartFormatForPath("x.Pdf"), ChartFileFormat::Pdf);
  EXPECT_EQ(chartFormatForPath("x.jpg"), std::nullopt);
  test::TempFolder dir;
  EXPECT_EQ(writeChartFile(posixFileSystem(), samplePlot(), dir.file("c.jpg")).message(),
            "Chart file '" + dir.file("c.jpg") + "': use a .svg, .png or .pdf name.");
  EXPECT_TRUE(dir.list().empty());
}

TEST(CairoChart, FailedWriteLeavesTheOldChart) {
  test::TempFolder dir;
  ASSERT_TRUE(writeChartFile(posixFileSystem(), samplePlot(), dir.file("c.svg")).isOk());
  const auto size = std::filesystem::file_size(dir.file("c.svg"));
  test::FaultyFileSystem fs;
  fs.failWriteAfter = 10;
  EXPECT_FALSE(writeChartFile(fs, samplePlot(), dir.file("c.svg")).isOk());
  EXPECT_EQ(std::filesystem::file_size(dir.file("c.svg")), size);
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"c.svg"}));
}

// ---- the mission profile's charts ----

ProfileResult sortie() {
  ProfileResult r;
  r.profileName = "Sortie";
  r.phases = {{{"Ground", 2, 35.0, 2.0, 100.0, 0.0}, 10.0, 10.0, 1e5, 0.99998, 0.0, {}},
              {{"Flight", 6, 55.0, 6.0, 100.0, 0.0}, 40.0, 40.0, 25000.0, 0.99976, 2.0, {}}};
  r.curve = {{0, 1.0}, {2, 0.99998}, {5, 0.9999}, {8, 0.99974}};
  return r;
}

// A bar per phase; where each phase starts on the curve (its points of hours 0 and 2) a dashed
// line labelled with the phase; both charts in every format, the marks greying the PNG.
TEST(ProfileCharts, BarPerPhaseAndPhaseStartsMarkedOnTheCurveInEveryFormat) {
  const PlotModel barPlot = phaseFailureRatePlot(sortie(), {});
  const RecordingCanvas bars = draw(barPlot);
  ASSERT_EQ(bars.rects.size(), 3u);  // the background and two bars, the second four times the first
  EXPECT_NEAR(bars.rects[2].first.h, 4.0 * bars.rects[1].first.h, 0.01);
  PlotModel plot = profileReliabilityPlot(sortie(), {});
  const RecordingCanvas marked = draw(plot);
  std::vector<double> marks, curve;
  for (const auto& [points, pen] : marked.lines) {
    if (pen.dashed && points[0].x == points.back().x) marks.push_back(points[0].x);
    for (const Point& p : points) if (pen.width > 2.0) curve.push_back(p.x);
  }
  ASSERT_EQ(curve.size(), 4u);
  EXPECT_EQ(marks, (std::vector<double>{curve[0], curve[1]}));
  EXPECT_TRUE(marked.drew("Ground") && marked.drew("Flight"));
  std::vector<std::uint8_t> bytes;
  for (const PlotModel& p : {barPlot, plot})
    for (const auto& [format, magic] : {std::pair{ChartFileFormat::Svg, "<?xml"}, std::pair{ChartFileFormat::Pdf, "%PDF-"},
                                        std::pair{ChartFileFormat::Png, "\x89PNG"}})
      EXPECT_TRUE(renderChartBytes(p, format, bytes).isOk() && std::string(bytes.begin(), bytes.end()).rfind(magic, 0) == 0);
  const auto greyPixels = [&bytes](const PlotModel& p) {
    EXPECT_TRUE(renderChartBytes(p, ChartFileFormat::Png, bytes).isOk());
    std::pair<const std::vector<std::uint8_t>*, std::size_t> in{&bytes, 0};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readBytes, &in);
    const unsigned char* px = cairo_image_surface_get_data(image);  // 900 x 560, B G R A, rows unpadded
    int grey = 0;
    for (int i = 0; i < 900 * 560 * 4; i += 4) grey += px[i] < 200 && std::abs(px[i] - px[i + 2]) < 30;
    cairo_surface_destroy(image);
    return grey;
  };
  const int withMarks = greyPixels(plot);
  plot.xMarks.clear();
  EXPECT_GT(withMarks, greyPixels(plot) + 300);  // two dashed lines down the plot and their labels
}

}  // namespace
}  // namespace kestrel::graph

// ---- Axis scales: nice linear steps, whole decades, and labels that tell the
// ticks apart.
namespace kestrel::graph::axes {
namespace {

std::vector<std::string> labels(const AxisScale& s) {
  std::vector<std::string> out;
  for (const Tick& t : s.ticks) {
    if (t.major) out.push_back(t.label);
  }
  return out;
}

struct LinearCase {
  const char* name;
  double min, max;
  bool zero;
  std::vector<std::string> labels;
};

TEST(LinearAxis, TakesNiceStepsCoveringTheValues) {
  const LinearCase cases[] = {
      {"Temperatures", -55, 175, false, {"-100", "-50", "0", "50", "100", "150", "200"}},
      {"ReliabilityNearOne", 0.95, 0.999, false, {"0.95", "0.96", "0.97", "0.98", "0.99", "1.00"}},
      {"BarsFromZero", 12, 38, true, {"0", "10", "20", "30", "40"}},
      {"MtbfInHours", 20000, 95000, false, {"20000", "40000", "60000", "80000", "100000"}},
      {"LargeValuesInScientificForm", 1.2e7, 4.1e7, false, {"1e+07", "2e+07", "3e+07", "4e+07", "5e+07"}},
      {"HalfStepsOneDigitEach", 1.0e7, 3.0e7, false, {"1.0e+07", "1.5e+07", "2.0e+07", "2.5e+07", "3.0e+07"}},
      {"OneValueGetsARangeAroundIt", 5, 5, false, {"4.4", "4.6", "4.8", "5.0", "5.2", "5.4", "5.6"}},
      {"ReversedOrder", 10, 0, false, {"0", "2", "4", "6", "8", "10"}},
      {"NoNegativeZero", -0.3, 0.3, false, {"-0.4", "-0.2", "0.0", "0.2", "0.4"}}};
  for (const LinearCase& c : cases) {
    const AxisScale s = linearScale(c.min, c.max, 6, c.zero);
    EXPECT_EQ(labels(s), c.labels) << c.name;
    EXPECT_LE(s.lo, std::min(c.min, c.max) + 1e-12) << c.name;
    EXPECT_GE(s.hi, std::max(c.min, c.max) - 1e-12) << c.name;
  }
}

TEST(TightAxis, EndsAtTheSweptRangeWithNiceTicksInside) {
  const AxisScale s = tightLinearScale(-55, 175, 8);
  EXPECT_DOUBLE_EQ(s.lo, -55);
  EXPECT_DOUBLE_EQ(s.hi, 175);
  EXPECT_EQ(labels(s), (std::vector<std::string>{"-50", "0", "50", "100", "150"}));
  EXPECT_EQ(labels(tightLinearScale(0, 100, 8)), (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));
}

TEST(LogAxis, RunsFromDecadeToDecadeWithMinorTicksBetween) {
  const AxisScale s = logScale(0.03, 450);
  EXPECT_TRUE(s.log);
  EXPECT_DOUBLE_EQ(s.lo, 0.01);
  EXPECT_DOUBLE_EQ(s.hi, 1000);
  EXPECT_EQ(labels(s), (std::vector<std::string>{"0.01", "0.1", "1", "10", "100", "1000"}));
  EXPECT_EQ(s.ticks.size(), 6u + 5u * 8u);
  EXPECT_DOUBLE_EQ(s.fraction(1.0), 0.4);
  EXPECT_LT(s.fraction(0.0), 0.0);
}

TEST(LogAxis, OneDecadeAtLeastAndFarDecadesInScientificForm) {
  EXPECT_EQ(labels(logScale(10, 10)), (std::vector<std::string>{"10", "100"}));
  EXPECT_EQ(decadeLabel(7), "1e+07");
  EXPECT_EQ(decadeLabel(-5), "1e-05");
  EXPECT_EQ(decadeLabel(-4), "0.0001");
  EXPECT_EQ(decadeLabel(6), "1000000");
}

TEST(LogAxis, ValuesNotAboveZeroFallBackToLinear) { EXPECT_FALSE(logScale(0.0, 10).log); }

TEST(ValueLabels, FourSignificantDigitsAndPercents) {
  EXPECT_EQ(valueLabel(12.3456), "12.35");
  EXPECT_EQ(valueLabel(0.0012345), "0.001234");
  EXPECT_EQ(valueLabel(123456.7), "123457");
  EXPECT_EQ(valueLabel(2.5e8), "2.500e+08");
  EXPECT_EQ(valueLabel(1.0 / 0.0), "*");
  EXPECT_EQ(percentLabel(78.68), "78.7");
  EXPECT_EQ(percentLabel(0.9266), "0.93");
  EXPECT_EQ(percentLabel(0.00658), "0.0066");
}

}  // namespace
}  // namespace kestrel::graph::axes
