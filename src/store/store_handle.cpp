// RecordStore: start-up of the node cache, Create, Open, Close, AddTree and
// the record count.
#include <algorithm>
#include <cstring>

#include "store/bracket.hpp"
#include "store/node_cache.hpp"
#include "store/pager.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {
namespace {

constexpr char kStamp[8] = {'R', 'E', 'C', 'S', 'T', 'O', 'R', 'E'};
constexpr std::int32_t kNewFileNodes = 8;  // node 0 and seven spare nodes

}  // namespace

int StoreStartup(int buffers) { return NodeCache::startup(buffers); }
int StoreShutdown() { return NodeCache::shutdown(); }

RecordStore::RecordStore() {
  std::memset(stamp_, 0, sizeof stamp_);
  indexLock_.fill('U');
}

RecordStore::~RecordStore() {
  if (state_ == 'O') Close();
}

int RecordStore::checkHandle() const {
  if (state_ != 'O' || std::memcmp(stamp_, kStamp, sizeof stamp_) != 0 || !file_ || !pager_) return kHandleError;
  return kOk;
}

void RecordStore::SetDurable(bool on) {
  durable_ = on;
  if (pager_) pager_->setDurable(on);
}

int RecordStore::Create(const std::string& path, std::size_t recordBufferSize, ShareMode share, int byteOrderMode,
                        std::span<const KeyDef> keys, StoreFileSystem* fsp) {
  if (state_ == 'O') return kParameterError;
  if (NodeCache::instance() == nullptr) return kMemoryError;
  StoreFileSystem& fs = fsp != nullptr ? *fsp : posixStoreFileSystem();
  FileHeader h;
  if (byteOrderMode == kLittleEndianFile || byteOrderMode == kNativeOrderFile) {
    h.order.big = false;
  } else if (byteOrderMode == kBigEndianFile) {
    h.order.big = true;
  } else {
    return kByteOrderModeError;
  }
  OpenResult r;
  if (fs.open(path, false, r)) return kFileExists;
  auto file = fs.createNew(path, r);
  if (!file) return r == OpenResult::Exists ? kFileExists : kNewFileCreateError;
  auto fail = [&](int code) {
    file.reset();
    fs.remove(path);
    return code;
  };
  for (const KeyDef& k : keys) {
    if (k.index == 0) break;
    if (k.index > kMaxCallerIndex) return fail(kIndexNumberError);
    if (!validKeyType(k.keyType)) return fail(kIndexTypeError);
    h.keyType[k.index] = k.keyType;
  }
  h.nodesPresent = kNewFileNodes;
  std::uint8_t block[kBlockSize] = {};
  encodeHeader(h, block);
  if (file->write(0, block, kBlockSize) != kBlockSize) return fail(kDiskFull);
  if (!file->extend(nodeOffset(kNewFileNodes))) return fail(kDiskFull);
  NodeImage root;
  initNode(root, h.order, 0, 0, -1, -1);
  if (file->write(nodeOffset(0), root.bytes.data(), kBlockSize) != kBlockSize) return fail(kDiskFull);
  if (!file->flush()) return fail(kDiskWriteError);
  file.reset();
  const int rc = Open(path, recordBufferSize, share, kReadWriteAccess, keys, &fs);
  if (rc != kOk) fs.remove(path);
  return rc;
}

int RecordStore::Open(const std::string& path, std::size_t recordBufferSize, ShareMode share, int access,
                      std::span<const KeyDef> keys, StoreFileSystem* fsp) {
  if (state_ == 'O') return kParameterError;
  if (NodeCache::instance() == nullptr) return kMemoryError;
  if (access != kReadOnlyAccess && access != kReadWriteAccess) return kParameterError;
  if (share != ShareMode::Exclusive && share != ShareMode::Shared && share != ShareMode::ReadersOnly) {
    return kShareModeError;
  }
  const int rc = openFile(path, recordBufferSize, share, access, keys, fsp != nullptr ? *fsp : posixStoreFileSystem());
  if (rc != kOk) release();
  return rc;
}

int RecordStore::openFile(const std::string& path, std::size_t recordBufferSize, ShareMode share, int access,
                          std::span<const KeyDef> keys, StoreFileSystem& fs) {
  OpenResult r;
  // A reading handle still takes exclusive byte-range locks (its user slot),
  // which need a file open for writing where that is allowed; the handle
  // itself never writes.
  file_ = fs.open(path, true, r);
  if (!file_ && access == kReadOnlyAccess) file_ = fs.open(path, false, r);
  if (!file_) return r == OpenResult::ReadOnly ? kReadOnly : kFail;
  share_ = share;
  access_ = access;
  // The share byte: every shared open holds it shared, an exclusive one alone.
  const LockResult s =
      file_->tryLock(kShareLockOffset, 1, share == ShareMode::Exclusive ? LockKind::Exclusive : LockKind::Shared);
  if (s == LockResult::Busy) return kShareModeError;
  if (s == LockResult::Failed) return kDiskError;

  if (shared()) {
    const int rc = lockWait(kUpdateLockOffset, 1);
    if (rc != kOk) return rc;
    updateLock_ = 'L';
  }
  path_ = path;
  fs_ = &fs;
  std::uint8_t block[kBlockSize];
  const long n = file_->read(0, block, kBlockSize);
  if (n < 0) return kDiskError;
  if (n != kBlockSize) return kDiskReadError;
  int rc = recoverInterruptedWrite(block);
  if (rc != kOk) return rc;
  // Nothing to roll back with: the file is opened for reading only, so that
  // its records can still be listed and saved elsewhere.
  interrupted_ = markerSet({block, kBlockSize});
  if (interrupted_) {
    clearMarker(block);
    access = access_ = kReadOnlyAccess;
  }
  rc = decodeHeader({block, kBlockSize}, file_->size(), header_);
  if (rc != kOk) return rc;
  keys_ = KeyContext{};
  keys_.order = header_.order;
  for (int i = 1; i < kIndexes; ++i) keys_.type[i] = static_cast<std::uint8_t>(header_.keyTypeOf(i));

  if (shared()) {
    for (int slot = 0; slot < kUserSlots && slot_ < 0; ++slot) {
      if (file_->tryLock(kUserSlotOffset + static_cast<std::uint64_t>(slot), 1) == LockResult::Locked) slot_ = slot;
    }
    if (slot_ < 0) return kTooManyUsers;
  }
  rc = checkKeyDefs(keys);
  if (rc != kOk) return rc;

  pager_ = std::make_unique<Pager>(*file_, header_, keys_);
  pager_->setDurable(durable_);
  if (access == kReadWriteAccess) {
    journal_ = std::make_unique<Journal>(fs, path);
    pager_->setJournal(journal_.get());
  }
  seenCounter_ = header_.updateCounter;
  for (Cursor& c : cursors_) c = Cursor{};
  indexLock_.fill('U');
  current_ = -1;
  lastLocked_ = -1;
  recordBufferSize_ = recordBufferSize;
  record_.reserve(recordBufferSize);
  readDepth_ = writeDepth_ = 0;
  broken_ = false;
  locksMade_ = 0;
  recordFlag_ = 0;
  dataListCheck_ = true;
  reuseNumbers_ = true;
  std::memcpy(stamp_, kStamp, sizeof stamp_);
  state_ = 'O';
  if (shared()) {
    file_->unlock(kUpdateLockOffset, 1);
    updateLock_ = 'U';
    // Locks left by an earlier holder of this slot that ended without closing.
    if (access == kReadWriteAccess) return dropOwnLocks();
  }
  return kOk;
}

int RecordStore::checkKeyDefs(std::span<const KeyDef> keys) {
  if (keys.empty()) {
    for (int i = 0; i < kMaxCallerIndex; ++i) {
      if (header_.keyTypeOf(i) != 0) return kIndexTypeError;
    }
    return kOk;
  }
  int count = 0;
  for (const KeyDef& k : keys) {
    if (k.index == 0) break;
    if (++count > 20) return kParameterError;
    if (k.index > kMaxCallerIndex) return kIndexNumberError;
    if (k.keyType > 20 || k.keyType != header_.keyTypeOf(k.index)) return kIndexTypeError;
    if (k.keyType != 8) continue;
    if (k.segments == nullptr || k.segments->empty() || k.segments->size() > static_cast<std::size_t>(kMaxSegments)) {
      return kSegmentListError;
    }
    for (const SegmentDef& s : *k.segments) {
      if (s.type >= 21 || s.type == 8 || !validKeyType(s.type)) return kSegmentListError;
    }
    keys_.segments[k.index] = *k.segments;
  }
  return kOk;
}

int RecordStore::recoverInterruptedWrite(std::uint8_t* block) {
  Journal::Recovery outcome;
  const int rc = Journal::recoverLocked(*fs_, path_, *file_, lockTimeout_, outcome);
  if (rc != kOk || outcome != Journal::Recovery::RolledBack) return rc;
  return file_->read(0, block, kBlockSize) == kBlockSize ? kOk : kDiskReadError;
}

void RecordStore::release() {
  journal_.reset();
  pager_.reset();
  file_.reset();  // closing the file drops every lock it holds
  state_ = 'C';
  std::memset(stamp_, 0, sizeof stamp_);
  slot_ = -1;
  updateLock_ = 'U';
  readDepth_ = writeDepth_ = 0;
}

int RecordStore::Close() {
  const int check = checkHandle();
  if (check != kOk) return check;
  int result = kOk;
  while (writeDepth_ > 0) {
    const int rc = EndWrite();
    if (rc != kOk && result == kOk) result = rc;
  }
  while (readDepth_ > 0) EndRead();
  if (shared() && access_ == kReadWriteAccess && locksMade_ > 0 && !broken_) {
    const int rc = dropOwnLocks();
    if (rc != kOk && result == kOk) result = rc;
  }
  indexLock_.fill('U');
  // The journal goes with the last handle of the file: the share byte taken
  // alone says no other one is open.
  if (journal_) journal_->close();
  if (access_ == kReadWriteAccess && fs_ != nullptr &&
      file_->tryLock(kShareLockOffset, 1, LockKind::Exclusive) == LockResult::Locked) {
    Journal::removeIdle(*fs_, path_, *file_);
  }
  release();
  return result;
}

int RecordStore::AddTree(int index, int tree) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (index < 1 || index > 20 || tree < 1 || tree > 20) return kParameterError;
  if (access_ != kReadWriteAccess) return kReadOnly;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  if (header_.treeOfIndex(index) == tree) return b.finish(kOk);
  // An index that already has entries cannot move.
  Position at;
  bool found = false;
  rc = treeFor(index).seek(SearchKey{index, {}, 0, 0}, at, found);
  if (rc != kOk) return b.finish(rc);
  if (found) {
    NodeRef n;
    rc = pager_->get(at.node, n);
    if (rc != kOk) return b.finish(rc);
    if (n->index(at.pos) == index) return b.finish(kIndexEntriesExist);
  }
  if (header_.root[tree] == 0) {
    NodeRef root;
    rc = pager_->allocate(0, 0, -1, -1, root);
    if (rc != kOk) return b.finish(rc);
    header_.root[tree] = root.number();
    header_.height[tree] = 1;
  }
  header_.treeOf[index] = static_cast<std::uint8_t>(tree);
  pager_->markHeaderDirty();
  pager_->bumpVersion();
  return b.finish(kOk);
}

int RecordStore::RecordCount() {
  const int rc = checkHandle();
  if (rc != kOk) return rc;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  return b.finish(header_.recordCount);
}

int RecordStore::spareFor(int index, int inserts) const {
  return inserts * (header_.height[header_.treeOfIndex(index)] + 2);
}

std::vector<std::uint8_t> RecordStore::emptyKey(int index) const {
  const int width = fixedKeyWidth(keys_.type[index]);
  return std::vector<std::uint8_t>(static_cast<std::size_t>(width == 0 ? 1 : width), 0);
}

std::vector<std::uint8_t> RecordStore::lockKey() const {
  // A length byte over what follows, the locked entry's index, its key.
  const std::vector<std::uint8_t> k = emptyKey(kDataIndex);
  std::vector<std::uint8_t> out(k.size() + 2, 0);
  out[0] = static_cast<std::uint8_t>(k.size() + 1);
  out[1] = kDataIndex;
  std::copy(k.begin(), k.end(), out.begin() + 2);
  return out;
}

}  // namespace kestrel::store
