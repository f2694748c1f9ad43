// The writer of each output format, opened through openTableWriter.
#pragma once

#include <memory>
#include <string>

#include "exchange/writers/table_writer.hpp"

namespace kestrel {

Status openCsvWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer);
Status openDbfWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer);
Status openWksWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                     std::unique_ptr<TableWriter>& writer);
Status openXlsxWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                      std::unique_ptr<TableWriter>& writer);
Status openSqliteWriter(const std::string& path, const WriterOptions& options, FileSystem& fs,
                        std::unique_ptr<TableWriter>& writer);

}  // namespace kestrel
