// Test set-up shared by the keyword reader tests: a definition holding every
// catalogue keyword, one input record (number 7) and the lines logged.
#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/keywords/keyword_reader.hpp"

namespace kestrel::test {

// One input cell: empty, text or number.
using Cell = std::variant<std::monostate, std::string, double>;
using Log = std::vector<std::string>;

constexpr int kFld = 3;  // the input field the tables map their keyword to
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A definition with every catalogue keyword, input record number 7, and the log.
struct ImportSetup {
  ImportSetup() {
    record.number = 7;
    reader.setRecord(&record);
  }
  ImportSetup(const ImportSetup&) = delete;
  ImportSetup& operator=(const ImportSetup&) = delete;

  void put(int fld, const Cell& cell) {
    if (const auto* text = std::get_if<std::string>(&cell)) {
      record.setText(fld, *text);
    } else if (const auto* number = std::get_if<double>(&cell)) {
      record.setNumber(fld, *number);
    } else {
      record.setText(fld, "");
    }
  }
  // Maps `keyword` to field `fld` (subfield start/length when given) holding `cell`.
  void map(std::string_view keyword, float fld, const Cell& cell = {}, float start = 0,
           float length = 0) {
    for (CKwd& k : kwds) {
      if (k.name == keyword) {
        k.fieldNumber = fld;
        k.subStart = start;
        k.subLength = length;
      }
    }
    if (fld >= 1 && fld <= kMaxInputFields) put(static_cast<int>(fld), cell);
  }

  std::vector<CKwd> kwds = defaultKeywordRecords();
  InputRecord record;
  Log log;
  KeywordReader reader{kwds, [this](std::string_view line) { log.emplace_back(line); }};
};

// Table rows print as their label.
template <typename Case>
  requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.label;
}

template <typename Case>
std::string labelOf(const ::testing::TestParamInfo<Case>& info) {
  return info.param.label;
}

}  // namespace kestrel::test
