// Picks the reader of an input file: by the definition's format, and within
// the workbook and database formats by the file's own first bytes.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/file_system.hpp"
#include "core/strfmt.hpp"
#include "exchange/readers/memory_readers.hpp"
#include "exchange/readers/path_readers.hpp"

namespace kestrel {
namespace {

constexpr std::size_t kSniffSize = 1024 * 1024;

std::string firstBytes(const std::string& path) {
  std::string bytes(kSniffSize, '\0');
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  return bytes;
}

bool startsWith(const std::string& bytes, std::string_view magic) {
  return bytes.size() >= magic.size() && std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

// An OLE compound file holding an "EncryptedPackage" stream is a workbook
// saved with a password to open.
bool isEncryptedPackage(const std::string& bytes) {
  static const std::string kName = [] {
    std::string n;
    for (char c : std::string_view("EncryptedPackage")) {
      n.push_back(c);
      n.push_back('\0');
    }
    return n;
  }();
  return bytes.find(kName) != std::string::npos;
}

constexpr std::string_view kZipMagic{"PK\x03\x04", 4};
constexpr std::string_view kOleMagic{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

}  // namespace

Status openTableReader(InputFormat format, const std::string& path, const ReaderOptions& options,
                       std::unique_ptr<TableReader>& reader) {
  reader.reset();
  FileSystem& fs = posixFileSystem();
  if (!fs.exists(path)) {
    return Status::error(StatusCode::NotFound,
                         strprintf("can not open file (%s): file not found", path.c_str()));
  }
  switch (format) {
    case InputFormat::CSV:
    case InputFormat::DBF:
    case InputFormat::WKS: {
      std::vector<std::uint8_t> bytes;
      if (Status s = fs.readFile(path, bytes, kMaxTableFileSize); !s) return s;
      std::string data(bytes.begin(), bytes.end());
      if (format == InputFormat::CSV) reader = makeCsvReader(path, std::move(data), options);
      if (format == InputFormat::DBF) reader = makeDbfReader(path, std::move(data), options);
      if (format == InputFormat::WKS) reader = makeWksReader(path, std::move(data), options);
      return Status::ok();
    }
    case InputFormat::XLS: {
      const std::string head = firstBytes(path);
      if (startsWith(head, kZipMagic)) return openXlsxReader(path, options, reader);
      if (startsWith(head, kOleMagic)) {
        if (isEncryptedPackage(head)) {
          return Status::error(StatusCode::Corrupt,
                               strprintf("XLS: the workbook is encrypted (%s)", path.c_str()));
        }
        return openXlsReader(path, options, reader);
      }
      return Status::error(
          StatusCode::Corrupt,
          strprintf("XLS: can not open file (%s): not an .xls or .xlsx workbook", path.c_str()));
    }
    case InputFormat::MDB: {
      const std::string head = firstBytes(path);
      if (startsWith(head, kSqliteMagic)) return openSqliteReader(path, options, reader);
      if (head.size() >= 20 && (head.compare(4, 15, "Standard Jet DB") == 0 || head.compare(4, 15, "Standard ACE DB") == 0)) {
        return openMdbReader(path, options, reader);
      }
      return Status::error(
          StatusCode::Corrupt,
          strprintf("MDB: can not read structure (%s): not an SQLite or .mdb database", path.c_str()));
    }
  }
  return Status::error(StatusCode::InvalidArgument,
                       strprintf("not a valid input file format (%d)", static_cast<int>(format)));
}

}  // namespace kestrel
