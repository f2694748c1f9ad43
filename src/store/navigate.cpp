// Positioning: FindKey's five modes, Step and ScanKeys over an index cursor.
//
// A cursor is on an entry (its key, number and tag are kept, so that it can
// be found again after the tree changed), in the gap before a search key,
// before the first or after the last entry, or not set. While the tree is
// unchanged the cursor also remembers where its entry lies, and a step is a
// move to the neighbouring entry. Steps land on the first chunk of an entry.
#include <cstring>

#include "store/bracket.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {

int RecordStore::settle(int index, Position at, bool forward) {
  Tree t = treeFor(index);
  bool found = true;
  for (int guard = 0; guard <= kMaxChunkCount; ++guard) {
    NodeRef n;
    int rc = pager_->get(at.node, n);
    if (rc != kOk) return rc;
    if (n->index(at.pos) != index) return kFail;
    if ((n->tag(at.pos) & 0x7F) == 0) {
      Cursor& c = cursors_[static_cast<std::size_t>(index)];
      const auto k = n->key(at.pos);
      c.state = Cursor::On;
      c.key.assign(k.begin(), k.end());
      c.number = n->number(header_.order, at.pos);
      c.tag = 0;
      c.hint = at;
      c.version = pager_->version();
      current_ = static_cast<std::int32_t>(c.number);
      return kOk;
    }
    n = NodeRef();
    rc = forward ? t.next(at, found) : t.prev(at, found);
    if (rc != kOk) return rc;
    if (!found) return kFail;
  }
  return kIncompleteRecord;
}

int RecordStore::stepOnce(int index, int mode) {
  Cursor& c = cursors_[static_cast<std::size_t>(index)];
  Tree t = treeFor(index);
  Position at;
  bool found = false;
  int rc = kOk;
  const bool forward = mode == kStepNext || mode == kStepFirst;
  const SearchKey here{index, c.key, c.number, c.tag};
  auto first = [&] { return t.seek(SearchKey{index, {}, 0, 0}, at, found); };
  auto last = [&] {
    int r = t.seek(SearchKey{index + 1, {}, 0, 0}, at, found);
    return r == kOk ? t.prev(at, found) : r;
  };
  const bool hinted = c.state == Cursor::On && c.version == pager_->version();
  switch (mode) {
    case kStepFirst: rc = first(); break;
    case kStepLast: rc = last(); break;
    case kStepNext:
      switch (c.state) {
        case Cursor::Unset:
        case Cursor::BeforeStart: rc = first(); break;
        case Cursor::AfterEnd: found = false; break;
        case Cursor::Gap: rc = t.seek(here, at, found); break;
        case Cursor::On:
          if (hinted) {
            at = c.hint;
            rc = t.next(at, found);
            break;
          }
          rc = t.seek(here, at, found);
          if (rc == kOk && found) {
            NodeRef n;
            rc = pager_->get(at.node, n);
            if (rc == kOk && compareEntry(*n, at.pos, keys_, here) == 0) {
              n = NodeRef();
              rc = t.next(at, found);
            }
          }
          break;
      }
      break;
    default:  // previous
      switch (c.state) {
        case Cursor::Unset:
        case Cursor::AfterEnd: rc = last(); break;
        case Cursor::BeforeStart: found = false; break;
        case Cursor::Gap:
        case Cursor::On:
          if (hinted) {
            at = c.hint;
          } else {
            rc = t.seek(here, at, found);
          }
          if (rc == kOk) rc = t.prev(at, found);
          break;
      }
      break;
  }
  if (rc == kOk && found) rc = settle(index, at, forward);
  else if (rc == kOk) rc = kFail;
  if (rc != kOk) {
    current_ = -1;
    if (rc == kFail) {
      c.state = forward ? Cursor::AfterEnd : Cursor::BeforeStart;
    } else {
      c.state = Cursor::Unset;
    }
  }
  return rc;
}

std::span<const std::uint8_t> RecordStore::CursorKey(int index) const {
  if (index < 1 || index > 20) return {};
  const Cursor& c = cursors_[static_cast<std::size_t>(index)];
  if (c.state != Cursor::On) return {};
  return c.key;
}

std::int32_t RecordStore::CursorNode(int index) const {
  if (index < 1 || index > 20) return -1;
  const Cursor& c = cursors_[static_cast<std::size_t>(index)];
  return c.state == Cursor::On ? c.hint.node : -1;
}

int RecordStore::Step(int index, int mode) {
  const int rc = checkHandle();
  if (rc != kOk) return rc;
  if (index < 1 || index > 20 || mode < kStepNext || mode > kStepLast) return kParameterError;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  return b.finish(stepOnce(index, mode));
}

int RecordStore::ScanKeys(int index, const KeyVisitor& visitor) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (index < 1 || index > 20 || !visitor) return kParameterError;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  const Cursor& c = cursors_[static_cast<std::size_t>(index)];
  const long limit = static_cast<long>(header_.nodesInUse) * kMaxEntries;
  for (long steps = 0; steps <= limit; ++steps) {
    rc = stepOnce(index, kStepNext);
    if (rc != kOk) return b.finish(rc);
    const std::vector<std::uint8_t> key = c.key;
    if (visitor(key, static_cast<std::int32_t>(c.number))) return b.finish(kOk);
  }
  current_ = -1;
  return b.finish(kTreeForwardPointer);
}

int RecordStore::FindKey(int index, std::span<const std::uint8_t> key, std::uint8_t expectedType, int mode) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (index < 1 || index > 20 || mode < kFindEqual || mode > kFindEqualOrLess) return kParameterError;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  const int type = keys_.type[static_cast<std::size_t>(index)];
  if (!(expectedType == type || expectedType == 'N' || expectedType == 'E' || (expectedType == 'S' && type == 0))) {
    return b.finish(kKeyTypeError);
  }
  if (key.size() > static_cast<std::size_t>(kMaxKeyLength) ||
      storedKeyLength(type, key) != static_cast<int>(key.size())) {
    return b.finish(kParameterError);
  }
  Cursor& c = cursors_[static_cast<std::size_t>(index)];
  Tree t = treeFor(index);
  Position at;
  bool found = false;
  rc = t.seek(SearchKey{index, key, 0, 0}, at, found);
  if (rc != kOk) return b.finish(rc);
  bool equal = false, sameIndex = false;
  auto look = [&]() -> int {
    equal = sameIndex = false;
    if (!found) return kOk;
    NodeRef n;
    const int r = pager_->get(at.node, n);
    if (r != kOk) return r;
    sameIndex = n->index(at.pos) == index;
    equal = sameIndex && compareKeys(keys_, index, n->key(at.pos), key) == 0;
    return kOk;
  };
  rc = look();
  int result = kFail;
  bool forward = true;
  if (rc == kOk) {
    switch (mode) {
      case kFindEqual:
        if (equal) result = kOk;
        break;
      case kFindGreater:
        for (long guard = 0; rc == kOk && equal; ++guard) {
          if (guard > static_cast<long>(header_.nodesInUse) * kMaxEntries) rc = kTreeForwardPointer;
          if (rc == kOk) rc = t.next(at, found);
          if (rc == kOk) rc = look();
        }
        if (sameIndex) result = kOk;
        break;
      case kFindEqualOrGreater:
        if (equal) result = kOk;
        else if (sameIndex) result = 2;
        break;
      default:  // less, equal or less
        if (mode == kFindEqualOrLess && equal) {
          result = kOk;
          break;
        }
        forward = false;
        rc = t.prev(at, found);
        if (rc == kOk) rc = look();
        if (sameIndex) result = mode == kFindLess ? kOk : 3;
        break;
    }
  }
  if (rc == kOk && result != kFail) rc = settle(index, at, forward);
  if (rc != kOk || result == kFail) {
    current_ = -1;
    c.state = Cursor::Gap;
    c.key.assign(key.begin(), key.end());
    c.number = 0;
    c.tag = 0;
    return b.finish(rc != kOk ? rc : kFail);
  }
  return b.finish(result);
}

}  // namespace kestrel::store
