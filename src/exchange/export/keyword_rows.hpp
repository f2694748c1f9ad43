// Keyword layout (for reading back by import): a first row naming field
// keywords, then one row per record holding each field under its keyword:
// PART_TYPE (the menu name), IS_HYBRID, the base fields, the class's own
// fields, and the document header's keywords repeated on every row. Texts
// as texts, numbers with every digit of the stored float, choices by their
// text (by number where a text would not name the choice alone). Columns
// are the keywords the exported records use, in catalogue order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "exchange/writers/table_writer.hpp"

namespace kestrel {

class CPart;
class CCircHeader;

using KeywordCells = std::map<std::size_t, ExportCell>;  // catalogue index -> value

// The keyword cells of a record (and of its document header when given).
KeywordCells partKeywordCells(const CPart& part);
KeywordCells headerKeywordCells(const CCircHeader& header, bool hybrid);

class KeywordLayout {
 public:
  // Records the keywords a row will use (first pass).
  void use(const KeywordCells& cells);
  std::size_t columns() const { return order_.size(); }
  std::vector<std::string> names() const;
  // The row of `cells` in this layout's columns.
  ExportRow row(const KeywordCells& cells) const;

 private:
  std::map<std::size_t, std::size_t> column_;  // catalogue index -> column
  std::vector<std::size_t> order_;
};

}  // namespace kestrel
