// Readers that parse a whole file held in memory: comma-separated text,
// dBASE III tables and Lotus worksheets. `name` names the file in messages.
#pragma once

#include <memory>
#include <string>

#include "exchange/table_reader.hpp"

namespace kestrel {

std::unique_ptr<TableReader> makeCsvReader(std::string name, std::string bytes, ReaderOptions options);
std::unique_ptr<TableReader> makeDbfReader(std::string name, std::string bytes, ReaderOptions options);
std::unique_ptr<TableReader> makeWksReader(std::string name, std::string bytes, ReaderOptions options);

}  // namespace kestrel
