// Encoding and checking of the store file header (layout in file_format.hpp).
#include <cstring>

#include "store/file_format.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

constexpr int kSignatureOffsets[8] = {4, 16, 20, 24, 32, 40, 48, 56};
constexpr std::uint32_t kSignature[8] = {'V', 'A', 'L', 'I', 'D', 'A', 'T', '1'};

}  // namespace

void encodeHeader(const FileHeader& h, std::uint8_t* out) {
  const ByteOrder& o = h.order;
  std::memset(out, 0, kHeaderSize);
  o.put32(out + 0, h.updateCounter);
  for (int i = 0; i < 8; ++i) o.put32(out + kSignatureOffsets[i], kSignature[i]);
  o.put32(out + 8, 1);
  o.puti32(out + 12, h.root[0]);
  o.puti32(out + 28, h.height[0]);
  o.puti32(out + 36, h.nodesInUse);
  o.puti32(out + 44, h.nextRecord);
  o.puti32(out + 52, h.nodesPresent);
  o.puti32(out + 60, h.freeHead);
  o.puti32(out + 64, h.reuseCount);
  o.puti32(out + 68, h.recordCount);
  const int userLength = (h.userLength >= 0 && h.userLength <= kUserAreaSize) ? h.userLength : 0;
  o.puti32(out + 72, userLength);
  std::memcpy(out + 92, h.user.data(), kUserAreaSize);
  for (int i = 1; i < kIndexes; ++i) {
    out[192 + i] = h.keyType[i];
    out[219 + i] = h.treeOf[i];
  }
  for (int t = 1; t < kTrees; ++t) {
    out[241 + t] = static_cast<std::uint8_t>(h.height[t]);
    o.puti32(out + 264 + 4 * (t - 1), h.root[t]);
  }
  o.puti32(out + 344, -1);
  o.puti32(out + 348, -1);
}

bool markerSet(std::span<const std::uint8_t> block0) {
  return block0.size() >= kBlockSize && (block0[kMarkerOffset] != 0 || block0[kMarkerOffset + 1] != 0);
}

void clearMarker(std::uint8_t* block0) { block0[kMarkerOffset] = block0[kMarkerOffset + 1] = 0; }

int decodeHeader(std::span<const std::uint8_t> block0, std::int64_t fileSize, FileHeader& h) {
  if (block0.size() < static_cast<std::size_t>(kBlockSize)) return kDiskReadError;
  const std::uint8_t* p = block0.data();
  // Any value in the marker bytes means a writer stopped half-way; the value
  // itself may be the torn part.
  if (markerSet(block0)) return kWriteInterrupted;
  FileHeader r;
  r.order.big = p[8] != 1;
  const ByteOrder& o = r.order;
  if (o.get32(p + 8) != 1) return kBadHeader;
  for (int i = 0; i < 8; ++i) {
    if (o.get32(p + kSignatureOffsets[i]) != kSignature[i]) return kBadHeader;
  }
  r.updateCounter = o.get32(p + 0);
  r.root[0] = o.geti32(p + 12);
  r.height[0] = o.geti32(p + 28);
  r.nodesInUse = o.geti32(p + 36);
  r.nextRecord = o.geti32(p + 44);
  r.nodesPresent = o.geti32(p + 52);
  r.freeHead = o.geti32(p + 60);
  r.reuseCount = o.geti32(p + 64);
  r.recordCount = o.geti32(p + 68);
  r.userLength = o.geti32(p + 72);
  if (r.userLength < 0 || r.userLength > kUserAreaSize) r.userLength = 0;
  std::memcpy(r.user.data(), p + 92, kUserAreaSize);
  for (int i = 1; i < kIndexes; ++i) {
    r.keyType[i] = p[192 + i];
    r.treeOf[i] = p[219 + i];
  }
  for (int t = 1; t < kTrees; ++t) {
    r.height[t] = p[241 + t];
    r.root[t] = o.geti32(p + 264 + 4 * (t - 1));
  }

  // Counts and node numbers against each other and the file's length.
  if (r.nodesPresent < 1 || r.nodesInUse < 1 || r.nodesInUse > r.nodesPresent) return kCorruptedHeader;
  if (fileSize >= 0 && static_cast<std::int64_t>(nodeOffset(r.nodesPresent)) > fileSize) return kCorruptedHeader;
  if (r.nextRecord < 1 || r.reuseCount < 0 || r.recordCount < 0) return kCorruptedHeader;
  if (r.freeHead != -1 && (r.freeHead < 0 || r.freeHead >= r.nodesInUse)) return kTreeFreeChain;
  if (r.root[0] < 0 || r.root[0] >= r.nodesInUse || r.height[0] < 1 || r.height[0] > kMaxHeight) return kTreeRoot;
  for (int t = 1; t < kTrees; ++t) {
    if (r.root[t] == 0) continue;
    if (r.root[t] < 0 || r.root[t] >= r.nodesInUse || r.height[t] < 1 || r.height[t] > kMaxHeight) return kTreeRoot;
  }
  for (int i = 1; i < kIndexes; ++i) {
    const int t = r.treeOf[i];
    if (t >= kTrees || (t != 0 && r.root[t] == 0)) return kTreeCorruptedHeader;
    const int type = r.keyType[i] & 0x1F;
    if (type > 20 || (type >= 11 && type <= 15)) return kInvalidKeyType;
  }
  h = r;
  return kOk;
}

}  // namespace kestrel::store
