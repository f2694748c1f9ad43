// The import's table readers on hostile bytes. The first byte picks the
// reader: CSV (with each separator), dBASE, worksheet, workbook (.xls or
// .xlsx by its bytes) and SQLite; every row is read to the end or to the
// reader's error, never a crash or a hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "exchange/readers/memory_readers.hpp"
#include "exchange/table_reader.hpp"

namespace {

void drain(kestrel::TableReader& reader) {
  kestrel::TableRow row;
  for (int guard = 0; guard < 1000000; ++guard) {
    if (reader.next(row) != kestrel::RowStatus::Row) return;
  }
}

// Readers that work on a file path get the bytes through a scratch file.
void throughFile(kestrel::InputFormat format, const std::string& bytes) {
  static const std::string path = "/tmp/kestrel-fuzz-table-" + std::to_string(::getpid());
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  std::unique_ptr<kestrel::TableReader> reader;
  if (kestrel::openTableReader(format, path, {}, reader)) drain(*reader);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t pick = data[0];
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  kestrel::ReaderOptions options;
  options.warn = [](std::string_view) {};
  switch (pick % 6) {
    case 0:
      options.separator = ",;\t"[(pick / 6) % 3];
      drain(*kestrel::makeCsvReader("fuzz.csv", std::move(bytes), options));
      break;
    case 1: drain(*kestrel::makeDbfReader("fuzz.dbf", std::move(bytes), options)); break;
    case 2: drain(*kestrel::makeWksReader("fuzz.wks", std::move(bytes), options)); break;
    case 3: throughFile(kestrel::InputFormat::XLS, "PK\x03\x04" + bytes); break;
    case 4: throughFile(kestrel::InputFormat::XLS, bytes); break;
    case 5: throughFile(kestrel::InputFormat::MDB, std::string("SQLite format 3\0", 16) + bytes); break;
  }
  return 0;
}
