#include "exchange/export/keyword_rows.hpp"

#include <algorithm>

#include "core/circ_header.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"

namespace kestrel {
namespace {

bool allDigits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class KeywordCollector final : public FieldVisitor {
 public:
  explicit KeywordCollector(KeywordCells& cells) : cells_(cells) {}

  void put(std::string_view keyword, ExportCell cell) {
    if (keyword.empty()) return;
    if (const auto index = keywordIndex(keyword)) cells_[*index] = std::move(cell);
  }
  void text(const FieldSpec& f, std::string& value, bool) override { put(f.keyword, ExportCell::ofText(value)); }
  void number(const FieldSpec& f, float& value, bool) override { put(f.keyword, ExportCell::single(value)); }
  void flag(const FieldSpec& f, std::uint16_t& value, bool) override { put(f.keyword, ExportCell::integer(value)); }
  void choice(const FieldSpec& f, std::uint8_t& value, bool) override {
    const std::string_view name = f.choices != nullptr ? f.choices->text(value) : std::string_view{};
    // A text that a reader would take for another choice (or for a number) goes as the number.
    if (name.empty() || allDigits(name) || f.choices->find(name) != value) {
      put(f.keyword, ExportCell::integer(value));
    } else {
      put(f.keyword, ExportCell::ofText(std::string(name)));
    }
  }

 private:
  KeywordCells& cells_;
};

}  // namespace

KeywordCells partKeywordCells(const CPart& part) {
  KeywordCells cells;
  KeywordCollector collect(cells);
  const PartType* type = findPartType(part.PART_TYPE);
  collect.put("PART_TYPE", ExportCell::ofText(type != nullptr ? std::string(type->menuName) : part.GetTypeName()));
  collect.put("IS_HYBRID", ExportCell::integer(part.IS_HYBRID));
  // The pages may recompute derived fields (a computed stress): visit a copy.
  std::unique_ptr<CPart> copy = part.clone();
  copy->identityPage(collect);
  copy->limitsPage(collect);
  copy->smtPage(collect);
  copy->notesPage(collect);
  copy->paramPage(collect);
  copy->tempPage(collect);
  return cells;
}

KeywordCells headerKeywordCells(const CCircHeader& header, bool hybrid) {
  KeywordCells cells;
  KeywordCollector collect(cells);
  collect.put("HEADER_FILETYPE", ExportCell::ofText(hybrid ? "Hybrid" : "Circuit"));
  CCircHeader copy = header;
  if (hybrid) {
    copy.hybridPage(collect);
  } else {
    copy.circuitPage(collect);
    copy.smtPage(collect);
  }
  copy.notesPage(collect);
  return cells;
}

void KeywordLayout::use(const KeywordCells& cells) {
  bool added = false;
  for (const auto& [index, cell] : cells) {
    if (column_.emplace(index, 0).second) added = true;
  }
  if (!added) return;
  order_.clear();
  for (auto& [index, column] : column_) {
    column = order_.size();
    order_.push_back(index);
  }
}

std::vector<std::string> KeywordLayout::names() const {
  std::vector<std::string> out;
  const auto catalogue = keywordCatalogue();
  for (std::size_t index : order_) out.emplace_back(catalogue[index].name);
  return out;
}

ExportRow KeywordLayout::row(const KeywordCells& cells) const {
  ExportRow out(order_.size());
  for (const auto& [index, cell] : cells) {
    if (const auto it = column_.find(index); it != column_.end()) out[it->second] = cell;
  }
  return out;
}

}  // namespace kestrel
