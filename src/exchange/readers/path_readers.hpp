// Readers that go through an outside library by file path: .xls (freexl),
// .xlsx (minizip and pugixml), SQLite databases and .mdb (mdbtools). Each
// checks that the file opens and what table to read when it is made, and
// fails with a message naming the file when it cannot.
#pragma once

#include <memory>
#include <string>

#include "core/status.hpp"
#include "exchange/table_reader.hpp"

namespace kestrel {

Status openXlsReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out);
Status openXlsxReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out);
Status openSqliteReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out);
Status openMdbReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out);

}  // namespace kestrel
