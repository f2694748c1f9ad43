#include "exchange_fixture.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/ui.hpp"
#include "models/register_all.hpp"

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

std::string ExchangeTest::saveCircuit(const std::string& name, std::vector<std::uint16_t> types,
                                      const std::string& child) const {
  registerAllParts();
  if (types.empty()) {
    for (const PartType& t : allPartTypes()) {
      if (t.id > kSubHybridType && PartRegistry::instance().isRegistered(t.id)) types.push_back(t.id);
    }
  }
  CCircDoc doc;
  int n = 0;
  for (const std::uint16_t t : types) {
    auto part = PartRegistry::instance().create(t, false);
    part->PN = "PN" + std::to_string(1000 + ++n);
    part->REFDES = "U" + std::to_string(n);
    part->DESCR = "desc, with \"quotes\"";
    part->QTY = 2;
    part->CF = 1.25f;
    part->NOTES = "first line\nsecond line";
    if (t == kSubCircuitType) part->FileName = child;
    doc.insertSorted(std::move(part));
  }
  SilentUi ui;
  CalcContext context(ui);
  EXPECT_TRUE(doc.BasicCalc(context, 0, -1.0) || !child.empty());  // a child is calculated apart
  EXPECT_TRUE(saveDocument(posixFileSystem(), doc, path(name)));
  return path(name);
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

std::vector<std::vector<std::string>> ExchangeTest::readBack(const std::string& file, std::size_t columns) const {
  const std::string csv = file + ".back.csv";
  const bool database = file.ends_with(".sqlite");
  if (database) {
    std::string select = "SELECT ";
    for (std::size_t i = 1; i <= columns; ++i) select += std::string(i > 1 ? "," : "") + "quote(FIELD" + std::to_string(i) + ")";
    EXPECT_EQ(shell("sqlite3 -csv " + quoted(file) + " " + quoted(select + " FROM Table1") + " > " + quoted(csv)), 0);
  } else {
    EXPECT_EQ(shell("ssconvert -T Gnumeric_stf:stf_csv " + quoted(file) + " " + quoted(csv) + " 2>/dev/null"), 0);
  }
  const ReadTable t = readAll(InputFormat::CSV, csv);
  EXPECT_EQ(t.error, "");
  std::vector<std::vector<std::string>> out;
  for (const TableRow& row : t.rows) {
    std::vector<std::string> cells;
    for (const TableCell& cell : row) {
      std::string v = cell.text;
      if (database && v == "NULL") v.clear();
      if (database && !v.empty() && v.front() == '\'') {  // quote(): 'it''s'
        std::string u;
        for (std::size_t i = 1; i + 1 < v.size(); ++i) {
          u.push_back(v[i]);
          if (v[i] == '\'') ++i;
        }
        v = u;
      }
      cells.push_back(v);
    }
    out.push_back(cells);
  }
  return out;
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

bool logged(const RecordingUi& ui, const std::string& line) {
  return std::ranges::find(ui.logLines, line) != ui.logLines.end() ||
         std::ranges::find(ui.messages, line) != ui.messages.end();
}

}  // namespace kestrel::test
