// The hazards of a mission profile over a hierarchy held in memory. After
// each phase's calculation the rate at which one unit of every record
// accumulates hazard in that phase is taken (duty cycle x FR, times the
// share of the phase it ages at that rate: on + dormant x off); a hybrid
// document ages at its total failure rate, solder joints at the largest
// solder-joint failure rate. The reliability at any split of time between
// the phases is then each record's exp(-H), combined by each document's own
// model up to the top level.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "core/status.hpp"
#include "graph/working_set.hpp"

namespace kestrel::graph {

class ProfileHazards {
 public:
  // The documents of a calculated set, each record linked to the copy its
  // sub-circuit names.
  explicit ProfileHazards(WorkingSet& set);

  // Takes the rates of the set as calculated now, for one more phase aging
  // at `agingShare` of its powered rate.
  void addPhase(double agingShare);

  // The top-level reliability after `hours[p]` hours in phase p (one value
  // per phase added; a multiple of the phase durations for repeated
  // profiles). Fails with the model's error naming the document.
  Status reliability(std::span<const double> hours, double& out) const;

 private:
  struct Document {
    const CCircDoc* doc = nullptr;
    std::vector<int> child;  // per record: the index of its sub-circuit's document, or -1
    bool solderJoints = false;
  };
  // Rates per phase: [phase][document][record], the hybrid's own rate in
  // the document's slot `records`, the solder joints' in `records + 1`, and
  // in `records + 2` the sum of QTY x rate over the records that are not
  // sub-circuits: a serial document's own parts age as one unit at that
  // rate, so its reliability costs one exp however many parts it has.
  using Rates = std::vector<std::vector<double>>;

  Status documentReliability(std::size_t index, std::span<const double> hours, std::vector<double>& memo) const;

  std::vector<Document> documents_;
  std::vector<Rates> phases_;
};

}  // namespace kestrel::graph
