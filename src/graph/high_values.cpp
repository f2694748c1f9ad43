#include "graph/high_values.hpp"

#include <algorithm>
#include <map>
#include <optional>

#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"

namespace kestrel::graph {
namespace {

bool isSubFile(const CPart& part) {
  return part.PART_TYPE == kSubCircuitType || part.PART_TYPE == kSubHybridType;
}

// What one unit of a record's total failure rate adds to the document's.
double documentFactor(const CCircDoc& doc) {
  const CCircHeader& h = doc.header();
  if (!doc.isHybrid()) return h.CF;
  return h.SUMCHIPS > 0.0 ? h.TotalFR / h.SUMCHIPS : 0.0;
}

std::string fileNameOf(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Sums contributions into items by key, keeping the order keys first appear.
class ItemSums {
 public:
  void add(const std::string& key, const std::string& name, const std::string& circuit, double value) {
    auto [it, fresh] = index_.try_emplace(key, items_.size());
    if (fresh) items_.push_back({name, 0.0, circuit});
    items_[it->second].value += value;
  }
  std::vector<GraphItem> take() { return std::move(items_); }

 private:
  std::map<std::string, std::size_t> index_;
  std::vector<GraphItem> items_;
};

// Sums contributions into one entry per part record, keeping the order
// records are first reached. A record is its document and position: a
// document reached through several sub-file records sums into one entry.
// Entries stay small until they become items, which only the ones shown need.
class RecordSums {
 public:
  struct Entry {
    const CCircDoc* doc;
    const CPart* part;
    double value;
    GraphItem item() const { return {part->PN, value, doc->title()}; }
  };

  explicit RecordSums(const WorkingSet& set) {
    std::size_t slots = 0;
    for (const auto& doc : set.documents()) {
      first_[doc.get()] = slots;
      slots += doc->count();
    }
    entryOf_.assign(slots, kNone);
  }
  void add(const CCircDoc& doc, std::size_t index, const CPart& part, double value) {
    std::size_t& entry = entryOf_[first_.at(&doc) + index];
    if (entry == kNone) {
      entry = entries_.size();
      entries_.push_back({&doc, &part, 0.0});
    }
    entries_[entry].value += value;
  }
  const std::vector<Entry>& entries() const { return entries_; }
  std::vector<GraphItem> take() const {
    std::vector<GraphItem> items;
    items.reserve(entries_.size());
    for (const Entry& e : entries_) items.push_back(e.item());
    return items;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::map<const CCircDoc*, std::size_t> first_;  // each document's first slot
  std::vector<std::size_t> entryOf_;
  std::vector<Entry> entries_;
};

class Collector {
 public:
  Collector(WorkingSet& set, ItemKind kind, bool hierarchy)
      : set_(set), kind_(kind), hierarchy_(hierarchy) {
    if (kind == ItemKind::PartRecords) records_.emplace(set);
  }

  std::vector<GraphItem> run() {
    walk(set_.top(), 1.0, 1);
    return records_ ? records_->take() : sums_.take();
  }
  // The part records only, before they become items.
  const RecordSums& records() {
    walk(set_.top(), 1.0, 1);
    return *records_;
  }

 private:
  void walk(const CCircDoc& doc, double weight, int level) {
    const double factor = documentFactor(doc);
    for (std::size_t i = 0; i < doc.count(); ++i) {
      const CPart& part = doc.record(i);
      const double value = weight * factor * part.TFR();
      if (isSubFile(part)) {
        if (hierarchy_) {
          const CCircDoc* child = set_.find(subFilePath(doc.path(), part.FileName));
          // The calculation refused cycles and deep nesting before this runs.
          if (child != nullptr && level < kMaxLevels) {
            const double unit = static_cast<double>(part.QTY) * part.CF * part.DutyCycle * 0.01;
            walk(*child, weight * factor * unit, level + 1);
          }
          continue;
        }
        if (kind_ == ItemKind::Circuits) {
          const std::string name = fileNameOf(part.FileName);
          sums_.add(upperCased(name), name, {}, value);
          continue;
        }
      }
      add(doc, i, part, value);
    }
  }

  void add(const CCircDoc& doc, std::size_t index, const CPart& part, double value) {
    switch (kind_) {
      case ItemKind::PartRecords: records_->add(doc, index, part, value); break;
      case ItemKind::PartTypes: {
        const std::string type = part.GetTypeName();
        sums_.add(type, type, {}, value);
        break;
      }
      case ItemKind::Circuits: sums_.add(upperCased(doc.title()), doc.title(), {}, value); break;
      case ItemKind::None: break;
    }
  }

  WorkingSet& set_;
  ItemKind kind_;
  bool hierarchy_;
  ItemSums sums_;
  std::optional<RecordSums> records_;  // part records only
};

}  // namespace

std::string_view allOtherName(ItemKind kind) {
  switch (kind) {
    case ItemKind::PartTypes: return "All Other Part Types";
    case ItemKind::Circuits: return "All Other Circuits";
    default: return "All Other Part Records";
  }
}

std::vector<GraphItem> collectItems(WorkingSet& set, ItemKind kind, bool includeHierarchy) {
  if (set.empty()) return {};
  return Collector(set, kind, includeHierarchy).run();
}

std::vector<GraphItem> highestPartRecords(WorkingSet& set, std::size_t count) {
  if (set.empty()) return {};
  Collector collector(set, ItemKind::PartRecords, true);
  const std::vector<RecordSums::Entry>& entries = collector.records().entries();
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const std::size_t shown = std::min(count, order.size());
  // Highest first; of equal values the one reached first.
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown), order.end(),
                    [&](std::size_t a, std::size_t b) {
                      return entries[a].value != entries[b].value ? entries[a].value > entries[b].value : a < b;
                    });
  std::vector<GraphItem> items;
  for (std::size_t i = 0; i < shown; ++i) items.push_back(entries[order[i]].item());
  return items;
}

std::vector<GraphItem> highestItems(std::vector<GraphItem> items, long maxItems, ItemKind kind, bool percent) {
  double total = 0.0;
  for (const GraphItem& item : items) total += item.value;
  std::stable_sort(items.begin(), items.end(),
                   [](const GraphItem& a, const GraphItem& b) { return a.value > b.value; });
  const std::size_t keep = static_cast<std::size_t>(std::max(0L, maxItems));
  if (items.size() > keep) {
    GraphItem rest{std::string(allOtherName(kind)), 0.0, {}};
    for (std::size_t i = keep; i < items.size(); ++i) rest.value += items[i].value;
    items.resize(keep);
    items.push_back(std::move(rest));
  }
  if (percent) {
    for (GraphItem& item : items) item.value = total > 0.0 ? item.value / total * 100.0 : 0.0;
  }
  return items;
}

void getHighValues(WorkingSet& set, const GraphSettings& settings, Ui& ui, GraphData& data) {
  const bool percent = valueOf(settings.type) == Value::ItemPercent;
  ui.clearProgress();
  ui.progressLine(1, "Graph: Getting High Values Data...");
  const std::string title = set.empty() ? std::string() : upperCased(set.top().title());
  ui.progressLine(2, percent ? strprintf("'%s' Highest %%FR Value Calculation", title.c_str())
                             : strprintf("'%s' Highest FR Value Calculation", title.c_str()));
  const ItemKind kind = itemKindOf(settings.type);
  data.items = highestItems(collectItems(set, kind, settings.includeHierarchy), settings.maxItems, kind, percent);
}

}  // namespace kestrel::graph
