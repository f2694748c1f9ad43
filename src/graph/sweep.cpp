#include "graph/sweep.hpp"

#include <cmath>

#include "core/calculate_command.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "core/whatif.hpp"

namespace kestrel::graph {
namespace {


std::string stepOf(int step, int steps) { return strprintf("(Step %d of %d)", step, steps); }

class Sweeper {
 public:
  Sweeper(WorkingSet& set, const GraphSettings& settings, Ui& ui)
      : set_(set), settings_(settings), ui_(ui), top_(set.top()) {
    // Every document of the hierarchy takes the change; the graph keeps each
    // document's own correction factor and mission time.
    whatIf_.entireHierarchy = true;
    whatIf_.cfOverride = -1.0f;
    whatIf_.missionTimeOverride = -1.0f;
    for (const auto& doc : set_.documents()) saved_.push_back({doc->header().TEMP, doc->header().ENV});
  }

  bool run(GraphData& data) {
    ui_.clearProgress();
    ui_.progressLine(1, "Graph: Batch Calculations...");
    data.series.clear();
    switch (sweepOf(settings_.type)) {
      case Sweep::Temperature: return temperatures(data);
      case Sweep::Environment: return environments(data);
      case Sweep::TemperatureEnvironment: return temperaturesByEnvironment(data);
      case Sweep::Stress: return stresses(data);
      case Sweep::Time: return times(data);
      case Sweep::Items: return calculate(nullptr, false, "");
    }
    return false;
  }

  // One calculation of the copies; `whatIf` null for none. `mtbf`: the
  // mission stages follow in mission mode.
  bool calculate(WhatIfSettings* whatIf, bool mtbf, const std::string& step) {
    if (whatIf != nullptr) whatIf->processedFiles.clear();
    detail::PointUi pointUi(ui_);
    CalcContext context(pointUi, &set_);
    bool ok = top_.BasicCalc(context, 0, settings_.mission ? settings_.missionTime : -1.0, whatIf, true);
    if (ok && mtbf && settings_.mission) {
      SmtOffForMission smt(top_.header());
      ok = top_.MissionCalc(context, 0) && top_.MissionMTBF(context);
    }
    if (!ok) ui_.message("Error at Calculation Iteration...\n..." + step + ".");
    return ok;
  }

 private:
  double pointValue() const {
    const CCircHeader& h = top_.header();
    if (valueOf(settings_.type) == Value::Mtbf) return settings_.mission ? h.MissionMTBF : h.MTBF;
    return h.TotalFR;
  }

  // The progress lines of a point: line 2 (may be empty) and line 3.
  void stepLines(const std::string& line2, const std::string& line3) {
    ui_.progressLine(1, "Graph: Calculation Iteration...");
    ui_.progressLine(2, line2);
    ui_.progressLine(3, line3);
  }

  bool point(const std::string& step, double& value) {
    if (!calculate(&whatIf_, valueOf(settings_.type) == Value::Mtbf, step)) return false;
    value = pointValue();
    return true;
  }

  void restoreTemperatures() {
    for (std::size_t i = 0; i < saved_.size(); ++i) set_.documents()[i]->header().TEMP = saved_[i].temp;
    ui_.progressLine(3, strprintf("'%s' - Restore Temperature (%.0fC)", title().c_str(),
                                  static_cast<double>(saved_.front().temp)));
  }
  void restoreEnvironments() {
    for (std::size_t i = 0; i < saved_.size(); ++i) set_.documents()[i]->header().ENV = saved_[i].env;
  }

  std::string title() const { return upperCased(top_.title()); }

  bool temperatures(GraphData& data) {
    const std::vector<long> points = rangePoints(settings_.from, settings_.to, settings_.step);
    const int n = static_cast<int>(points.size());
    whatIf_.tempMode = SetDirect;
    std::vector<double> values;
    bool ok = true;
    for (int k = 0; k < n && ok; ++k) {
      whatIf_.tempValue = static_cast<float>(points[static_cast<std::size_t>(k)]);
      const std::string step = strprintf("'%s' - %ldC ", title().c_str(), points[static_cast<std::size_t>(k)]) +
                               stepOf(k + 1, n);
      stepLines({}, step);
      double v = 0.0;
      ok = point(step, v);
      if (ok) values.push_back(v);
    }
    restoreTemperatures();
    if (!ok) return false;
    data.x.assign(points.begin(), points.end());
    data.series.push_back(std::move(values));
    return true;
  }

  bool environments(GraphData& data) {
    std::vector<std::uint8_t> codes;
    if (Status s = parseEnvironments(settings_.environments, codes); !s) return false;
    const int n = static_cast<int>(codes.size());
    whatIf_.changeEnvironment = true;
    std::vector<double> values;
    bool ok = true;
    for (int k = 0; k < n && ok; ++k) {
      const std::uint8_t code = codes[static_cast<std::size_t>(k)];
      whatIf_.environment = code;
      const std::string name(kEnvironments.text(code));
      const std::string step = "'" + name + "' " + stepOf(k + 1, n);
      stepLines({}, step);
      double v = 0.0;
      ok = point(step, v);
      if (ok) {
        values.push_back(v);
        data.environments.push_back(name);
      }
    }
    restoreEnvironments();
    if (!ok) return false;
    data.series.push_back(std::move(values));
    return true;
  }

  bool temperaturesByEnvironment(GraphData& data) {
    std::vector<std::uint8_t> codes;
    if (Status s = parseEnvironments(settings_.environments, codes); !s) return false;
    const std::vector<long> points = rangePoints(settings_.from, settings_.to, settings_.step);
    const int envs = static_cast<int>(codes.size());
    const int n = static_cast<int>(points.size());
    whatIf_.changeEnvironment = true;
    whatIf_.tempMode = SetDirect;
    bool ok = true;
    for (int e = 0; e < envs && ok; ++e) {
      const std::uint8_t code = codes[static_cast<std::size_t>(e)];
      whatIf_.environment = code;
      const std::string name(kEnvironments.text(code));
      const std::string envStep = "'" + name + "' " + stepOf(e + 1, envs);
      std::vector<double> values;
      for (int k = 0; k < n && ok; ++k) {
        whatIf_.tempValue = static_cast<float>(points[static_cast<std::size_t>(k)]);
        const std::string step = strprintf("%ldC ", points[static_cast<std::size_t>(k)]) + stepOf(k + 1, n);
        stepLines(envStep, step);
        double v = 0.0;
        ok = point(envStep + " " + step, v);
        if (ok) values.push_back(v);
      }
      if (ok) {
        data.environments.push_back(name);
        data.series.push_back(std::move(values));
      }
    }
    restoreEnvironments();
    restoreTemperatures();
    if (!ok) return false;
    data.x.assign(points.begin(), points.end());
    return true;
  }

  bool stresses(GraphData& data) {
    const std::vector<long> points = rangePoints(settings_.from, settings_.to, settings_.step);
    const int n = static_cast<int>(points.size());
    whatIf_.stressMode = SetDirect;
    std::vector<double> values;
    for (int k = 0; k < n; ++k) {
      whatIf_.stressValue = static_cast<float>(points[static_cast<std::size_t>(k)]);
      const std::string step = strprintf("%ld%% ", points[static_cast<std::size_t>(k)]) + stepOf(k + 1, n);
      stepLines({}, step);
      double v = 0.0;
      if (!point(step, v)) return false;
      values.push_back(v);
    }
    data.x.assign(points.begin(), points.end());
    data.series.push_back(std::move(values));
    return true;
  }

  bool cancelled() {
    if (!ui_.processEvents()) return true;
    if (!ui_.cancelRequested()) return false;
    if (ui_.confirm("Cancel calculation?")) {
      ui_.progressLine(4, "...Cancel.");
      return true;
    }
    ui_.clearCancel();
    return false;
  }

  // One calculation, then the reliability at each time: the basic
  // reliability exp(-FR t), or in mission mode the circuit's reliability at
  // t by its model through the hierarchy.
  bool times(GraphData& data) {
    ui_.progressLine(1, "Graph: Calculation Iteration...");
    if (!calculate(nullptr, false, "Time")) return false;
    const std::vector<long> points = rangePoints(settings_.from, settings_.to, settings_.step);
    const int n = static_cast<int>(points.size());
    const double hoursPerUnit = settings_.timeUnit == TimeUnit::Years ? kHoursPerYear : 1.0;
    std::vector<double> values;
    SmtOffForMission smt(top_.header());
    for (int k = 0; k < n; ++k) {
      const long t = points[static_cast<std::size_t>(k)];
      const std::string step = strprintf("%ld ", t) + stepOf(k + 1, n);
      stepLines({}, step);
      if (cancelled()) {
        ui_.message("Error at Calculation Iteration...\n..." + step + ".");
        return false;
      }
      const double hours = static_cast<double>(t) * hoursPerUnit;
      if (settings_.mission) {
        detail::PointUi pointUi(ui_);
        CalcContext context(pointUi, &set_);
        if (!top_.SystemR(context, 0, hours)) {
          ui_.message("Error at Calculation Iteration...\n..." + step + ".");
          return false;
        }
        values.push_back(top_.header().RelAtT);
      } else {
        values.push_back(std::exp(-top_.header().TotalFR * hours * 0.000001));
      }
    }
    data.x.assign(points.begin(), points.end());
    data.series.push_back(std::move(values));
    return true;
  }

  struct Saved {
    float temp;
    std::uint8_t env;
  };

  WorkingSet& set_;
  const GraphSettings& settings_;
  Ui& ui_;
  CCircDoc& top_;
  WhatIfSettings whatIf_;
  std::vector<Saved> saved_;
};

}  // namespace

bool runSweep(WorkingSet& set, const GraphSettings& settings, Ui& ui, GraphData& data) {
  if (set.empty() || !isValidGraphType(settings.type)) {
    ui.progressLine(5, strprintf("...Error: graph type parameter [%d].", settings.type));
    return false;
  }
  return Sweeper(set, settings, ui).run(data);
}

bool calculateOnce(WorkingSet& set, const GraphSettings& settings, Ui& ui) {
  if (set.empty()) return false;
  ui.clearProgress();
  ui.progressLine(1, "Graph: Batch Calculations...");
  return Sweeper(set, settings, ui).calculate(nullptr, false, "Calculation");
}

}  // namespace kestrel::graph
