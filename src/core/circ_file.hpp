// Circuit (.CIR) and hybrid (.HYB) files.
//
// Layout (little-endian):
//   offset 0   1 byte   kind: 1 circuit, 2 hybrid
//          1   1 byte   hybrid flag: 0 circuit, 1 hybrid
//          2   ...      the header, its fields in order
//   next       2 bytes  record count (0xFFFF then 4 bytes when 65535 or more)
//   next       ...      one object entry per record (class tag, fields)
//   end - 4    4 bytes  additive checksum of every byte before it
//
// Loading checks, in this order, stopping at the first failure: the
// checksum ("File checksum error."; also for a file too short to be one),
// the kind bytes against the document kind asked for ("Unexpected file
// format...\n...not a Circuit." / "...not a Hybrid."), the file version and
// the record count of the header, then the record list: its own count must
// equal the header's, every class tag, name and length must fit in the bytes
// left before the checksum, and no bytes may be left over.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"
#include "core/file_system.hpp"
#include "core/status.hpp"

namespace kestrel {

// Largest file accepted for reading: MaxRecs records of at most a few KiB.
inline constexpr std::size_t kMaxDocumentFileSize = 256u * 1024u * 1024u;

// ".CIR" or ".HYB".
std::string_view requiredExtension(DocKind kind);
// The document kind a path's extension names, if any.
std::optional<DocKind> kindForPath(const std::string& path);

// The file's bytes, checksum included.
std::vector<std::uint8_t> encodeDocument(const CCircDoc& doc);
// Fills `doc` (of the kind asked for) from a file's bytes; on failure `doc`
// holds nothing of them. `name` names the file in record messages.
Status decodeDocument(std::span<const std::uint8_t> bytes, DocKind kind, CCircDoc& doc);

// Reads only the kind bytes and the header of a document file (checksum
// and kind checked as in a full load); the records are not decoded.
Status loadDocumentHeader(FileSystem& fs, const std::string& path, DocKind kind, CCircHeader& header);

// Opens a document file. The kind is the one the extension names; a path
// with another extension takes the kind the file says.
Status loadDocument(FileSystem& fs, const std::string& path, std::unique_ptr<CCircDoc>& doc);
// Saves with the extension check, the ".BAK" backup and the safe write; on
// success the document takes the path and is no longer modified.
Status saveDocument(FileSystem& fs, CCircDoc& doc, const std::string& path);

}  // namespace kestrel
