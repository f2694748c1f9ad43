#include "graph/profile_hazards.hpp"

#include <cmath>
#include <map>

#include "core/model_combination.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::graph {
namespace {

constexpr double kPerMillionHours = 0.000001;

}  // namespace

ProfileHazards::ProfileHazards(WorkingSet& set) {
  std::map<const CCircDoc*, int> indexOf;
  for (const auto& doc : set.documents()) {
    indexOf[doc.get()] = static_cast<int>(documents_.size());
    documents_.push_back({doc.get(), {}, false});
  }
  for (Document& d : documents_) {
    d.child.assign(d.doc->count(), -1);
    for (std::size_t i = 0; i < d.doc->count(); ++i) {
      const CPart& part = d.doc->record(i);
      if (part.PART_TYPE != kSubCircuitType) continue;
      // The calculation of the first phase found every sub-circuit.
      if (const CCircDoc* child = set.find(subFilePath(d.doc->path(), part.FileName))) d.child[i] = indexOf[child];
    }
  }
}

void ProfileHazards::addPhase(double agingShare) {
  Rates rates(documents_.size());
  for (std::size_t k = 0; k < documents_.size(); ++k) {
    Document& d = documents_[k];
    const CCircHeader& h = d.doc->header();
    std::vector<double>& r = rates[k];
    const std::size_t n = d.doc->count();
    r.resize(n + 3, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      const CPart& part = d.doc->record(i);
      r[i] = static_cast<double>(part.DutyCycle) * 0.01 * part.FR * kPerMillionHours * agingShare;
      if (d.child[i] < 0) r[n + 2] += static_cast<double>(part.QTY) * r[i];
    }
    r[d.doc->count()] = h.TotalFR * kPerMillionHours * agingShare;
    r[d.doc->count() + 1] = h.LargestFRSMT * kPerMillionHours * agingShare;
    if (solderJointsAreAUnit(h)) d.solderJoints = true;
  }
  phases_.push_back(std::move(rates));
}

Status ProfileHazards::reliability(std::span<const double> hours, double& out) const {
  std::vector<double> memo(documents_.size(), -1.0);
  if (Status s = documentReliability(0, hours, memo); !s) return s;
  out = memo[0];
  return Status::ok();
}

Status ProfileHazards::documentReliability(std::size_t index, std::span<const double> hours,
                                           std::vector<double>& memo) const {
  const Document& d = documents_[index];
  const std::size_t n = d.doc->count();
  auto hazard = [&](std::size_t slot) {
    double sum = 0.0;
    for (std::size_t p = 0; p < phases_.size() && p < hours.size(); ++p) sum += phases_[p][index][slot] * hours[p];
    return sum;
  };
  const CCircHeader& h = d.doc->header();
  if (d.doc->isHybrid()) {
    memo[index] = std::exp(-hazard(n));
    return Status::ok();
  }
  const bool serial = h.MODEL == 1;
  std::vector<UnitReliability> units;
  units.reserve(serial ? 1 : n);
  if (serial) units.push_back({std::exp(-hazard(n + 2)), 1.0});
  for (std::size_t i = 0; i < n; ++i) {
    const CPart& part = d.doc->record(i);
    if (serial && d.child[i] < 0) continue;  // in the one unit above
    double r = 0.0;
    if (const int child = d.child[i]; child >= 0) {
      const auto c = static_cast<std::size_t>(child);
      if (memo[c] < 0.0) {
        if (Status s = documentReliability(c, hours, memo); !s) return s;
      }
      // A sub-circuit counts by its duty cycle and correction factor.
      r = std::pow(memo[c], static_cast<double>(part.DutyCycle) * 0.01 * part.CF);
    } else {
      r = std::exp(-hazard(i));
    }
    units.push_back({r, part.QTY});
  }
  const CombinationResult result = combineReliabilities(
      units, {h.MODEL, h.NREQ, h.PartsCount, d.solderJoints, std::exp(-hazard(n + 1)), h.CF});
  if (!result.reliability) {
    return Status::error(StatusCode::InvalidArgument, "'" + d.doc->title() + "': " + result.error);
  }
  memo[index] = *result.reliability;
  return Status::ok();
}

}  // namespace kestrel::graph
