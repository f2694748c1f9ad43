#include "exchange_fixture.hpp"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/strfmt.hpp"

namespace kestrel::test {

void ExchangeTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         strprintf("kestrel-import-%d-%s-%s", static_cast<int>(::getpid()), info->test_suite_name(), info->name());
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
}

void ExchangeTest::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string ExchangeTest::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path(name), std::ios::binary) << bytes;
  return path(name);
}

std::string ExchangeTest::readBytes(const std::string& name) const {
  std::ifstream in(name.front() == '/' ? name : path(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

ReadTable ExchangeTest::readAll(InputFormat format, const std::string& file, ReaderOptions options) const {
  ReadTable t;
  options.warn = [&t](std::string_view line) { t.warnings.emplace_back(line); };
  std::unique_ptr<TableReader> reader;
  if (Status s = openTableReader(format, file, options, reader); !s) {
    t.error = s.message();
    return t;
  }
  TableRow row;
  for (;;) {
    const RowStatus st = reader->next(row);
    if (st == RowStatus::End) break;
    if (st == RowStatus::Failed) {
      t.error = reader->error();
      break;
    }
    t.rows.push_back(row);
  }
  return t;
}

bool haveProgram(const std::string& program) {
  return shell("command -v " + program + " >/dev/null 2>&1") == 0;
}

int shell(const std::string& command) { return std::system(command.c_str()); }

std::string quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q.push_back(c);
    }
  }
  return q + "'";
}

std::string cellText(const TableCell& cell) {
  switch (cell.kind) {
    case TableCell::Kind::Text: return cell.text;
    case TableCell::Kind::Number: return strprintf("%g", cell.number);
    case TableCell::Kind::Error: return "#ERR";
    default: return "";
  }
}

}  // namespace kestrel::test
