// The store file checker.
#include "store/store_check.hpp"

#include "store/journal.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <unordered_set>

#include "store/node.hpp"
#include "store/record_codec.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

constexpr std::int16_t kFreeOwner = 100;

// An entry kept as a range bound or as the previous entry of a level.
struct Bound {
  bool set = false;
  int index = 0;
  std::vector<std::uint8_t> key;
  std::uint32_t number = 0;
  int tag = 0;
  SearchKey search() const { return {index, key, number, tag}; }
};

// "R12": a record number as the messages write it.
std::string recordName(std::uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "R%u", number);
  return text;
}

Bound boundOf(const NodeImage& n, int i, const ByteOrder& o) {
  const auto k = n.key(i);
  return {true, n.index(i), {k.begin(), k.end()}, n.number(o, i), n.tag(i) & 0x7F};
}

class Checker {
 public:
  Checker(StoreFile& file, const CheckOptions& options, CheckReport& report)
      : file_(file), opt_(options), rep_(report) {}

  int run();

 private:
  struct Expected {
    std::int32_t node;
    Bound lo, hi;
  };
  struct Chain {
    bool open = false;
    int index = 0;
    std::vector<std::uint8_t> key;
    std::uint32_t number = 0;
    int nextTag = 0;
    std::int32_t node = -1;
    std::vector<std::uint8_t> data;
  };

  void fault(std::int32_t node, int code, std::string detail = {}) {
    if (static_cast<int>(rep_.faults.size()) >= opt_.maxFaults) {
      ++rep_.moreFaults;
      return;
    }
    rep_.faults.push_back({node, code, std::move(detail)});
  }
  bool readNode(std::int32_t n, NodeImage& img);
  // Whether entry i and a bound can be put in order: keys of a compound
  // index whose segments are not known can not (a bytewise order would
  // call a sound file damaged).
  bool comparable(const NodeImage& n, int i, const Bound& b) const {
    const int index = n.index(i);
    return index != b.index || kc_.type[index] != 8 || !kc_.segments[index].empty();
  }
  bool inUse(std::int32_t n) const { return n >= 0 && n < h_.nodesInUse; }
  void checkTree(int t);
  void leafEntry(const NodeImage& n, int i, std::int32_t node, Chain& chain);
  void finishEntry(Chain& chain);
  void checkRecord(const Chain& c);
  void checkFreeChain();

  StoreFile& file_;
  const CheckOptions& opt_;
  CheckReport& rep_;
  FileHeader h_;
  KeyContext kc_;
  std::vector<std::int16_t> owner_;
  std::unordered_set<std::uint32_t> records_, reused_;
  std::vector<std::pair<std::uint32_t, std::int32_t>> indexed_;  // (number, node) of index 1..17 entries
  long reuseEntries_ = 0;
  bool structureBroken_ = false;
};

bool Checker::readNode(std::int32_t n, NodeImage& img) {
  const long got = file_.read(nodeOffset(n), img.bytes.data(), kBlockSize);
  if (got != kBlockSize) {
    fault(n, kDiskReadError);
    return false;
  }
  const int rc = parseNode(img, kc_, n, h_.nodesInUse);
  if (rc != kOk) {
    fault(n, rc);
    return false;
  }
  return true;
}

int Checker::run() {
  std::uint8_t block[kBlockSize];
  const std::int64_t size = file_.size();
  if (file_.read(0, block, kBlockSize) != kBlockSize) {
    fault(-1, kDiskReadError, "file shorter than its header block");
    return kOk;
  }
  if (markerSet({block, kBlockSize})) fault(-1, kWriteInterrupted);
  block[kMarkerOffset] = block[kMarkerOffset + 1] = 0;
  const int rc = decodeHeader({block, kBlockSize}, size, h_);
  if (rc != kOk) {
    fault(-1, rc);
    return kOk;
  }
  kc_.order = h_.order;
  for (int i = 1; i < kIndexes; ++i) {
    kc_.type[i] = static_cast<std::uint8_t>(h_.keyTypeOf(i));
    kc_.segments[i] = opt_.segments[i];
  }
  rep_.nodesInUse = h_.nodesInUse;
  rep_.nodesPresent = h_.nodesPresent;
  owner_.assign(static_cast<std::size_t>(h_.nodesInUse), -1);
  for (int t = 0; t < kTrees; ++t) {
    if (t == 0 || h_.root[t] != 0) checkTree(t);
  }
  checkFreeChain();
  long unreached = 0;
  for (std::int32_t n = 0; n < h_.nodesInUse; ++n) {
    if (owner_[static_cast<std::size_t>(n)] != -1) continue;
    // Below a node that could not be read every node is unreached: one line says so.
    if (!structureBroken_) fault(n, kInvalidNode, "node in use but in no tree or free chain");
    ++unreached;
  }
  if (structureBroken_) {
    if (unreached > 0) fault(-1, kInvalidNode, std::to_string(unreached) + " nodes not reached past the faults above");
    return kOk;  // counts and cross-checks would only repeat the same faults
  }
  for (const auto& [number, node] : indexed_) {
    if (records_.count(number) == 0) fault(node, kDataRecordError, "index entry of missing record " + recordName(number));
  }
  for (std::uint32_t number : reused_) {
    if (records_.count(number) != 0) fault(-1, kDataRecordError, "record number " + recordName(number) + " both live and waiting for reuse");
  }
  if (rep_.records != h_.recordCount) {
    fault(-1, kCorruptedHeader, "header counts " + std::to_string(h_.recordCount) + " records, trees hold " +
                                    std::to_string(rep_.records));
  }
  if (reuseEntries_ != h_.reuseCount) {
    fault(-1, kCorruptedHeader, "header counts " + std::to_string(h_.reuseCount) + " reusable numbers, trees hold " +
                                    std::to_string(reuseEntries_));
  }
  return kOk;
}

void Checker::checkTree(int t) {
  const ByteOrder& o = h_.order;
  ++rep_.trees;
  std::vector<Expected> expect{{h_.root[t], {}, {}}};
  bool aboveBroken = false;  // the level above had a node that could not be read
  NodeImage n;
  for (int level = h_.height[t] - 1; level >= 0; --level) {
    std::vector<Expected> below;
    std::size_t next = 0;  // the next expected node of this level
    Bound prev;
    Chain chain;
    bool broken = false;
    std::int32_t node = expect.empty() ? -1 : expect.front().node, left = -1;
    // After a break the walk goes on at the next node the level above names.
    auto resume = [&] {
      broken = true;
      while (next < expect.size() && (!inUse(expect[next].node) || owner_[static_cast<std::size_t>(expect[next].node)] != -1)) {
        ++next;
      }
      node = next < expect.size() ? expect[next].node : -1;
      left = -2;
      prev = Bound{};
      chain.open = false;
    };
    for (long steps = 0; node != -1; ++steps) {
      if (steps >= 2L * h_.nodesInUse) break;
      if (!inUse(node)) {
        fault(left, kInvalidNode, "link to node " + std::to_string(node) + " outside the nodes in use");
        resume();
        continue;
      }
      std::int16_t& own = owner_[static_cast<std::size_t>(node)];
      if (own != -1) {
        fault(node, kTreeForwardPointer, "node reached twice: a loop or a shared node");
        resume();
        continue;
      }
      own = static_cast<std::int16_t>(t);
      const Expected* e = nullptr;
      if (next < expect.size() && expect[next].node == node) {
        e = &expect[next++];
      } else if (!aboveBroken) {
        fault(node, kTreeChildPointer, "tree " + std::to_string(t) + ": not referenced by the level above");
      }
      if (!readNode(node, n)) {
        resume();
        continue;
      }
      const std::string where = "tree " + std::to_string(t) + ", level " + std::to_string(level);
      if (n.level(o) != level) {
        // Its entries are not what this level holds: nothing below it can be trusted.
        fault(node, level == h_.height[t] - 1 ? kTreeRoot : kTreeReadDown, where);
        resume();
        continue;
      }
      if (left != -2 && n.left(o) != left) fault(node, kTreeReversePointer, where);
      for (int i = 0; i < n.count; ++i) {
        const std::string at = " (index " + std::to_string(n.index(i)) + ", entry " + std::to_string(i) + ")";
        if (h_.treeOfIndex(n.index(i)) != t) fault(node, kTreeScanning, "entry of another tree" + at);
        auto lessThan = [&](const Bound& b) { return comparable(n, i, b) && compareEntry(n, i, kc_, b.search()) < 0; };
        auto notAbove = [&](const Bound& b) { return comparable(n, i, b) && compareEntry(n, i, kc_, b.search()) <= 0; };
        if (prev.set && notAbove(prev)) fault(node, kTreeKeySequence, where + at);
        if (e != nullptr && ((e->lo.set && lessThan(e->lo)) || (e->hi.set && comparable(n, i, e->hi) && !lessThan(e->hi)))) {
          fault(node, kTreeKeySequence, "outside the parent's range" + at);
        }
        prev = boundOf(n, i, o);
        if (level == 0) leafEntry(n, i, node, chain);
      }
      if (level > 0) {
        const Bound lo = e ? e->lo : Bound{}, hi = e ? e->hi : Bound{};
        below.push_back({n.leftmost(o), lo, n.count > 0 ? boundOf(n, 0, o) : hi});
        for (int i = 0; i < n.count; ++i) {
          below.push_back({n.child(o, i), boundOf(n, i, o), i + 1 < n.count ? boundOf(n, i + 1, o) : hi});
        }
      }
      left = node;
      node = n.right(o);
      if (node == -1 && next < expect.size()) {
        fault(left, kTreeForwardPointer, "sibling chain ends before the level above says");
        resume();
      }
    }
    if (chain.open) fault(chain.node, kIncompleteRecord, "chunk chain without its last chunk");
    aboveBroken = aboveBroken || broken;
    expect = std::move(below);
  }
  if (aboveBroken) structureBroken_ = true;
}

void Checker::leafEntry(const NodeImage& n, int i, std::int32_t node, Chain& c) {
  const ByteOrder& o = h_.order;
  const int tag = n.tag(i) & 0x7F;
  const auto key = n.key(i);
  const bool same = c.open && c.index == n.index(i) && c.number == n.number(o, i) && c.key.size() == key.size() &&
                    std::equal(key.begin(), key.end(), c.key.begin());
  if (c.open && !(same && tag == c.nextTag)) {
    fault(c.node, kIncompleteRecord, "chunk chain broken at node " + std::to_string(node));
    c.open = false;
  }
  if (!c.open) {
    if (tag != 0) {
      fault(node, kIncompleteRecord, "chunk without its first chunk (entry " + std::to_string(i) + ")");
      return;
    }
    c.open = true;
    c.index = n.index(i);
    c.key.assign(key.begin(), key.end());
    c.number = n.number(o, i);
    c.nextTag = 0;
    c.node = node;
    c.data.clear();
  }
  const auto d = n.data(i);
  c.data.insert(c.data.end(), d.begin(), d.end());
  ++c.nextTag;
  if (n.tag(i) & kLastChunk) {
    finishEntry(c);
  } else if (c.nextTag >= 128) {
    fault(c.node, kIncompleteRecord, "more than 128 chunks");
    c.open = false;
  }
}

void Checker::finishEntry(Chain& c) {
  c.open = false;
  ++rep_.entries[static_cast<std::size_t>(c.index)];
  switch (c.index) {
    case 19:
      ++rep_.records;
      if (c.number == 0 || c.number >= static_cast<std::uint32_t>(h_.nextRecord)) {
        fault(c.node, kDataRecordError, recordName(c.number) + " at or above the next record number");
      }
      if (!records_.insert(c.number).second) fault(c.node, kDataRecordError, recordName(c.number) + " stored twice");
      checkRecord(c);
      break;
    case 18:
      ++reuseEntries_;
      if (!reused_.insert(c.number).second) fault(c.node, kDataRecordError, recordName(c.number) + " waiting for reuse twice");
      break;
    case 20:
      if (c.data.size() != 2) fault(c.node, kDataRecordError, "lock entry of " + recordName(c.number) + " without an owner slot");
      break;
    default:
      // Keys of data records carry no data; named records (index 7) do.
      if (c.index <= kMaxCallerIndex && c.index != kNamedIndex && c.data.empty()) indexed_.push_back({c.number, c.node});
      break;
  }
}

void Checker::checkRecord(const Chain& c) {
  const std::string rec = " (" + recordName(c.number) + ")";
  const auto& d = c.data;
  if (d.size() < static_cast<std::size_t>(kRecordHeader + 2)) {
    fault(c.node, kIncompleteRecord, "record too short" + rec);
    return;
  }
  if (opt_.fields.empty()) {
    const std::uint16_t stored = h_.order.get16(&d[2]);
    const std::span<const std::uint8_t> body(d.data() + 4, d.size() - 4);
    if (stored != recordChecksum(body, true) && stored != recordChecksum(body, false)) fault(c.node, kRecordChecksum, rec);
    if (d[d.size() - 1] != 0xFF || d[d.size() - 2] != 0xFF) fault(c.node, kIncompleteRecord, "no end mark" + rec);
    return;
  }
  std::vector<DataField> fields;
  for (const FieldShape& s : opt_.fields) {
    DataField f;
    f.type = s.type;
    f.length = s.length;
    fields.push_back(f);
  }
  std::vector<FieldValue> values;
  const int rc = parseRecord(d, fields, h_.order, false, values);
  if (rc != kOk) fault(c.node, rc, rec);
}

void Checker::checkFreeChain() {
  const ByteOrder& o = h_.order;
  std::int32_t n = h_.freeHead;
  for (long steps = 0; n != -1; ++steps) {
    if (n < 0 || n >= h_.nodesInUse || steps >= h_.nodesInUse) {
      fault(n, kTreeFreeChain, steps >= h_.nodesInUse ? "loop in the free chain" : "free chain leaves the file");
      return;
    }
    std::int16_t& own = owner_[static_cast<std::size_t>(n)];
    if (own != -1) {
      fault(n, kTreeFreeChain, "free node also in a tree");
      return;
    }
    own = kFreeOwner;
    std::uint8_t raw[kBlockSize];
    if (file_.read(nodeOffset(n), raw, kBlockSize) != kBlockSize) {
      fault(n, kDiskReadError);
      return;
    }
    if (o.get16(raw + 12) != kFreedLevel || o.geti32(raw) != -1 || o.geti32(raw + 8) != -1) {
      fault(n, kTreeFreeChain, "not marked free");
      return;
    }
    n = o.geti32(raw + 4);
  }
}

}  // namespace

std::string describeFault(const CheckFault& f) {
  std::string s = f.node < 0 ? "header" : "node " + std::to_string(f.node);
  s += ": " + StoreErrorText(f.code);
  if (!f.detail.empty()) s += " (" + f.detail + ")";
  return s;
}

int checkStoreFile(StoreFile& file, const CheckOptions& options, CheckReport& report) {
  report = CheckReport{};
  return Checker(file, options, report).run();
}

int checkStore(const std::string& path, const CheckOptions& options, CheckReport& report, StoreFileSystem* fsp) {
  StoreFileSystem& fs = fsp != nullptr ? *fsp : posixStoreFileSystem();
  OpenResult r;
  auto file = fs.open(path, true, r);
  if (!file) file = fs.open(path, false, r);
  if (!file) return kFail;
  // Hold the update lock so that no write bracket runs meanwhile.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    const LockResult l = file->tryLock(kUpdateLockOffset, 1);
    if (l == LockResult::Locked) break;
    if (l == LockResult::Failed) return kDiskError;
    if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // A writer that died in its bracket left a journal: the check sees the
  // file as it was before that bracket.
  Journal::Recovery outcome;
  int rc = Journal::recoverLocked(fs, path, *file, std::chrono::seconds(30), outcome);
  if (rc == kOk && file->tryLock(kShareLockOffset, 1, LockKind::Exclusive) == LockResult::Locked) {
    Journal::removeIdle(fs, path, *file);  // nobody else has the file open
    file->unlock(kShareLockOffset, 1);
  }
  if (rc == kOk) rc = checkStoreFile(*file, options, report);
  file->unlock(kUpdateLockOffset, 1);
  return rc;
}

}  // namespace kestrel::store
