// Record locks between processes: entries of index 20 naming the locked data
// entry and the owner's user slot. An owner whose slot byte can be locked has
// gone (ended without closing), and its locks are taken over. The look-up,
// the test of the owner and the insert happen in one write bracket, so two
// processes cannot both take a record. In exclusive mode a lock is only a
// flag of the handle.
#include "store/bracket.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {

int RecordStore::lockEntry(std::uint32_t number, Position& at, int& owner) {
  owner = -1;
  Tree t = treeFor(kLockIndex);
  const int rc = t.find(kLockIndex, lockKey(), number, at);
  if (rc != kOk) return rc;
  NodeRef n;
  const int g = pager_->get(at.node, n);
  if (g != kOk) return g;
  const auto data = n->data(at.pos);
  if (data.size() == 2) owner = header_.order.get16(data.data());
  return kOk;
}

bool RecordStore::slotAlive(int owner) {
  if (owner == slot_) return true;
  if (owner < 0 || owner >= kUserSlots) return false;
  const std::uint64_t at = kUserSlotOffset + static_cast<std::uint64_t>(owner);
  switch (file_->tryLock(at, 1)) {
    case LockResult::Locked: file_->unlock(at, 1); return false;
    case LockResult::Busy: return true;
    default: return true;
  }
}

int RecordStore::lockLocked(int index, std::span<const std::uint8_t> expectedKey) {
  const auto number = static_cast<std::uint32_t>(current_);
  Position at;
  Tree data = treeFor(kDataIndex);
  int rc = data.find(kDataIndex, emptyKey(kDataIndex), number, at);
  if (rc == kFail) return kDataReadError;
  if (rc != kOk) return rc;
  rc = settle(kDataIndex, at, true);  // the data index's cursor is on the record
  if (rc != kOk) return rc;
  if (index != 0) {
    // The number may have been given to another record since the caller
    // found it: the record must still carry the key the caller expects.
    if (index < 1 || index > 20) return kParameterError;
    Position k;
    rc = treeFor(index).find(index, expectedKey, number, k);
    if (rc == kFail) {
      current_ = -1;
      return kFail;
    }
    if (rc != kOk) return rc;
  }
  if (!shared()) {
    lastLocked_ = current_;
    indexLock_[kDataIndex] = 'L';
    return kOk;
  }
  int owner = -1;
  rc = lockEntry(number, at, owner);
  if (rc == kOk) {
    if (owner == slot_) {
      lastLocked_ = current_;
      return kOk;
    }
    if (slotAlive(owner)) return kLockedByOther;
    rc = treeFor(kLockIndex).remove(at);  // left by a process that has gone
  } else if (rc == kFail) {
    rc = kOk;
  }
  if (rc == kOk) rc = pager_->ensureSpare(spareFor(kLockIndex, 1));
  if (rc != kOk) return rc;
  std::uint8_t slot[2];
  header_.order.put16(slot, static_cast<std::uint16_t>(slot_));
  rc = treeFor(kLockIndex).insertData(kLockIndex, lockKey(), number, slot);
  if (rc != kOk) return rc;
  ++locksMade_;
  lastLocked_ = current_;
  return kOk;
}

int RecordStore::LockRecord() { return LockRecord(0, {}); }

int RecordStore::LockRecord(int index, std::span<const std::uint8_t> expectedKey) {
  const int rc = checkHandle();
  if (rc != kOk) return rc;
  if (current_ < 0) return kNoCurrentRecord;
  if (!shared()) {
    detail::ReadBracket b(*this);
    if (b.status() != kOk) return b.status();
    return b.finish(lockLocked(index, expectedKey));
  }
  if (access_ != kReadWriteAccess) return kReadOnly;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  return b.finish(lockLocked(index, expectedKey));
}

int RecordStore::UnlockRecord() {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  const std::int32_t number = current_ >= 0 ? current_ : lastLocked_;
  if (number < 0) return kNoCurrentRecord;
  if (!shared()) {
    if (lastLocked_ != number) return kUnlocked;
    lastLocked_ = -1;
    indexLock_[kDataIndex] = 'U';
    return kOk;
  }
  if (access_ != kReadWriteAccess) return kReadOnly;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  Position at;
  int owner = -1;
  rc = lockEntry(static_cast<std::uint32_t>(number), at, owner);
  if (rc == kFail) return b.finish(kUnlocked);
  if (rc != kOk) return b.finish(rc);
  if (owner != slot_) return b.finish(kLockedByOther);
  rc = treeFor(kLockIndex).remove(at);
  if (rc == kOk && lastLocked_ == number) lastLocked_ = -1;
  return b.finish(rc);
}

int RecordStore::TestLock() {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (current_ < 0) return kNoCurrentRecord;
  if (!shared()) return lastLocked_ == current_ ? kLockedBySelf : kUnlocked;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  Position at;
  int owner = -1;
  rc = lockEntry(static_cast<std::uint32_t>(current_), at, owner);
  if (rc == kFail) return b.finish(kUnlocked);
  if (rc != kOk) return b.finish(rc);
  if (owner == slot_) return b.finish(kLockedBySelf);
  return b.finish(slotAlive(owner) ? kLockedByOther : kUnlocked);
}

int RecordStore::ownLocks(bool removeThem, bool& any) {
  any = false;
  Tree t = treeFor(kLockIndex);
  Position at;
  bool found = false;
  int rc = t.seek(SearchKey{kLockIndex, {}, 0, 0}, at, found);
  const long limit = static_cast<long>(header_.nodesInUse) * kMaxEntries;
  for (long guard = 0; rc == kOk && found; ++guard) {
    if (guard > limit) return kTreeForwardPointer;
    NodeRef n;
    rc = pager_->get(at.node, n);
    if (rc != kOk) break;
    if (n->index(at.pos) != kLockIndex) break;
    const auto data = n->data(at.pos);
    const bool mine = data.size() == 2 && header_.order.get16(data.data()) == slot_;
    any = any || mine;
    if (!mine || !removeThem) {
      n = NodeRef();
      rc = t.next(at, found);
      continue;
    }
    const std::vector<std::uint8_t> key(n->key(at.pos).begin(), n->key(at.pos).end());
    const std::uint32_t number = n->number(header_.order, at.pos);
    n = NodeRef();
    rc = t.remove(at);
    if (rc == kOk) rc = t.seek(SearchKey{kLockIndex, key, number, 0}, at, found);
  }
  return rc;
}

int RecordStore::dropOwnLocks() {
  // Looking needs only a read bracket; a write bracket (which waits for every
  // reader) only when there is something to remove.
  bool any = false;
  {
    detail::ReadBracket b(*this);
    if (b.status() != kOk) return b.status();
    const int rc = b.finish(ownLocks(false, any));
    if (rc != kOk) return rc;
  }
  if (any) {
    detail::WriteBracket b(*this);
    if (b.status() != kOk) return b.status();
    const int rc = b.finish(ownLocks(true, any));
    if (rc != kOk) return rc;
  }
  locksMade_ = 0;
  return kOk;
}

}  // namespace kestrel::store
