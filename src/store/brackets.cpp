// Read and write brackets and the byte-range locks between processes.
//
// A writer takes the update lock (771), re-reads block 0, then the whole
// reader range (562..770), which waits for every reader to leave; at the end
// it writes back, releases the range, re-takes its own reader byte if a read
// bracket is still open, and releases 771. A reader takes and releases 771
// (so that it queues behind a waiting writer), takes its reader byte
// (562 + slot) and re-reads block 0 (a reader that finds a dead writer's
// marker there rolls that bracket back first). When the update counter
// there differs from the one last seen, every cached node of the handle is
// dropped and the header read again. Waits sleep between tries, poll the
// cancel callback and give up with -102 after the lock timeout.
#include <thread>

#include "store/pager.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {

int RecordStore::lockWait(std::uint64_t offset, std::uint64_t length) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + lockTimeout_;
  auto pause = std::chrono::microseconds(20);
  for (;;) {
    switch (file_->tryLock(offset, length)) {
      case LockResult::Locked: return kOk;
      case LockResult::Failed: return kDiskError;
      case LockResult::Busy: break;
    }
    if (cancel_ && cancel_()) return kInterrupted;
    if (Clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(2000));
  }
}

int RecordStore::refresh() {
  std::uint8_t block[kBlockSize];
  const long n = file_->read(0, block, kBlockSize);
  if (n < 0) return kDiskError;
  if (n != kBlockSize) return kDiskReadError;
  if (markerSet({block, kBlockSize})) {
    if (!interrupted_) return kWriteInterrupted;
    clearMarker(block);
  }
  const std::uint32_t counter = header_.order.get32(block);
  if (counter == seenCounter_) return kOk;
  pager_->dropCache();
  FileHeader h;
  const int rc = decodeHeader({block, kBlockSize}, file_->size(), h);
  if (rc != kOk) return rc;
  if (h.order.big != header_.order.big) return kCorruptedHeader;
  header_ = h;
  for (int i = 1; i < kIndexes; ++i) keys_.type[i] = static_cast<std::uint8_t>(header_.keyTypeOf(i));
  seenCounter_ = counter;
  return kOk;
}

int RecordStore::BeginRead() {
  const int check = checkHandle();
  if (check != kOk) return check;
  if (readDepth_ > 0 || writeDepth_ > 0) {
    ++readDepth_;
    return kOk;
  }
  if (broken_) return kWriteInterrupted;
  if (shared()) {
    int rc = lockWait(kUpdateLockOffset, 1);
    if (rc != kOk) return rc;
    file_->unlock(kUpdateLockOffset, 1);
    const std::uint64_t mine = kReaderOffset + static_cast<std::uint64_t>(slot_);
    rc = lockWait(mine, 1);
    if (rc != kOk) return rc;
    rc = refresh();
    if (rc == kWriteInterrupted) {
      // A writer died in its bracket: put its journal back as the next
      // writer would (under the update lock, once the readers have left),
      // or every reader would fail until one came along.
      file_->unlock(mine, 1);
      rc = rollBackForReading();
      if (rc == kOk) rc = lockWait(mine, 1);
      if (rc != kOk) return rc;
      rc = refresh();
    }
    if (rc != kOk) {
      file_->unlock(mine, 1);
      return rc;
    }
  }
  readDepth_ = 1;
  return kOk;
}

int RecordStore::rollBackForReading() {
  int rc = lockWait(kUpdateLockOffset, 1);
  if (rc != kOk) return rc;
  updateLock_ = 'L';
  std::uint8_t block[kBlockSize];
  rc = recoverInterruptedWrite(block);
  file_->unlock(kUpdateLockOffset, 1);
  updateLock_ = 'U';
  return rc;
}

int RecordStore::EndRead() {
  const int check = checkHandle();
  if (check != kOk) return check;
  if (readDepth_ == 0) return kParameterError;
  if (--readDepth_ == 0 && writeDepth_ == 0 && shared()) {
    file_->unlock(kReaderOffset + static_cast<std::uint64_t>(slot_), 1);
  }
  return kOk;
}

int RecordStore::BeginWrite() {
  const int check = checkHandle();
  if (check != kOk) return check;
  if (access_ != kReadWriteAccess) return kReadOnly;
  if (broken_) return kWriteInterrupted;
  if (writeDepth_ > 0) {
    ++writeDepth_;
    return kOk;
  }
  if (shared()) {
    int rc = lockWait(kUpdateLockOffset, 1);
    if (rc != kOk) return rc;
    updateLock_ = 'L';
    rc = refresh();
    if (rc == kWriteInterrupted) {
      // Another writer died in its bracket: put its journal back first.
      std::uint8_t block[kBlockSize];
      rc = recoverInterruptedWrite(block);
      if (rc == kOk) rc = refresh();
    }
    if (rc == kOk) rc = lockWait(kReaderOffset, kUserSlots);
    if (rc != kOk) {
      file_->unlock(kUpdateLockOffset, 1);
      updateLock_ = 'U';
      return rc;
    }
  }
  ++header_.updateCounter;
  seenCounter_ = header_.updateCounter;
  pager_->markHeaderDirty();
  writeDepth_ = 1;
  return kOk;
}

int RecordStore::EndWrite() {
  const int check = checkHandle();
  if (check != kOk) return check;
  if (writeDepth_ == 0) return kParameterError;
  if (--writeDepth_ > 0) return kOk;
  int rc = pager_->commit();
  if (rc != kOk) {
    // What reached the file is unknown; the marker tells every other handle.
    broken_ = true;
    pager_->dropCache();
  }
  if (shared()) {
    file_->unlock(kReaderOffset, kUserSlots);
    if (readDepth_ > 0) {
      const int r = lockWait(kReaderOffset + static_cast<std::uint64_t>(slot_), 1);
      if (r != kOk && rc == kOk) rc = r;
    }
    file_->unlock(kUpdateLockOffset, 1);
    updateLock_ = 'U';
  }
  return rc;
}

}  // namespace kestrel::store
