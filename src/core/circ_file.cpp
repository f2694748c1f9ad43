#include "core/circ_file.hpp"

#include "core/archive.hpp"
#include "core/doc_file.hpp"
#include "core/document_lock.hpp"
#include "core/part_archive.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr std::uint16_t kBigCount = 0xFFFF;

// The shortest file there can be: an empty document with empty texts.
std::size_t smallestFileSize() {
  static const std::size_t size = [] {
    CCircDoc empty;
    empty.header().DESCR.clear();
    return encodeDocument(empty).size();
  }();
  return size;
}

}  // namespace

std::string_view requiredExtension(DocKind kind) { return kind == DocKind::Hybrid ? ".HYB" : ".CIR"; }

std::optional<DocKind> kindForPath(const std::string& path) {
  if (hasExtension(path, ".CIR")) return DocKind::Circuit;
  if (hasExtension(path, ".HYB")) return DocKind::Hybrid;
  return std::nullopt;
}

std::vector<std::uint8_t> encodeDocument(const CCircDoc& doc) {
  Archive ar = Archive::forWriting();
  std::uint8_t kind = doc.kindByte();
  std::uint8_t hybrid = doc.hybridFlag();
  ar.io(kind);
  ar.io(hybrid);
  CCircHeader header = doc.header();
  header.RecordCount = static_cast<std::uint16_t>(doc.count());
  header.Serialize(ar, kMaxRecs);
  if (doc.count() < kBigCount) {
    std::uint16_t count = static_cast<std::uint16_t>(doc.count());
    ar.io(count);
  } else {
    std::uint16_t escape = kBigCount;
    std::uint32_t count = static_cast<std::uint32_t>(doc.count());
    ar.io(escape);
    ar.io(count);
  }
  ar.restartObjectNumbering();
  for (const auto& part : doc.records()) writePartObject(ar, *part);
  std::vector<std::uint8_t> bytes = ar.bytes();
  appendChecksum(bytes);
  return bytes;
}

Status decodeDocument(std::span<const std::uint8_t> bytes, DocKind kind, CCircDoc& doc) {
  doc.clear();
  if (bytes.size() < smallestFileSize() || !checksumMatches(bytes)) {
    return Status::error(StatusCode::Corrupt, "File checksum error.");
  }
  // Nothing is read from the checksum on.
  Archive ar = Archive::forReading(bytes.first(bytes.size() - 4), "");
  std::uint8_t kindByte = 0;
  std::uint8_t hybridFlag = 0;
  ar.io(kindByte);
  ar.io(hybridFlag);
  if (kind == DocKind::Circuit && (kindByte != 1 || hybridFlag != 0)) {
    return Status::error(StatusCode::Corrupt, "Unexpected file format...\n...not a Circuit.");
  }
  if (kind == DocKind::Hybrid && (kindByte != 2 || hybridFlag != 1)) {
    return Status::error(StatusCode::Corrupt, "Unexpected file format...\n...not a Hybrid.");
  }

  CCircDoc loaded(kind);
  loaded.header().Serialize(ar, kMaxRecs);
  if (!ar.ok()) return Status::error(StatusCode::Corrupt, ar.error());
  const std::uint16_t headerCount = loaded.header().RecordCount;

  std::uint32_t count = 0;
  std::uint16_t shortCount = 0;
  ar.io(shortCount);
  count = shortCount;
  if (shortCount == kBigCount) ar.io(count);
  if (!ar.ok()) return Status::error(StatusCode::Corrupt, "Damaged file: the record list is missing.");
  if (count != headerCount) {
    return Status::error(StatusCode::Corrupt, strprintf("Damaged file: the record list holds %u records, the header %u.",
                                   static_cast<unsigned>(count), static_cast<unsigned>(headerCount)));
  }

  std::vector<std::unique_ptr<CPart>> parts;
  parts.reserve(count);
  ar.restartObjectNumbering();
  for (std::uint32_t i = 1; i <= count; ++i) {
    auto part = readPartObject(ar);
    if (!part) {
      return Status::error(StatusCode::Corrupt, strprintf("Damaged file: record %u: %s.", static_cast<unsigned>(i),
                                     ar.error().c_str()));
    }
    parts.push_back(std::move(part));
  }
  if (ar.remaining() != 0) {
    return Status::error(StatusCode::Corrupt, strprintf("Damaged file: %u unexpected bytes after the record list.",
                                   static_cast<unsigned>(ar.remaining())));
  }

  // The file's order is kept as stored: it is the order it was saved in.
  doc.header() = loaded.header();
  for (auto& part : parts) doc.appendLoaded(std::move(part));
  doc.setModified(false);
  return Status::ok();
}

Status loadDocumentHeader(FileSystem& fs, const std::string& path, DocKind kind, CCircHeader& header) {
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxDocumentFileSize); !s) return s;
  if (bytes.size() < smallestFileSize() || !checksumMatches(bytes)) {
    return Status::error(StatusCode::Corrupt, "File checksum error.");
  }
  Archive ar = Archive::forReading(std::span<const std::uint8_t>(bytes).first(bytes.size() - 4), "");
  std::uint8_t kindByte = 0;
  std::uint8_t hybridFlag = 0;
  ar.io(kindByte);
  ar.io(hybridFlag);
  const bool hybrid = kind == DocKind::Hybrid;
  if (kindByte != (hybrid ? 2 : 1) || hybridFlag != (hybrid ? 1 : 0)) {
    return Status::error(StatusCode::Corrupt, hybrid ? "Unexpected file format...\n...not a Hybrid."
                                : "Unexpected file format...\n...not a Circuit.");
  }
  CCircHeader read;
  read.Serialize(ar, kMaxRecs);
  if (!ar.ok()) return Status::error(StatusCode::Corrupt, ar.error());
  header = read;
  return Status::ok();
}

Status loadDocument(FileSystem& fs, const std::string& path, std::unique_ptr<CCircDoc>& doc) {
  doc.reset();
  std::vector<std::uint8_t> bytes;
  if (Status s = fs.readFile(path, bytes, kMaxDocumentFileSize); !s) return s;
  DocKind kind = DocKind::Circuit;
  if (auto byName = kindForPath(path)) {
    kind = *byName;
  } else if (!bytes.empty() && bytes[0] == 2) {
    kind = DocKind::Hybrid;
  }
  auto loaded = std::make_unique<CCircDoc>(kind);
  if (Status s = decodeDocument(bytes, kind, *loaded); !s) return s;
  loaded->setPath(path);
  doc = std::move(loaded);
  return Status::ok();
}

Status saveDocument(FileSystem& fs, CCircDoc& doc, const std::string& path) {
  if (Status s = checkExtension(path, requiredExtension(doc.kind())); !s) return s;
  DocumentLock lock;  // taken again at no cost when the caller holds it already
  if (Status s = lockDocument(fs, path, lock); !s) return s;
  const std::vector<std::uint8_t> bytes = encodeDocument(doc);
  if (Status s = saveWithBackup(fs, path, bytes); !s) return s;
  doc.setPath(path);
  doc.setModified(false);
  return Status::ok();
}

}  // namespace kestrel
