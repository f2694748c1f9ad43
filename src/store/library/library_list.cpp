#include "store/library/library_list.hpp"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <set>

#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "store/library/salvage.hpp"

namespace kestrel::library {

std::string libraryListLine(const LibEntry& entry, int style) {
  const std::string type = typeName(entry.type, entry.hybrid != 0, nullptr);
  // A record that can not be read shows what its key holds and says so
  // where its own fields would be.
  const bool damaged = !entry.damaged.empty();
  if (style == 2) {
    return lineprintf("%s%-25.25s  %-15.15s  %-25.25s", " ", entry.pn.c_str(), damaged ? "(damaged)" : entry.pn2.c_str(),
                      type.c_str());
  }
  if (damaged) return lineprintf("%s%-25.25s  %-25.25s  %-10s", " ", entry.pn.c_str(), type.c_str(), "(damaged)");
  const std::time_t t = entry.stamp > 0 ? entry.stamp : 0;
  std::tm local{};
  localtime_r(&t, &local);
  const std::string date = strprintf("%02d/%02d/%4d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  return lineprintf("%s%-25.25s  %-25.25s  %-10s", " ", entry.pn.c_str(), type.c_str(), date.c_str());
}

std::vector<std::string> libraryHeaderLines(PartLibrary& lib) {
  HeaderTexts texts;
  lib.readHeader(texts);
  return {lineprintf("Description: %s", texts.description.c_str()),
          lineprintf("Library File: %s", lib.path().c_str()),
          lineprintf("%s    %s", "Library Parts List", strprintf("Records: %ld", lib.count()).c_str())};
}

std::string xrefListLine(const XRefEntry& entry) {
  return lineprintf("%s%-25.25s  %-25.25s", " ", entry.xref.pn.c_str(),
                    entry.damaged.empty() ? entry.xref.libPn.c_str() : "(damaged)");
}

std::vector<std::string> xrefHeaderLines(XRefFile& xref) {
  HeaderTexts texts;
  xref.readHeader(texts);
  return {lineprintf("Description: %s", texts.description.c_str()),
          lineprintf("%s    %s", "Cross-Reference List", strprintf("Records: %ld", xref.count()).c_str())};
}

Outcome keyedListPosition(KeyedFile& file, int index, std::int32_t record, long& position) {
  store::RecordStore& s = file.store();
  position = -1;
  int rc = s.Step(index, store::kStepFirst);
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) {
    file.fail(statusCodeOf(rc), "can not seq first record", store::StoreErrorText(rc));
    return Outcome::Failed;
  }
  if (s.CurrentRecord() == record) {
    position = 0;
    return Outcome::Ok;
  }
  long at = 0;
  rc = s.ScanKeys(index, [&](std::span<const std::uint8_t>, std::int32_t number) {
    ++at;
    return number == record;
  });
  if (rc == store::kFail) return Outcome::NotFound;
  if (rc != store::kOk) {
    file.fail(statusCodeOf(rc), "can not find specified record", store::StoreErrorText(rc));
    return Outcome::Failed;
  }
  position = at;
  return Outcome::Ok;
}

template <typename File, typename Entry>
Outcome ListPager<File, Entry>::moveTo(long position, Entry& entry) {
  long at = anchorPosition_;
  Entry here = anchor_;
  const long fromAnchor = at < 0 ? -1 : std::labs(position - at);
  const long fromEnd = count_ > 0 && position < count_ ? count_ - 1 - position : -1;
  // From the remembered place, the top or the end, whichever is nearest.
  if (fromEnd >= 0 && fromEnd < position && (fromAnchor < 0 || fromEnd < fromAnchor)) {
    const Outcome o = file_.last(entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    at = count_ - 1;
  } else if (fromAnchor < 0 || position < fromAnchor) {
    const Outcome o = file_.first(entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    at = 0;
  }
  while (at < position) {
    const Outcome o = file_.next(here, entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    ++at;
  }
  while (at > position) {
    const Outcome o = file_.previous(here, entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    --at;
  }
  entry = here;
  return Outcome::Ok;
}

namespace {
void dropBlob(LibEntry& entry) { entry.blob.clear(); }
void dropBlob(XRefEntry&) {}
}  // namespace

template <typename File, typename Entry>
Outcome ListPager<File, Entry>::page(long position, std::size_t count, std::vector<Entry>& out) {
  out.clear();
  if (position < 0 || count == 0) return Outcome::Ok;
  Entry entry;
  Outcome o = moveTo(position, entry);
  if (o == Outcome::End) return Outcome::Ok;
  if (o != Outcome::Ok) return o;
  out.push_back(entry);
  while (out.size() < count) {
    Entry following;
    o = file_.next(out.back(), following);
    if (o == Outcome::End) break;
    if (o != Outcome::Ok) return o;
    out.push_back(std::move(following));
  }
  anchorPosition_ = position + static_cast<long>(out.size()) - 1;
  anchor_ = out.back();
  dropBlob(anchor_);
  return Outcome::Ok;
}

namespace {

// Whether a record read block by block is the one a damaged entry's key names.
bool sameKey(const LibEntry& a, const LibEntry& b) { return a.pn == b.pn && a.type == b.type && a.hybrid == b.hybrid; }
bool sameKey(const XRefEntry& a, const XRefEntry& b) { return a.pn == b.pn; }

// The records of a file read block by block, once, when the walk first needs them.
template <typename File, typename Entry>
class SalvageOnDemand {
 public:
  explicit SalvageOnDemand(File& file) : file_(file) {}
  const std::vector<Entry>& entries() {
    if (!done_) {
      done_ = true;
      salvageOpenFile(file_, salvaged_);
    }
    return salvaged_.entries;
  }
  const Entry* find(std::int32_t record) {
    const auto& all = entries();
    auto it = std::lower_bound(all.begin(), all.end(), record, [](const Entry& e, std::int32_t r) { return e.record < r; });
    return it != all.end() && it->record == record ? &*it : nullptr;
  }

 private:
  File& file_;
  bool done_ = false;
  Salvaged<Entry> salvaged_;
};

}  // namespace

template <typename File, typename Entry>
Outcome walkList(File& file, const std::function<bool(const Entry&)>& visit, ListWalk& walk) {
  walk = {};
  walk.count = file.count();
  if (walk.count < 0) return Outcome::Failed;
  std::set<std::int32_t> seen;
  SalvageOnDemand<File, Entry> salvage(file);
  Entry entry;
  Outcome o = file.first(entry);
  while (o == Outcome::Ok) {
    ++walk.listed;
    seen.insert(entry.record);
    if (!entry.damaged.empty()) {
      // A record the tree can not reach may still be whole in its block.
      const Entry* found = salvage.find(entry.record);
      if (found != nullptr && sameKey(*found, entry)) {
        Entry whole = *found;
        whole.key = entry.key;
        entry = std::move(whole);
        ++walk.recovered;
      } else {
        ++walk.damaged;
      }
    }
    if (!visit(entry)) return Outcome::Ok;
    Entry following;
    o = file.next(entry, following);
    entry = std::move(following);
  }
  if (o == Outcome::End && walk.listed == walk.count && walk.recovered == 0) return Outcome::Ok;
  // A damaged index hides no record that can still be read: the rest follow
  // in record-number order, read block by block.
  const StoreMessage broke = o == Outcome::Failed ? file.error() : StoreMessage{};
  for (const Entry& e : salvage.entries()) {
    if (seen.count(e.record) != 0) continue;
    ++walk.listed;
    ++walk.recovered;
    if (!visit(e)) break;
  }
  const std::string how =
      strprintf("%ld of %ld records listed, %ld of them read past a damaged index: the file is damaged", walk.listed,
                walk.count, walk.recovered);
  file.fail(StatusCode::Corrupt, "can not seq next record",
            broke.what.empty() ? how : broke.detail + "; " + how);
  return Outcome::Failed;
}

template Outcome walkList(PartLibrary&, const std::function<bool(const LibEntry&)>&, ListWalk&);
template Outcome walkList(XRefFile&, const std::function<bool(const XRefEntry&)>&, ListWalk&);

template <typename File, typename Entry>
Outcome ListPager<File, Entry>::readablePage(long position, std::size_t count, std::vector<Entry>& out) {
  if (!walked_) {
    const Outcome o = page(position, count, out);
    const long total = count_ >= 0 ? count_ : file_.count();
    const long expected = std::min(static_cast<long>(count), std::max(0L, total - position));
    const bool damaged = std::any_of(out.begin(), out.end(), [](const Entry& e) { return !e.damaged.empty(); });
    if (o == Outcome::Ok && !damaged && static_cast<long>(out.size()) >= expected) return o;
    walked_ = true;
    walkOutcome_ = walkList<File, Entry>(file_, [&](const Entry& e) {
      whole_.push_back(e);
      dropBlob(whole_.back());
      return true;
    }, walk_);
  }
  out.clear();
  for (long i = std::max(0L, position); i < static_cast<long>(whole_.size()) && out.size() < count; ++i) {
    out.push_back(whole_[static_cast<std::size_t>(i)]);
  }
  return walkOutcome_;
}

template class ListPager<PartLibrary, LibEntry>;
template class ListPager<XRefFile, XRefEntry>;

}  // namespace kestrel::library
