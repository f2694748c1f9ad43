// Fuzzes the keyword readers with hostile input fields and definitions.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/circ_header.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/misc_part.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  std::size_t pos = 0;
  auto next = [&]() -> std::uint8_t { return pos < size ? data[pos++] : 0; };

  std::vector<CKwd> keywords = defaultKeywordRecords();
  InputRecord record;
  record.number = 1;
  // Map some keywords to fields, with hostile subfields and value types.
  for (int i = 0; i < 24 && pos < size; ++i) {
    CKwd& k = keywords[next() % keywords.size()];
    k.fieldNumber = static_cast<float>(static_cast<int>(next()) - 8);
    k.subStart = static_cast<float>(static_cast<int>(next() % 40) - 4);
    k.subLength = static_cast<float>(next() % 40);
    if (next() % 16 == 0) k.valueType = next();
  }
  // Fill fields with the remaining bytes.
  while (pos < size) {
    const int field = 1 + next() % 40;
    const std::uint8_t len = next() % 48;
    std::string text;
    for (std::uint8_t i = 0; i < len && pos < size; ++i) text.push_back(static_cast<char>(next()));
    if (!text.empty() && text[0] == '#') {
      record.setNumber(field, static_cast<double>(text.size()) * (text.size() % 2 ? -1e30 : 1e-30));
    } else {
      record.setText(field, text);
    }
  }
  KeywordReader reader(keywords, [](std::string_view) {});
  reader.setRecord(&record);
  CCircHeader header;
  (void)header.ImportFields(reader, false);
  (void)header.ImportFields(reader, true);
  CMisc part;
  (void)part.ImportFields(reader, false, true, 25.0f);
  part.Calculate(header);
  std::string text;
  double value = 0;
  (void)reader.rawText(next(), text, 255);
  (void)reader.rawFloat(next(), value, -1.0, 1.0);
  return 0;
}
