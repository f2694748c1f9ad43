// Shared set-up of the import tests: a scratch folder, files written and
// read back, real programs (ssconvert, sqlite3, dbfcreate) run to make
// inputs, and every row of a table read into plain cells.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exchange/table_reader.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {

struct ReadTable {
  std::vector<TableRow> rows;
  std::vector<std::string> warnings;
  std::string error;  // set when the open or a row failed
};

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& bytes) const;
  std::string readBytes(const std::string& name) const;
  ReadTable readAll(InputFormat format, const std::string& file, ReaderOptions options = {}) const;
  // A calculated circuit saved under `name`: a record of each of `types`
  // (every registered type but the sub-files when none are given) with texts
  // a table must quote; sub-circuit records name `child`.
  std::string saveCircuit(const std::string& name, std::vector<std::uint16_t> types = {},
                          const std::string& child = {}) const;
  // A written table turned back into CSV by a real program (the sqlite3 shell
  // for databases, every digit of a real kept; gnumeric's ssconvert for the
  // rest) and read into texts: a database NULL reads as "".
  std::vector<std::vector<std::string>> readBack(const std::string& file, std::size_t columns) const;
  std::filesystem::path dir_;
};

// True when `program` is on the PATH.
bool haveProgram(const std::string& program);
// Runs a shell command; its exit status.
int shell(const std::string& command);
std::string quoted(const std::string& text);
// True when `ui` logged or showed `line`.
bool logged(const RecordingUi& ui, const std::string& line);

// The cell as the text a CSV would hold ("%g" for numbers).
std::string cellText(const TableCell& cell);

#define SKIP_WITHOUT(program) \
  if (!haveProgram(program)) GTEST_SKIP() << program << " is not installed (scripts/deps.sh installs it)"

}  // namespace kestrel::test
