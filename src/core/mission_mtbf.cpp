// The mission MTBF: the integral of the circuit reliability R(t) over
// 0..infinity. A time T0 where R is about 0.1 is found first (trial times a
// decade apart, then false position), then segments of length T0 are
// integrated with Romberg's method until one adds less than 0.1 % to the sum.
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel {
namespace {

constexpr int kTrialTimes = 10;
// Past the ten trial times the search goes on, a decade at a time, for a
// circuit so redundant that R is still above 0.15 there.
constexpr int kExtraTrialTimes = 20;
constexpr int kRootFinderIterations = 50;
constexpr int kSegments = 10;
constexpr int kRombergLevels = 10;

// Child documents read once for the whole integration: R(t) reads every
// sub-file at every point, and nothing changes them in between.
class CachedSubFiles final : public SubFileAccess {
 public:
  explicit CachedSubFiles(SubFileAccess* inner) : inner_(inner) {}
  Opened open(const std::string& path, bool keepFiles, Ui& ui) override {
    const std::string key = upperCased(path);
    if (auto it = cache_.find(key); it != cache_.end()) return {it->second.get(), nullptr, true};
    if (inner_ == nullptr) return {};
    Opened opened = inner_->open(path, keepFiles, ui);
    if (opened.owned) {
      CCircDoc* doc = opened.owned.get();
      cache_.emplace(key, std::move(opened.owned));
      return {doc, nullptr, true};
    }
    return opened;
  }
  bool save(CCircDoc&, Ui&) override { return true; }  // R(t) never saves

 private:
  SubFileAccess* inner_;
  std::map<std::string, std::unique_ptr<CCircDoc>> cache_;
};

// R(t) of the document with the window kept alive and cancel honoured.
class ReliabilityFunction {
 public:
  ReliabilityFunction(CCircDoc& doc, CalcContext& outer)
      : doc_(doc), cache_(outer.subFiles), context_(outer.ui, &cache_) {
    context_.active = outer.active;
  }

  bool operator()(double t, double& r) {
    Ui& ui = context_.ui;
    if (!ui.processEvents()) return false;
    if (ui.cancelRequested()) {
      if (ui.confirm("Cancel calculation?")) {
        ui.progressLine(4, "...Cancel.");
        return false;
      }
      ui.clearCancel();
    }
    ++evaluations_;
    if (!doc_.SystemR(context_, 0, t)) return false;
    r = doc_.header().RelAtT;
    return true;
  }
  Ui& ui() { return context_.ui; }
  long evaluations() const { return evaluations_; }

 private:
  CCircDoc& doc_;
  CachedSubFiles cache_;
  CalcContext context_;
  long evaluations_ = 0;
};

bool fail(Ui& ui, const char* what) {
  ui.progressLine(1, strprintf("Mission MTBF Calculation...Error: %s.", what));
  return false;
}

// False position on f(t) = R(t) - 0.1 between a (f > 0) and b (f < 0).
bool findRoot(ReliabilityFunction& R, double a, double fa, double b, double fb, double& t0) {
  Ui& ui = R.ui();
  auto estimate = [&]() { return b - (a - b) * fb / (fa - fb); };
  if (fa == fb) return fail(ui, "root finder");
  double t = estimate();
  for (int iteration = 1; iteration <= kRootFinderIterations; ++iteration) {
    ui.progressLine(1, strprintf("Mission MTBF Calculation: Find T0 (%d, %.1lf hrs.)...", iteration, t));
    double r = 0.0;
    if (!R(t, r)) return false;
    const double ft = r - 0.1;
    if (ft * fa == 0.0) {
      t0 = t;
      return true;
    }
    if (ft * fa < 0.0) {
      b = t;
      fb = ft;
    } else {
      a = t;
      fa = ft;
    }
    if (fa == fb) return fail(ui, "root finder");
    const double next = estimate();
    if (next != 0.0 && std::fabs((next - t) / next) < 0.05) {
      ui.progressLine(1, strprintf("Mission MTBF Calculation: Check T0 (%d, %.1lf hrs.)...", iteration, next));
      double rn = 0.0;
      if (!R(next, rn)) return false;
      if (rn >= 0.05 && rn <= 0.15) {
        t0 = next;
        return true;
      }
    }
    t = next;
  }
  return fail(ui, "root finder");
}

bool findT0(ReliabilityFunction& R, double totalFailureRate, double& t0) {
  Ui& ui = R.ui();
  double prevT = 0.0, prevR = 1.0;
  const double base = -std::log(0.1) * 1000000.0 / totalFailureRate;
  for (int i = 1; i <= kTrialTimes + kExtraTrialTimes; ++i) {
    const double t = std::pow(10.0, i - 1) * base;
    ui.progressLine(1, strprintf("Mission MTBF Calculation: Find T0 (%d, %.1lf hrs.)...", i, t));
    double r = 0.0;
    if (!R(t, r)) return false;
    if (r >= 0.05 && r <= 0.15) {
      t0 = t;
      return true;
    }
    if (r < 0.1) return findRoot(R, prevT, prevR - 0.1, t, r - 0.1, t0);
    prevT = t;
    prevR = r;
  }
  return fail(ui, "no time found where the reliability falls to 0.15");
}

// Romberg integration of R over [a, b]; each level adds the midpoints of the
// previous level's intervals (the same trapezoid sums as evaluating every
// point afresh, with half the evaluations).
bool romberg(ReliabilityFunction& R, int segment, double a, double b, double& result) {
  Ui& ui = R.ui();
  std::vector<std::vector<double>> T(kRombergLevels + 1);
  double ra = 0.0, rb = 0.0;
  ui.progressLine(1, strprintf("Mission MTBF Integration %d: Step %d/%d, Segment %d/%d...", segment, 0,
                               kRombergLevels, 0, 1));
  if (!R(a, ra)) return false;
  ui.progressLine(1, strprintf("Mission MTBF Integration %d: Step %d/%d, Segment %d/%d...", segment, 0,
                               kRombergLevels, 1, 1));
  if (!R(b, rb)) return false;
  T[0].push_back((b - a) / 2.0 * (ra + rb));
  double previousD = -1.0;
  for (int m = 1; m <= kRombergLevels; ++m) {
    const long n = 1L << m;
    const double h = (b - a) / static_cast<double>(n);
    double midpoints = 0.0;
    for (long i = 1; i < n; i += 2) {
      ui.progressLine(1, strprintf("Mission MTBF Integration %d: Step %d/%d, Segment %ld/%ld...", segment, m,
                                   kRombergLevels, i, n));
      double r = 0.0;
      if (!R(a + static_cast<double>(i) * h, r)) return false;
      midpoints += r;
    }
    T[m].push_back(T[m - 1][0] / 2.0 + h * midpoints);
    for (int j = 1; j <= m; ++j) {
      const double f = std::pow(4.0, j);
      T[m].push_back((f * T[m][j - 1] - T[m - 1][j - 1]) / (f - 1.0));
    }
    if (m >= 2) {
      const double best = T[m][m];
      const double d = std::fabs(T[m - 1][m - 1] - best);
      // Diverging: the previous level was the better estimate.
      if (previousD >= 0.0 && d > previousD) {
        result = T[m - 1][m - 1];
        return true;
      }
      if (d <= 0.01 * std::fabs(best)) {
        result = best;
        return true;
      }
      previousD = d;
    }
  }
  return fail(ui, "Romberg integration failed");
}

}  // namespace

bool CCircDoc::MissionMTBF(CalcContext& context, long* evaluations) {
  CCircHeader& h = header_;
  h.CalcFlags &= static_cast<std::uint16_t>(~HeaderMissionMtbfDone);
  // A circuit that never fails: no search, no integration.
  if (!(h.TotalFR > 0.0)) {
    h.MissionMTBF = std::numeric_limits<double>::infinity();
    return true;
  }
  ReliabilityFunction R(*this, context);
  auto done = [&](bool ok) {
    if (evaluations != nullptr) *evaluations += R.evaluations();
    return ok;
  };
  double t0 = 0.0;
  if (!findT0(R, h.TotalFR, t0)) return done(false);

  double sum = 0.0;
  for (int k = 1; k <= kSegments; ++k) {
    double part = 0.0;
    if (!romberg(R, k, (k - 1) * t0, k * t0, part)) return done(false);
    sum += part;
    if (sum != 0.0 && std::fabs(part / sum) <= 0.001) {
      h.MissionMTBF = sum;
      return done(true);
    }
  }
  return done(fail(context.ui, "integration failed"));
}

}  // namespace kestrel
