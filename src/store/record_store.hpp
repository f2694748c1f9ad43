// RecordStore: a handle on one keyed record store file, the engine under the
// part library and the cross-reference file. A file holds variable-length
// data records (index 19) with up to fifteen secondary indexes over their
// fields, named records (index 7), record numbers waiting for reuse (index
// 18) and the record locks of the processes sharing it (index 20), all in
// B-link trees of 1024-byte nodes (layouts in file_format.hpp, node.hpp,
// record_codec.hpp).
//
// Every operation returns 0 on success, a negative StoreCode on failure, or
// a small positive result where it says so; none throws. Operations run in
// read or write brackets, which nest; callers may open their own brackets
// around a batch (BeginRead/EndRead, BeginWrite/EndWrite). Processes (and
// handles of one process) share a file through byte-range locks in block 0;
// waits sleep between tries, poll the cancel callback and give up after the
// lock timeout with -102. Between two brackets another process may delete
// the current record and give its number to a new one: a caller that steps
// and then reads keeps both in one read bracket, and one that locks to change
// a record passes the key it expects to LockRecord.
//
// Not re-entrant: the node cache (StoreStartup) is shared by every handle of
// the process.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/datalist.hpp"
#include "store/file_format.hpp"
#include "store/journal.hpp"
#include "store/keys.hpp"
#include "store/status_codes.hpp"
#include "store/store_file.hpp"
#include "store/tree.hpp"

namespace kestrel::store {

// Sets up the node cache of `buffers` node buffers once per process.
int StoreStartup(int buffers);
// Releases the cache; -1 while a file is still open.
int StoreShutdown();

enum class ShareMode : char { Exclusive = 'E', Shared = 'S', ReadersOnly = 'D' };
inline constexpr int kReadOnlyAccess = 1;
inline constexpr int kReadWriteAccess = 2;
// Byte-order modes of Create.
inline constexpr int kLittleEndianFile = 1;
inline constexpr int kBigEndianFile = 2;
inline constexpr int kNativeOrderFile = 3;

// FindKey modes.
enum FindMode : int { kFindEqual = 1, kFindGreater = 2, kFindEqualOrGreater = 3, kFindLess = 4, kFindEqualOrLess = 5 };
// Step modes.
enum StepMode : int { kStepNext = 1, kStepPrevious = 2, kStepFirst = 3, kStepLast = 4 };
// FindKey's expected key type: any, or a string of type 0.
inline constexpr std::uint8_t kAnyKeyType = 'N';
inline constexpr std::uint8_t kStringKeyType = 'S';

// ScanKeys calls this with each key and its entry number; true accepts it.
using KeyVisitor = std::function<bool(std::span<const std::uint8_t> key, std::int32_t number)>;

class RecordStore {
 public:
  RecordStore();
  ~RecordStore();
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  int Create(const std::string& path, std::size_t recordBufferSize, ShareMode share, int byteOrderMode,
             std::span<const KeyDef> keys, StoreFileSystem* fs = nullptr);
  int Open(const std::string& path, std::size_t recordBufferSize, ShareMode share, int access,
           std::span<const KeyDef> keys, StoreFileSystem* fs = nullptr);
  int Close();
  bool isOpen() const { return state_ == 'O'; }
  // A writer stopped half-way and left no journal to put the file back:
  // the handle reads what it can and refuses every write.
  bool interruptedWithoutJournal() const { return interrupted_; }

  int AddTree(int index, int tree);
  int WriteNamed(int index, std::string_view name, std::int32_t sequence, std::span<const std::uint8_t> data);
  // 0 and the data (cut to the buffer) when the entry exists; 1 when only a
  // higher sequence number of the name exists, 2 when neither does.
  int ReadNamed(int index, std::string_view name, std::int32_t sequence, std::span<std::uint8_t> buffer,
                std::size_t* length = nullptr);
  // The number of data records, or a negative code.
  int RecordCount();

  int AddRecord(std::span<DataField> list);
  int ReadRecord(std::span<DataField> list);
  int UpdateRecord(std::span<DataField> list);
  int DeleteRecord(std::span<DataField> list);
  // The key of `index` (field -1) or of field `field`, from the list's values.
  int BuildKey(int index, std::span<const DataField> list, int field, std::vector<std::uint8_t>& key);
  int FindKey(int index, std::span<const std::uint8_t> key, std::uint8_t expectedType, int mode);
  int Step(int index, int mode);
  int ScanKeys(int index, const KeyVisitor& visitor);

  // Locks the current record. With an index and key, the record must still
  // carry that key once locked (record numbers are reused at once): when it
  // does not, the lock is undone and the result is -1.
  int LockRecord();
  int LockRecord(int index, std::span<const std::uint8_t> expectedKey);
  int UnlockRecord();
  // -105 locked by this handle, -106 unlocked, -104 locked by another.
  int TestLock();

  int BeginRead();
  int EndRead();
  int BeginWrite();
  int EndWrite();

  std::int32_t CurrentRecord() const { return current_; }
  // The key the index's cursor stands on (empty when it is on no entry) and
  // the node it was found in: a walk continues from exactly this key and
  // names the node when the order breaks.
  std::span<const std::uint8_t> CursorKey(int index) const;
  std::int32_t CursorNode(int index) const;
  // Two keys of an index in the index's order: <0, 0, >0.
  int CompareKeys(int index, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) const {
    return compareKeys(keys_, index, a, b);
  }
  void SetCurrentRecord(std::int32_t number) { current_ = number > 0 ? number : -1; }
  int UserSlot() const { return slot_; }
  const FileHeader& header() const { return header_; }
  // The open file itself, for a scan that reads blocks by position (null when closed).
  StoreFile* RawFile() { return file_.get(); }
  bool ReadOnly() const { return access_ == kReadOnlyAccess; }

  void SetLockTimeout(std::chrono::milliseconds timeout) { lockTimeout_ = timeout; }
  void SetCancelPoll(std::function<bool()> cancel) { cancel_ = std::move(cancel); }
  // Without durability the brackets do not flush (for tests and batch jobs).
  void SetDurable(bool on);

 private:
  struct Cursor {
    enum State { Unset, On, Gap, BeforeStart, AfterEnd } state = Unset;
    std::vector<std::uint8_t> key;
    std::uint32_t number = 0;
    int tag = 0;
    Position hint;
    std::uint64_t version = 0;
  };

  bool shared() const { return share_ != ShareMode::Exclusive; }
  int checkHandle() const;
  int lockWait(std::uint64_t offset, std::uint64_t length);
  int refresh();
  int openFile(const std::string& path, std::size_t recordBufferSize, ShareMode share, int access,
               std::span<const KeyDef> keys, StoreFileSystem& fs);
  int checkKeyDefs(std::span<const KeyDef> keys);
  // Rolls back the bracket of a writer that died, under the writer's locks
  // (the update lock already held); after a roll back `block` holds block 0
  // read afresh, otherwise it is left as it was.
  int recoverInterruptedWrite(std::uint8_t* block);
  // The same for a reader that found the marker set (holding no lock).
  int rollBackForReading();
  void release();

  Tree treeFor(int index) { return Tree(*pager_, header_.treeOfIndex(index)); }
  int spareFor(int index, int inserts) const;
  std::vector<std::uint8_t> emptyKey(int index) const;
  std::vector<std::uint8_t> lockKey() const;
  int readStored(std::int32_t number, std::span<const DataField> fields, std::vector<FieldValue>& values);
  int fieldKeys(std::span<const DataField> fields, const std::vector<FieldValue>& values,
                std::vector<std::vector<std::uint8_t>>& keys);
  int keyTaken(int index, std::span<const std::uint8_t> key, std::uint32_t except, bool& taken);
  int removeEntry(int index, std::span<const std::uint8_t> key, std::uint32_t number, int missing);
  int addRecordLocked(std::span<const DataField> fields);
  int takeNumber(std::uint32_t& number, bool& reused);
  int freeNumber(std::uint32_t number);
  int lockEntry(std::uint32_t number, Position& at, int& owner);
  bool slotAlive(int owner);
  int lockLocked(int index, std::span<const std::uint8_t> expectedKey);
  int ownLocks(bool removeThem, bool& any);
  int dropOwnLocks();
  int stepOnce(int index, int mode);
  int settle(int index, Position at, bool forward);

  char stamp_[8];
  char state_ = 'C';
  std::unique_ptr<StoreFile> file_;
  ShareMode share_ = ShareMode::Shared;
  int access_ = kReadOnlyAccess;
  int slot_ = -1;
  FileHeader header_;
  KeyContext keys_;
  std::unique_ptr<Pager> pager_;
  std::unique_ptr<Journal> journal_;
  std::string path_;
  StoreFileSystem* fs_ = nullptr;
  std::uint32_t seenCounter_ = 0;
  std::int32_t current_ = -1;
  std::int32_t lastLocked_ = -1;
  std::array<Cursor, kIndexes> cursors_;
  std::array<char, kIndexes> indexLock_{};
  std::size_t recordBufferSize_ = 0;
  std::vector<std::uint8_t> record_;  // the record being written
  std::vector<std::uint8_t> stored_;  // the record last read
  int readDepth_ = 0;
  int writeDepth_ = 0;
  char updateLock_ = 'U';
  bool dataListCheck_ = true;
  bool reuseNumbers_ = true;
  bool broken_ = false;
  bool interrupted_ = false;
  bool durable_ = true;
  std::uint8_t recordFlag_ = 0;
  int locksMade_ = 0;
  std::chrono::milliseconds lockTimeout_{30000};
  std::function<bool()> cancel_;
};

}  // namespace kestrel::store
