#include "exchange/bom/bom_tables.hpp"

#include <charconv>

#include "core/strfmt.hpp"

namespace kestrel {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A header name reduced to its letters and digits, lower-cased.
std::string squeezed(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (isLetter(c) || isDigit(c)) out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return out;
}

constexpr struct {
  std::string_view name;  // squeezed
  BomColumn column;
} kHeaderNames[] = {
    {"reference", BomColumn::Reference},      {"references", BomColumn::Reference},
    {"ref", BomColumn::Reference},            {"refs", BomColumn::Reference},
    {"refdes", BomColumn::Reference},         {"designator", BomColumn::Reference},
    {"designators", BomColumn::Reference},    {"referencedesignator", BomColumn::Reference},
    {"referencedesignators", BomColumn::Reference}, {"partreference", BomColumn::Reference},
    {"value", BomColumn::Value},              {"val", BomColumn::Value},
    {"description", BomColumn::Description},  {"desc", BomColumn::Description},
    {"qty", BomColumn::Quantity},             {"quantity", BomColumn::Quantity},
    {"qnty", BomColumn::Quantity},            {"count", BomColumn::Quantity},
    {"partnumber", BomColumn::PartNumber},    {"pn", BomColumn::PartNumber},
    {"partno", BomColumn::PartNumber},        {"mpn", BomColumn::Mpn},
    {"manufacturerpartnumber", BomColumn::Mpn}, {"mfrpn", BomColumn::Mpn},
    {"mfrpartnumber", BomColumn::Mpn},        {"mfgpartnumber", BomColumn::Mpn},
    {"manufacturer", BomColumn::Manufacturer}, {"mfr", BomColumn::Manufacturer},
    {"mfg", BomColumn::Manufacturer},         {"manufacturername", BomColumn::Manufacturer},
    {"footprint", BomColumn::Footprint},      {"package", BomColumn::Footprint},
    {"pcbfootprint", BomColumn::Footprint},   {"case", BomColumn::Footprint},
};

// Designator letters by the usual conventions (IEEE 315 and the EDA tools'
// libraries), each naming a registered part class.
constexpr struct {
  std::string_view letters;
  std::string_view className;
} kDesignatorClasses[] = {
    {"R", "CResistor"},    {"RN", "CResistor"},     {"RV", "CPotentiometer"}, {"VR", "CPotentiometer"},
    {"C", "CCapacitor"},   {"L", "CInductive"},     {"T", "CInductive"},      {"D", "CDiode"},
    {"CR", "CDiode"},      {"LED", "COpto"},        {"DS", "COpto"},          {"Q", "CTransistor"},
    {"U", "CIC_Logic"},    {"IC", "CIC_Logic"},     {"K", "CRelay"},          {"S", "CSwitch"},
    {"SW", "CSwitch"},     {"J", "CConnector"},     {"P", "CConnector"},      {"Y", "CCrystal"},
    {"X", "CCrystal"},     {"XTAL", "CCrystal"},    {"F", "CFuse"},           {"M", "CRotate"},
    {"B", "CRotate"},      {"FL", "CFilter"},       {"LMP", "CLamp"},         {"V", "CTube"},
};


}  // namespace

// Longest range of designators written with a dash.
constexpr long kLongestRange = 999;

BomColumn bomColumnNamed(std::string_view header) {
  const std::string name = squeezed(header);
  for (const auto& h : kHeaderNames) {
    if (h.name == name) return h.column;
  }
  return BomColumn::None;
}

std::string_view bomColumnTitle(BomColumn column) {
  static constexpr std::string_view kTitles[] = {"",           "Reference",     "Value",        "Description", "Quantity",
                                                 "Part Number", "MPN", "Manufacturer", "Footprint"};
  return kTitles[static_cast<std::size_t>(column)];
}

std::string_view bomClassForLetters(std::string_view letters) {
  const std::string wanted = upperCased(letters);
  for (const auto& d : kDesignatorClasses) {
    if (d.letters == wanted) return d.className;
  }
  return {};
}

std::string designatorLetters(std::string_view designator) {
  std::size_t i = 0;
  while (i < designator.size() && isLetter(designator[i])) ++i;
  return upperCased(designator.substr(0, i));
}

namespace {

// "R12" -> ("R", 12); false when it is not letters followed by a number.
bool splitDesignator(std::string_view d, std::string& letters, long& number) {
  letters = designatorLetters(d);
  const auto [end, ec] = std::from_chars(d.data() + letters.size(), d.data() + d.size(), number);
  return !letters.empty() && ec == std::errc{} && end == d.data() + d.size();
}

}  // namespace

std::vector<std::string> expandDesignators(std::string_view text, std::string& error) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  auto isSeparator = [](char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; };
  while (pos < text.size()) {
    while (pos < text.size() && isSeparator(text[pos])) ++pos;
    std::size_t end = pos;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    const std::string_view item = text.substr(pos, end - pos);
    pos = end;
    if (item.empty()) continue;
    const auto dash = item.find('-');
    if (dash == std::string_view::npos) {
      out.emplace_back(upperCased(item));
      continue;
    }
    // A range: "R1-R3", or "R1-3" with the letters written once.
    std::string firstLetters, lastLetters;
    long first = 0, last = 0;
    std::string_view to = item.substr(dash + 1);
    const bool digitsOnly = !to.empty() && isDigit(to.front());
    if (!splitDesignator(item.substr(0, dash), firstLetters, first) ||
        !(digitsOnly ? splitDesignator(firstLetters + std::string(to), lastLetters, last)
                     : splitDesignator(to, lastLetters, last)) ||
        firstLetters != lastLetters || last < first || last - first >= kLongestRange) {
      error = strprintf("'%s' is not a range of designators", std::string(item).c_str());
      return {};
    }
    for (long n = first; n <= last; ++n) out.push_back(firstLetters + std::to_string(n));
  }
  return out;
}

}  // namespace kestrel
