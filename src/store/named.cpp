// Named records: texts the layers above keep in the file under a name and a
// sequence number (index 7), such as the version and description of a
// library.
#include <algorithm>
#include <cstring>

#include "store/bracket.hpp"
#include "store/record_store.hpp"

namespace kestrel::store {
namespace {

// The stored key of a name in the index's key type.
int nameKey(int type, std::string_view name, std::vector<std::uint8_t>& key) {
  key.clear();
  if (name.find('\0') != std::string_view::npos) return kParameterError;
  if (type == 0 || type == 1) {
    if (name.size() + 1 > static_cast<std::size_t>(kMaxKeyLength - 1)) return kParameterError;
    key.assign(name.begin(), name.end());
    key.push_back(0);
    return kOk;
  }
  if (type == 2 || (type >= 16 && type <= 20)) {
    if (name.size() + 1 > static_cast<std::size_t>(kMaxKeyLength - 1)) return kParameterError;
    key.push_back(static_cast<std::uint8_t>(name.size()));
    key.insert(key.end(), name.begin(), name.end());
    return kOk;
  }
  return kKeyTypeError;
}

bool namedIndex(int index) { return index >= 1 && index <= 17; }

}  // namespace

int RecordStore::WriteNamed(int index, std::string_view name, std::int32_t sequence,
                            std::span<const std::uint8_t> data) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (!namedIndex(index) || sequence < 0) return kParameterError;
  if (access_ != kReadWriteAccess) return kReadOnly;
  detail::WriteBracket b(*this);
  if (b.status() != kOk) return b.status();
  std::vector<std::uint8_t> key;
  rc = nameKey(keys_.type[static_cast<std::size_t>(index)], name, key);
  if (rc != kOk) return b.finish(rc);
  const std::size_t chunk = static_cast<std::size_t>(kChunkBase) - key.size();
  const std::size_t chunks = data.empty() ? 1 : (data.size() + chunk - 1) / chunk;
  if (chunks > static_cast<std::size_t>(kMaxChunkCount)) return b.finish(kParameterError);
  rc = pager_->ensureSpare(spareFor(index, static_cast<int>(chunks)));
  if (rc != kOk) return b.finish(rc);
  Tree t = treeFor(index);
  Position at;
  const auto number = static_cast<std::uint32_t>(sequence);
  rc = t.find(index, key, number, at);
  if (rc == kOk) rc = t.remove(at);  // replaced as a whole
  else if (rc == kFail) rc = kOk;
  if (rc == kOk) rc = t.insertData(index, key, number, data);
  return b.finish(rc);
}

int RecordStore::ReadNamed(int index, std::string_view name, std::int32_t sequence, std::span<std::uint8_t> buffer,
                           std::size_t* length) {
  int rc = checkHandle();
  if (rc != kOk) return rc;
  if (length != nullptr) *length = 0;
  if (!namedIndex(index) || sequence < 0) return kParameterError;
  detail::ReadBracket b(*this);
  if (b.status() != kOk) return b.status();
  std::vector<std::uint8_t> key;
  rc = nameKey(keys_.type[static_cast<std::size_t>(index)], name, key);
  if (rc != kOk) return b.finish(rc);
  Tree t = treeFor(index);
  Position at;
  bool found = false;
  const auto number = static_cast<std::uint32_t>(sequence);
  rc = t.seek(SearchKey{index, key, number, 0}, at, found);
  if (rc != kOk) return b.finish(rc);
  if (!found) return b.finish(2);
  NodeRef n;
  rc = pager_->get(at.node, n);
  if (rc != kOk) return b.finish(rc);
  if (n->index(at.pos) != index || compareKeys(keys_, index, n->key(at.pos), key) != 0) return b.finish(2);
  if (n->number(header_.order, at.pos) != number || (n->tag(at.pos) & 0x7F) != 0) return b.finish(1);
  n = NodeRef();
  std::vector<std::uint8_t> data;
  rc = t.readData(at, data, static_cast<std::size_t>(kMaxChunkCount) * kChunkBase);
  if (rc != kOk) return b.finish(rc);
  const std::size_t copied = std::min(data.size(), buffer.size());
  if (copied > 0) std::memcpy(buffer.data(), data.data(), copied);
  if (length != nullptr) *length = copied;
  return b.finish(kOk);
}

}  // namespace kestrel::store
