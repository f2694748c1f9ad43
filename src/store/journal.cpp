#include "store/journal.hpp"

#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "store/file_format.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'S', 'J', 'O', 'U', 'R', 'N', '3'};
// Head: magic, bracket number (8), length of the nodes in use (8), block 0,
// check sum.
// Entry: bracket number (8), node number (4), node bytes, check sum.
// Numbers little-endian.
constexpr std::size_t kHeadSize = 8 + 8 + 8 + kBlockSize + 4;
constexpr std::size_t kEntrySize = 8 + 4 + kBlockSize + 4;

// FNV-1a over eight bytes a step (a byte a step cost a bracket more than
// its journal's write); the rest byte by byte.
std::uint32_t checkSum(std::span<const std::uint8_t> bytes) {
  std::uint64_t h = 14695981039346656037ull;
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    h = (h ^ word) * 1099511628211ull;
  }
  for (; at < bytes.size(); ++at) h = (h ^ bytes[at]) * 1099511628211ull;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t get(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void seal(std::vector<std::uint8_t>& out, std::size_t from) {
  put(out, checkSum({out.data() + from, out.size() - from}), 4);
}

bool sealed(const std::uint8_t* p, std::size_t size) { return get(p + size - 4, 4) == checkSum({p, size - 4}); }

std::uint64_t newBracketNumber() {
  static std::mt19937_64 random{std::random_device{}()};
  return random();
}

}  // namespace

std::string journalPath(const std::string& storePath) { return storePath + "-journal"; }

Journal::Journal(StoreFileSystem& fs, std::string storePath) : fs_(fs), path_(journalPath(storePath)) {}

Journal::~Journal() = default;

int Journal::begin(StoreFile& store, std::span<const std::int32_t> nodes) {
  kept_.clear();
  if (!file_) {
    OpenResult r;
    file_ = fs_.open(path_, true, r);
    if (!file_) file_ = fs_.createNew(path_, r);
    if (!file_) return kDiskError;
  }
  bracket_ = newBracketNumber();
  std::uint8_t block0[kBlockSize];
  if (store.read(0, block0, kBlockSize) != kBlockSize) return kDiskReadError;
  // Nodes the file's header does not count as in use yet (the slack at the
  // end, or the file's growth) hold nothing a roll-back needs: after it the
  // header no longer counts them, and they are written whole when taken.
  FileHeader header;
  if (decodeHeader({block0, kBlockSize}, -1, header) == kOk) {
    usedLength_ = nodeOffset(header.nodesInUse);
  } else {
    const std::int64_t length = store.size();
    if (length < kBlockSize) return kDiskReadError;
    usedLength_ = static_cast<std::uint64_t>(length);
  }
  std::vector<std::uint8_t> bytes(kMagic, kMagic + 8);
  put(bytes, bracket_, 8);
  put(bytes, usedLength_, 8);
  bytes.insert(bytes.end(), block0, block0 + kBlockSize);
  seal(bytes, 0);
  if (const int rc = entries(store, nodes, bytes); rc != kOk) return rc;
  end_ = 0;
  return append(bytes);
}

int Journal::keep(StoreFile& store, std::span<const std::int32_t> nodes) {
  if (!file_) return kOk;
  std::vector<std::uint8_t> bytes;
  if (const int rc = entries(store, nodes, bytes); rc != kOk) return rc;
  return bytes.empty() ? kOk : append(bytes);
}

int Journal::entries(StoreFile& store, std::span<const std::int32_t> nodes, std::vector<std::uint8_t>& out) {
  for (std::int32_t number : nodes) {
    const std::uint64_t at = nodeOffset(number);
    if (number < 0 || at + kBlockSize > usedLength_ || !kept_.insert(number).second) continue;
    const std::size_t from = out.size();
    put(out, bracket_, 8);
    put(out, static_cast<std::uint32_t>(number), 4);
    out.resize(from + 12 + kBlockSize);
    if (store.read(at, out.data() + from + 12, kBlockSize) != kBlockSize) return kDiskReadError;
    seal(out, from);
  }
  return kOk;
}

int Journal::append(std::span<const std::uint8_t> bytes) {
  if (file_->write(end_, bytes.data(), bytes.size()) != static_cast<long>(bytes.size())) return kDiskFull;
  end_ += bytes.size();
  return file_->flush() ? kOk : kDiskWriteError;
}

void Journal::end() { kept_.clear(); }

namespace {

// Block 0 as a bracket that never reached its header left it: the same
// bytes as the journal's copy, the marker aside.
bool sameBlockZero(const std::uint8_t* disk, const std::uint8_t* kept) {
  for (int i = 0; i < kBlockSize; ++i) {
    if (i == kMarkerOffset || i == kMarkerOffset + 1) continue;
    if (disk[i] != kept[i]) return false;
  }
  return true;
}

// A journal that cannot be trusted any more: its head no longer checks.
void retire(StoreFile& journal) {
  const std::uint8_t zero[8] = {};
  if (journal.write(0, zero, sizeof zero) == sizeof zero) (void)journal.flush();
}

// A journal whose head checks and still holds `block0`: its bracket did
// not end (a writer's own block 0 is rewritten only after its nodes).
bool unfinishedBracket(StoreFileSystem& fs, const std::string& storePath, const std::uint8_t* block0) {
  OpenResult r;
  std::unique_ptr<StoreFile> journal = fs.open(journalPath(storePath), false, r);
  std::vector<std::uint8_t> head(kHeadSize);
  if (!journal || journal->read(0, head.data(), head.size()) != static_cast<long>(head.size())) return false;
  return std::memcmp(head.data(), kMagic, 8) == 0 && sealed(head.data(), kHeadSize) &&
         sameBlockZero(block0, head.data() + 24);
}

}  // namespace

int Journal::recover(StoreFileSystem& fs, const std::string& storePath, StoreFile& store, const std::uint8_t* block0,
                     Recovery& outcome) {
  const bool markerOn = markerSet({block0, kBlockSize});
  outcome = markerOn ? Recovery::NoJournal : Recovery::NotNeeded;
  OpenResult r;
  std::unique_ptr<StoreFile> journal = fs.open(journalPath(storePath), true, r);
  if (!journal) journal = fs.open(journalPath(storePath), false, r);
  if (!journal) return kOk;
  const std::int64_t size = journal->size();
  if (size < static_cast<std::int64_t>(kHeadSize)) return kOk;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (journal->read(0, bytes.data(), bytes.size()) != static_cast<long>(bytes.size())) return kDiskReadError;
  if (std::memcmp(bytes.data(), kMagic, 8) != 0 || !sealed(bytes.data(), kHeadSize)) return kOk;
  // Without the marker (a power cut can lose it, as it is not flushed on its
  // own) a bracket is unfinished while block 0 is still the one it kept:
  // the new header is written only once every node is on disk.
  if (!markerOn && !sameBlockZero(block0, bytes.data() + 24)) return kOk;
  const std::uint64_t bracket = get(bytes.data() + 8, 8);
  for (std::size_t at = kHeadSize; at + kEntrySize <= bytes.size(); at += kEntrySize) {
    const std::uint8_t* entry = bytes.data() + at;
    if (get(entry, 8) != bracket || !sealed(entry, kEntrySize)) break;
    const auto number = static_cast<std::int32_t>(get(entry + 8, 4));
    if (store.write(nodeOffset(number), entry + 12, kBlockSize) != kBlockSize) return kDiskFull;
  }
  if (!store.flush()) return kDiskWriteError;
  // Block 0 last: its old bytes clear the marker once every node is back.
  if (store.write(0, bytes.data() + 24, kBlockSize) != kBlockSize) return kDiskFull;
  if (!store.flush()) return kDiskWriteError;
  // Put back once: the restored block 0 matches the journal's copy again.
  retire(*journal);
  outcome = Recovery::RolledBack;
  return kOk;
}

int Journal::recoverLocked(StoreFileSystem& fs, const std::string& storePath, StoreFile& store,
                           std::chrono::milliseconds wait, Recovery& outcome) {
  outcome = Recovery::NotNeeded;
  std::uint8_t block[kBlockSize];
  if (store.read(0, block, kBlockSize) != kBlockSize) return kDiskReadError;
  if (!markerSet({block, kBlockSize}) && !unfinishedBracket(fs, storePath, block)) return kOk;
  // Readers of a half-written file stop at the marker; none may be inside.
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const LockResult l = store.tryLock(kReaderOffset, kUserSlots);
    if (l == LockResult::Locked) break;
    if (l == LockResult::Failed) return kDiskError;
    if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const int rc = recover(fs, storePath, store, block, outcome);
  store.unlock(kReaderOffset, kUserSlots);
  return rc;
}

void Journal::close() { file_.reset(); }

void Journal::removeIdle(StoreFileSystem& fs, const std::string& storePath, StoreFile& store) {
  std::uint8_t block[kBlockSize];
  if (store.read(0, block, kBlockSize) != kBlockSize || markerSet({block, kBlockSize})) return;
  fs.remove(journalPath(storePath));
}

}  // namespace kestrel::store
