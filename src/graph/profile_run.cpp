#include "graph/profile_run.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "core/choice.hpp"
#include "core/path_names.hpp"
#include "core/strfmt.hpp"
#include "core/whatif.hpp"
#include "core/windows1252.hpp"
#include "graph/hierarchy_copy.hpp"
#include "graph/high_values.hpp"
#include "graph/profile_hazards.hpp"
#include "graph/sweep.hpp"

namespace kestrel::graph {
namespace {

constexpr int kMaxRepetitions = 1000000;

// Passes everything on and keeps the last error the run wrote, so that the
// status of a failed run can say what went wrong.
class RememberingUi final : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;
  void message(std::string_view text) override {
    last_ = text;
    inner().message(text);
  }
  void progressLine(int line, std::string_view text) override {
    if (line >= 4 && !text.empty()) last_ = text;
    inner().progressLine(line, text);
  }

  const std::string& last() const { return last_; }
  bool cancelled() const { return last_ == "...Cancel."; }

 private:
  std::string last_;
};

double mtbfOf(double failureRate) {
  return failureRate > 0.0 ? 1000000.0 / failureRate : std::numeric_limits<double>::infinity();
}

// The share of a phase's time a part ages at its powered failure rate.
double agingShare(const MissionPhase& phase) {
  const double on = phase.poweredPercent * 0.01;
  return on + phase.dormantMultiplier * (1.0 - on);
}

class ProfileRun {
 public:
  ProfileRun(const ProfileJob& job, ScratchFiles& files, Ui& ui)
      : job_(job), files_(files), ui_(ui), phases_(job.profile.phases) {}

  Status run(ProfileResult& out) {
    if (Status s = checkProfile(job_.profile, job_.profilePath); !s) return s;
    if (phases_.empty()) return failure(StatusCode::InvalidArgument, "the profile has no phases");
    if (job_.repetitions < 1 || job_.repetitions > kMaxRepetitions) {
      return failure(StatusCode::InvalidArgument,
                     strprintf("the repetitions must be 1..%d, not %d", kMaxRepetitions, job_.repetitions));
    }
    const std::string top = profileTopPath(job_.profilePath, job_.profile);
    if (Status s = checkTopLevel(top); !s) return s;
    set_ = readHierarchy({top, job_.openDocuments}, files_, "Mission Profile: Reading Files...", ui_);
    if (!set_) return failure(ui_.cancelled() ? StatusCode::Cancelled : StatusCode::Failed, ui_.last());

    ProfileResult result;
    result.profileName = job_.profile.name;
    result.profilePath = job_.profilePath;
    result.topLevelPath = top;
    result.repetitions = job_.repetitions;
    for (std::size_t p = 0; p < phases_.size(); ++p) {
      if (Status s = calculatePhase(p, result); !s) return s;
    }
    result.model = set_->top().header().MODEL;
    if (Status s = profileFigures(result); !s) return s;
    out = std::move(result);
    return Status::ok();
  }

 private:
  Status failure(StatusCode code, const std::string& text) const {
    return Status::error(code, "'" + job_.profilePath + "': " + text);
  }
  Status phaseFailure(std::size_t p, const std::string& text) const {
    return Status::error(ui_.cancelled() ? StatusCode::Cancelled : StatusCode::Failed,
                         strprintf("'%s': phase %zu ('%s'): %s", job_.profilePath.c_str(), p + 1,
                                   windows1252ToUtf8(phases_[p].name).c_str(), text.c_str()));
  }

  Status checkTopLevel(const std::string& top) {
    if (job_.openDocuments != nullptr && job_.openDocuments->find(top) != nullptr) return Status::ok();
    // Asked, not read: the walk of the hierarchy reads it.
    if (::access(top.c_str(), R_OK) != 0) {
      const int err = errno;
      return failure(err == ENOENT ? StatusCode::NotFound : StatusCode::Io,
                     "the top-level file '" + top + "' can not be read: " + std::strerror(err));
    }
    return Status::ok();
  }

  // One What-If? change of every document's environment and temperature,
  // then the basic calculation of the copies.
  Status calculatePhase(std::size_t p, ProfileResult& result) {
    const MissionPhase& phase = phases_[p];
    ui_.clearProgress();
    ui_.progressLine(1, "Mission Profile: Phase Calculations...");
    ui_.progressLine(3, strprintf("'%s' (Phase %zu of %zu)", windows1252ToUtf8(phase.name).c_str(), p + 1,
                                  phases_.size()));
    WhatIfSettings whatIf;
    whatIf.entireHierarchy = true;
    whatIf.cfOverride = -1.0f;
    whatIf.missionTimeOverride = -1.0f;
    whatIf.changeEnvironment = true;
    whatIf.environment = phase.environment;
    whatIf.tempMode = SetDirect;
    whatIf.tempValue = static_cast<float>(phase.temperature);
    detail::PointUi pointUi(ui_);
    CalcContext context(pointUi, set_.get());
    if (!set_->top().BasicCalc(context, 0, -1.0, &whatIf, true)) return phaseFailure(p, ui_.last());

    if (!hazards_) hazards_ = std::make_unique<ProfileHazards>(*set_);
    const double share = agingShare(phase);
    hazards_->addPhase(share);

    PhaseResult r;
    r.phase = phase;
    r.poweredFailureRate = set_->top().header().TotalFR;
    r.failureRate = r.poweredFailureRate * share;
    r.mtbf = mtbfOf(r.failureRate);
    r.startHours = result.totalHours;
    result.totalHours += phase.hours;
    for (const GraphItem& item : highestPartRecords(*set_, job_.contributorsPerPhase)) {
      if (item.value * share > 0.0) r.contributors.push_back({item.name, item.circuit, item.value * share});
    }
    result.phases.push_back(std::move(r));
    return Status::ok();
  }

  Status reliabilityAt(const std::vector<double>& hours, double& out) const {
    if (Status s = hazards_->reliability(hours, out); !s) return failure(StatusCode::InvalidArgument, s.message());
    return Status::ok();
  }

  Status profileFigures(ProfileResult& result) {
    ui_.clearProgress();
    ui_.progressLine(1, "Mission Profile: Reliability...");
    const std::size_t n = phases_.size();
    std::vector<double> whole(n), alone(n, 0.0);
    double hazardSum = 0.0;
    for (std::size_t p = 0; p < n; ++p) {
      whole[p] = phases_[p].hours;
      alone[p] = phases_[p].hours;
      if (Status s = reliabilityAt(alone, result.phases[p].reliability); !s) return s;
      alone[p] = 0.0;
      hazardSum += result.phases[p].failureRate * phases_[p].hours;
    }
    result.averageFailureRate = hazardSum / result.totalHours;
    result.mtbf = mtbfOf(result.averageFailureRate);
    if (Status s = reliabilityAt(whole, result.reliability); !s) return s;
    std::vector<double> repeated(whole);
    for (double& h : repeated) h *= result.repetitions;
    if (Status s = reliabilityAt(repeated, result.repeatedReliability); !s) return s;
    return curve(result);
  }

  // Points spread evenly over each phase, with the phase boundaries among them.
  Status curve(ProfileResult& result) {
    const std::size_t n = phases_.size();
    const std::size_t steps = std::max<std::size_t>(job_.curvePointsPerPhase, 1);
    std::vector<double> hours(n, 0.0);
    result.curve.push_back({0.0, 1.0});
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t k = 1; k <= steps; ++k) {
        hours[p] = phases_[p].hours * static_cast<double>(k) / static_cast<double>(steps);
        ReliabilityPoint point{result.phases[p].startHours + hours[p], 1.0};
        if (Status s = reliabilityAt(hours, point.reliability); !s) return s;
        result.curve.push_back(point);
      }
      if (!ui_.processEvents()) return failure(StatusCode::Cancelled, "...Cancel.");
    }
    return Status::ok();
  }

  const ProfileJob& job_;
  ScratchFiles& files_;
  RememberingUi ui_;
  const std::vector<MissionPhase>& phases_;
  std::unique_ptr<WorkingSet> set_;
  std::unique_ptr<ProfileHazards> hazards_;
};

}  // namespace

std::string profileTopPath(const std::string& profilePath, const MissionProfile& profile) {
  if (profile.topLevel.empty() || profile.topLevel.front() == '/') return profile.topLevel;
  const std::string folder = folderOf(profilePath);
  if (folder.empty()) return profile.topLevel;
  return folder == "/" ? "/" + profile.topLevel : folder + "/" + profile.topLevel;
}

std::string profileTopName(const std::string& profilePath, const std::string& topPath) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(fs::absolute(fs::path(profilePath), error).parent_path(), error);
  const fs::path top = fs::weakly_canonical(fs::absolute(fs::path(topPath), error), error);
  if (error) return topPath;
  const fs::path relative = top.lexically_relative(folder);
  return relative.empty() ? topPath : relative.generic_string();
}

Status runProfile(const ProfileJob& job, ScratchFiles& files, Ui& ui, ProfileResult& out) {
  return ProfileRun(job, files, ui).run(out);
}

}  // namespace kestrel::graph
