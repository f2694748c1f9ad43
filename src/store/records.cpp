// Data records: AddRecord, ReadRecord, UpdateRecord, DeleteRecord, BuildKey,
// and record-number reuse.
#include <algorithm>
#include <cstring>

#include "store/bracket.hpp"
#include "store/record_codec.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {
namespace {

int chunksFor(std::size_t bytes, std::size_t keyLength) {
  const std::size_t chunk = static_cast<std::size_t>(kChunkBase) - keyLength;
  return bytes == 0 ? 1 : static_cast<int>((bytes + chunk - 1) / chunk);
}

}  // namespace

int RecordStore::readStored(std::int32_t number, std::span<const DataField> fields, std::vector<FieldValue>& values) {
  Tree t = treeFor(kDataIndex);
  Position at;
  const std::vector<std::uint8_t> key = emptyKey(kDataIndex);
  int rc = t.find(kDataIndex, key, static_cast<std::uint32_t>(number), at);
  if (rc == kFail) return kDataReadError;
  if (rc != kOk) return rc;
  rc = t.readData(at, stored_, std::max(recordBufferSize_, std::size_t{kRecordHeader + 2}));
  if (rc != kOk) return rc;
  if (stored_.size() > kRecordHeader) recordFlag_ = stored_[4];
  return parseRecord(stored_, fields, header_.order, dataListCheck_, values);
}

int RecordStore::fieldKeys(std::span<const DataField> fields, const std::vector<FieldValue>& values,
                           std::vector<std::vector<std::uint8_t>>& keys) {
  keys.assign(fields.size(), {});
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].index == 0) continue;
    const int rc = buildFieldKey(fields, static_cast<int>(f), values, keys_, keys[f]);
    if (rc != kOk) return rc;
    if (keys[f].size() > static_cast<std::size_t>(kMaxKeyLength)) return kParameterError;
  }
  return kOk;
}

int RecordStore::keyTaken(int index, std::span<const std::uint8_t> key, std::uint32_t except, bool& taken) {
  taken = false;
  Tree t = treeFor(index);
  Position at;
  bool found = false;
  int rc = t.seek(SearchKey{index, key, 0, 0}, at, found);
  for (int i = 0; rc == kOk && found && i < 2; ++i) {
    NodeRef n;
    rc = pager_->get(at.node, n);
    if (rc != kOk) break;
    if (n->index(at.pos) != index || compareKeys(keys_, index, n->key(at.pos), key) != 0) break;
    if (n->number(header_.order, at.pos) != except) {
      taken = true;
      break;
    }
    rc = t.next(at, found);
  }
  return rc;
}

int RecordStore::removeEntry(int index, std::span<const std::uint8_t> key, std::uint32_t number, int missing) {
  Tree t = treeFor(index);
  Position at;
  const int rc = t.find(index, key, number, at);
  if (rc == kFail) return missing;
  if (rc != kOk) return rc;
  return t.remove(at);
}

int RecordStore::takeNumber(std::uint32_t& number, bool& reused) {
  reused = false;
  if (reuseNumbers_) {
    Tree t = treeFor(kReuseIndex);
    Position at;
    bool found = false;
    int rc = t.seek(SearchKey{kReuseIndex, {}, 0, 0}, at, found);
    if (rc != kOk) return rc;
    if (found) {
      NodeRef n;
      rc = pager_->get(at.node, n);
      if (rc != kOk) return rc;
      if (n->index(at.pos) == kReuseIndex) {
        number = n->number(header_.order, at.pos);
        n = NodeRef();
        // A number at or above the next one was never handed out: damage.
        if (number == 0 || number >= static_cast<std::uint32_t>(header_.nextRecord)) return kTreeScanning;
        rc = t.remove(at);
        if (rc != kOk) return rc;
        header_.reuseCount = std::max(0, header_.reuseCount - 1);
        pager_->markHeaderDirty();
        reused = true;
        return kOk;
      }
    }
  }
  if (header_.nextRecord >= 0x7FFFFFFF) return kParameterError;
  number = static_cast<std::uint32_t>(header_.nextRecord++);
  pager_->markHeaderDirty();
  return kOk;
}

int RecordStore::freeNumber(std::uint32_t number) {
  const int rc = treeFor(kReuseIndex).insertData(kReuseIndex, emptyKey(kReuseIndex), number, {});
  if (rc != kOk) return rc;
  ++header_.reuseCount;
  pager_->markHeaderDirty();
  return kOk;
}

int RecordStore::AddRecord(std::span<DataField> list) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (access_ != kReadWriteAccess) return kReadOnly;
  const int count = dataListFieldCount(list);
  if (count < 0) return count;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  return b.finish(addRecordLocked(list.first(static_cast<std::size_t>(count))));
}

int RecordStore::addRecordLocked(std::span<const DataField> fields) {
  int rc = validateDataList(fields, header_, keys_);
  if (rc != kOk) return rc;
  std::vector<FieldValue> values;
  currentValues(fields, values);
  std::vector<std::vector<std::uint8_t>> keys;
  rc = fieldKeys(fields, values, keys);
  if (rc != kOk) return rc;
  // Every refusal comes before the first change.
  int spare = spareFor(kReuseIndex, 1);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].index == 0) continue;
    spare += spareFor(fields[f].index, 1);
    if (fields[f].dup != 'U') continue;
    bool taken = false;
    rc = keyTaken(fields[f].index, keys[f], 0, taken);
    if (rc != kOk) return rc;
    if (taken) return kFail;
  }
  rc = packRecord(fields, header_.order, recordFlag_, record_, recordBufferSize_);
  if (rc != kOk) return rc;
  const std::vector<std::uint8_t> dataKey = emptyKey(kDataIndex);
  spare += spareFor(kDataIndex, chunksFor(record_.size(), dataKey.size()));
  rc = pager_->ensureSpare(spare);
  if (rc != kOk) return rc;

  std::uint32_t number = 0;
  bool reused = false;
  rc = takeNumber(number, reused);
  if (rc != kOk) return rc;
  std::vector<std::size_t> added;
  std::uint8_t entry[kEntryHeader + kMaxKeyLength];
  for (std::size_t f = 0; f < fields.size() && rc == kOk; ++f) {
    const int index = fields[f].index;
    if (index == 0) continue;
    const int size = makeEntry(entry, header_.order, index, kLastChunk, number, keys[f], {});
    rc = treeFor(index).insert({entry, static_cast<std::size_t>(size)});
    if (rc == kOk) added.push_back(f);
  }
  if (rc == kOk) rc = treeFor(kDataIndex).insertData(kDataIndex, dataKey, number, record_);
  if (rc != kOk) {
    // Undo: the keys already in, and the record number.
    for (std::size_t f : added) removeEntry(fields[f].index, keys[f], number, kOk);
    if (reused) {
      freeNumber(number);
    } else if (header_.nextRecord == static_cast<std::int32_t>(number) + 1) {
      --header_.nextRecord;
    }
    return rc;
  }
  ++header_.recordCount;
  pager_->markHeaderDirty();
  current_ = static_cast<std::int32_t>(number);
  return kOk;
}

int RecordStore::ReadRecord(std::span<DataField> list) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  const int count = dataListFieldCount(list);
  if (count < 0) return count;
  const auto fields = list.first(static_cast<std::size_t>(count));
  if (current_ < 0) return kNoCurrentRecord;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  rc = validateDataList(fields, header_, keys_);
  if (rc != kOk) return b.finish(rc);
  std::vector<FieldValue> values;
  rc = readStored(current_, fields, values);
  if (rc != kOk) return b.finish(rc);
  storeValues(fields, values);
  return b.finish(kOk);
}

int RecordStore::UpdateRecord(std::span<DataField> list) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (access_ != kReadWriteAccess) return kReadOnly;
  const int count = dataListFieldCount(list);
  if (count < 0) return count;
  const auto fields = list.first(static_cast<std::size_t>(count));
  if (current_ < 0) return kNoCurrentRecord;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  rc = validateDataList(fields, header_, keys_);
  if (rc != kOk) return b.finish(rc);
  const auto number = static_cast<std::uint32_t>(current_);
  if (shared()) {
    Position at;
    int owner = -1;
    rc = lockEntry(number, at, owner);
    if (rc == kFail || (rc == kOk && owner != slot_)) return b.finish(kMustBeLocked);
    if (rc != kOk) return b.finish(rc);
  }
  std::vector<FieldValue> oldValues, newValues;
  rc = readStored(current_, fields, oldValues);
  if (rc != kOk) return b.finish(rc);
  currentValues(fields, newValues);
  std::vector<std::vector<std::uint8_t>> oldKeys, newKeys;
  rc = fieldKeys(fields, oldValues, oldKeys);
  if (rc == kOk) rc = fieldKeys(fields, newValues, newKeys);
  if (rc != kOk) return b.finish(rc);
  int spare = 0;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].index == 0 || oldKeys[f] == newKeys[f]) continue;
    spare += spareFor(fields[f].index, 1);
    if (fields[f].dup != 'U') continue;
    bool taken = false;
    rc = keyTaken(fields[f].index, newKeys[f], number, taken);
    if (rc != kOk) return b.finish(rc);
    if (taken) return b.finish(kFail);
  }
  rc = packRecord(fields, header_.order, recordFlag_, record_, recordBufferSize_);
  if (rc != kOk) return b.finish(rc);
  const std::vector<std::uint8_t> dataKey = emptyKey(kDataIndex);
  spare += spareFor(kDataIndex, chunksFor(record_.size(), dataKey.size()));
  rc = pager_->ensureSpare(spare);
  if (rc != kOk) return b.finish(rc);

  std::uint8_t entry[kEntryHeader + kMaxKeyLength];
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const int index = fields[f].index;
    if (index == 0 || oldKeys[f] == newKeys[f]) continue;
    rc = removeEntry(index, oldKeys[f], number, kUpdateIndexDeleteError);
    if (rc != kOk) return b.finish(rc);
    const int size = makeEntry(entry, header_.order, index, kLastChunk, number, newKeys[f], {});
    rc = treeFor(index).insert({entry, static_cast<std::size_t>(size)});
    if (rc != kOk) return b.finish(rc);
  }
  rc = removeEntry(kDataIndex, dataKey, number, kDeleteDataRecordError);
  if (rc == kOk) rc = treeFor(kDataIndex).insertData(kDataIndex, dataKey, number, record_);
  return b.finish(rc);
}

int RecordStore::DeleteRecord(std::span<DataField> list) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (access_ != kReadWriteAccess) return kReadOnly;
  const int count = dataListFieldCount(list);
  if (count < 0) return count;
  const auto fields = list.first(static_cast<std::size_t>(count));
  if (current_ < 0) return kNoCurrentRecord;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  rc = validateDataList(fields, header_, keys_);
  if (rc != kOk) return b.finish(rc);
  const auto number = static_cast<std::uint32_t>(current_);
  Position lockAt;
  bool locked = false;
  if (shared()) {
    int owner = -1;
    rc = lockEntry(number, lockAt, owner);
    if (rc == kFail || (rc == kOk && owner != slot_)) return b.finish(kMustBeLocked);
    if (rc != kOk) return b.finish(rc);
    locked = true;
  }
  std::vector<FieldValue> values;
  rc = readStored(current_, fields, values);
  if (rc != kOk) return b.finish(rc);
  std::vector<std::vector<std::uint8_t>> keys;
  rc = fieldKeys(fields, values, keys);
  if (rc == kOk) rc = pager_->ensureSpare(spareFor(kReuseIndex, 1));
  if (rc != kOk) return b.finish(rc);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].index == 0) continue;
    rc = removeEntry(fields[f].index, keys[f], number, kUpdateIndexDeleteError);
    if (rc != kOk) return b.finish(rc);
  }
  rc = removeEntry(kDataIndex, emptyKey(kDataIndex), number, kDeleteDataRecordError);
  if (rc != kOk) return b.finish(rc);
  header_.recordCount = std::max(0, header_.recordCount - 1);
  pager_->markHeaderDirty();
  if (reuseNumbers_) {
    rc = freeNumber(number);
    if (rc != kOk) return b.finish(rc);
  }
  // The lock goes with the record: its number may come back at once.
  if (locked) {
    rc = removeEntry(kLockIndex, lockKey(), number, kOk);
    if (rc != kOk) return b.finish(rc);
    if (lastLocked_ == current_) lastLocked_ = -1;
  }
  current_ = -1;
  return b.finish(kOk);
}

int RecordStore::BuildKey(int index, std::span<const DataField> list, int field, std::vector<std::uint8_t>& key) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  const int count = dataListFieldCount(list);
  if (count < 0) return count;
  const auto fields = list.first(static_cast<std::size_t>(count));
  if (field == -1) {
    for (int f = 0; f < count && field < 0; ++f) {
      if (fields[static_cast<std::size_t>(f)].index == index && index != 0) field = f;
    }
    if (field < 0) return kIndexNumberError;
  }
  if (field < 0 || field >= count) return kParameterError;
  rc = validateDataList(fields, header_, keys_);
  if (rc != kOk) return rc;
  std::vector<FieldValue> values;
  currentValues(fields, values);
  return buildFieldKey(fields, field, values, keys_, key);
}

}  // namespace kestrel::store
