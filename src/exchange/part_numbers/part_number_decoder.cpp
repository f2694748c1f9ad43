#include "exchange/part_numbers/part_number_decoder.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace kestrel::part_numbers {
namespace {

struct Style {
  std::string_view code;
  Family family;
  bool established;  // ends with a failure-rate level letter
};

// Style codes as the military specifications give them.
constexpr std::array kStyles{
    Style{"RCR", Family::Resistor, true},       Style{"RC", Family::Resistor, false},
    Style{"RLR", Family::Resistor, true},       Style{"RL", Family::Resistor, false},
    Style{"RNR", Family::Resistor, true},       Style{"RNC", Family::Resistor, true},
    Style{"RNN", Family::Resistor, true},       Style{"RN", Family::Resistor, false},
    Style{"RM", Family::Resistor, false},       Style{"RD", Family::Resistor, false},
    Style{"RZ", Family::Resistor, false},       Style{"RBR", Family::Resistor, true},
    Style{"RB", Family::Resistor, false},       Style{"RWR", Family::Resistor, true},
    Style{"RW", Family::Resistor, false},       Style{"RER", Family::Resistor, true},
    Style{"RE", Family::Resistor, false},       Style{"RTH", Family::Resistor, false},
    Style{"RTR", Family::Potentiometer, true},  Style{"RT", Family::Potentiometer, false},
    Style{"RR", Family::Potentiometer, false},  Style{"RA", Family::Potentiometer, false},
    Style{"RK", Family::Potentiometer, false},  Style{"RP", Family::Potentiometer, false},
    Style{"RJR", Family::Potentiometer, true},  Style{"RJ", Family::Potentiometer, false},
    Style{"RV", Family::Potentiometer, false},  Style{"RQ", Family::Potentiometer, false},
    Style{"RVC", Family::Potentiometer, false}, Style{"CP", Family::Capacitor, false},
    Style{"CA", Family::Capacitor, false},      Style{"CZR", Family::Capacitor, true},
    Style{"CZ", Family::Capacitor, false},      Style{"CQR", Family::Capacitor, true},
    Style{"CQ", Family::Capacitor, false},      Style{"CHR", Family::Capacitor, true},
    Style{"CH", Family::Capacitor, false},      Style{"CFR", Family::Capacitor, true},
    Style{"CRH", Family::Capacitor, true},      Style{"CMR", Family::Capacitor, true},
    Style{"CM", Family::Capacitor, false},      Style{"CB", Family::Capacitor, false},
    Style{"CYR", Family::Capacitor, true},      Style{"CY", Family::Capacitor, false},
    Style{"CKR", Family::Capacitor, true},      Style{"CK", Family::Capacitor, false},
    Style{"CCR", Family::Capacitor, true},      Style{"CC", Family::Capacitor, false},
    Style{"CDR", Family::Capacitor, true},      Style{"CSR", Family::Capacitor, true},
    Style{"CWR", Family::Capacitor, true},      Style{"CLR", Family::Capacitor, true},
    Style{"CL", Family::Capacitor, false},      Style{"CRL", Family::Capacitor, false},
    Style{"CUR", Family::Capacitor, true},      Style{"CU", Family::Capacitor, false},
    Style{"CE", Family::Capacitor, false},      Style{"CV", Family::Capacitor, false},
    Style{"PC", Family::Capacitor, false},      Style{"CT", Family::Capacitor, false},
    Style{"CG", Family::Capacitor, false},
};

struct RatedPower {
  std::string_view family;  // style codes sharing the size table, separated by '/'
  int size;
  float watts;
};

// Rated power by style and size where the size tells it (carbon composition,
// film and precision film resistors).
constexpr std::array kRatedPowers{
    RatedPower{"RCR/RC/RLR/RL", 5, 0.125f}, RatedPower{"RCR/RC/RLR/RL", 7, 0.25f},
    RatedPower{"RCR/RC/RLR/RL", 20, 0.5f},  RatedPower{"RCR/RC/RLR/RL", 32, 1.0f},
    RatedPower{"RCR/RC", 42, 2.0f},         RatedPower{"RNR/RNC/RNN/RN", 50, 0.05f},
    RatedPower{"RNR/RNC/RNN/RN", 55, 0.1f}, RatedPower{"RNR/RNC/RNN/RN", 60, 0.125f},
    RatedPower{"RNR/RNC/RNN/RN", 65, 0.25f}, RatedPower{"RNR/RNC/RNN/RN", 70, 0.5f},
};

bool inSlashList(std::string_view list, std::string_view code) {
  while (!list.empty()) {
    const auto slash = list.find('/');
    if (list.substr(0, slash) == code) return true;
    if (slash == std::string_view::npos) break;
    list.remove_prefix(slash + 1);
  }
  return false;
}

float ratedPowerOf(std::string_view style, int size) {
  for (const RatedPower& r : kRatedPowers) {
    if (r.size == size && inSlashList(r.family, style)) return r.watts;
  }
  return 0.0f;
}

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A value code: 2..4 digits, the last the power of ten; or digits holding
// one 'R' for the decimal point (at most 4 characters).
bool parseValue(std::string_view code, double& value) {
  if (code.size() < 2 || code.size() > 4) return false;
  const auto r = code.find('R');
  if (r != std::string_view::npos) {
    // "10R0", "R100", "4R7": a trailing 'R' is a closing letter, not a point.
    if (r + 1 == code.size()) return false;
    if (code.find('R', r + 1) != std::string_view::npos) return false;
    double whole = 0.0, fraction = 0.0, scale = 1.0;
    for (std::size_t i = 0; i < code.size(); ++i) {
      if (i == r) continue;
      if (!isDigit(code[i])) return false;
      const int d = code[i] - '0';
      if (i < r) {
        whole = whole * 10 + d;
      } else {
        scale /= 10.0;
        fraction += d * scale;
      }
    }
    value = whole + fraction;
    return true;
  }
  double significant = 0.0;
  for (std::size_t i = 0; i + 1 < code.size(); ++i) {
    if (!isDigit(code[i])) return false;
    significant = significant * 10 + (code[i] - '0');
  }
  const char m = code.back();
  if (!isDigit(m)) return false;
  const int exponent = m == '8' ? -2 : m == '9' ? -1 : m - '0';
  value = significant * std::pow(10.0, exponent);
  return true;
}

bool validLevel(Family family, char c) {
  const std::string_view levels = family == Family::Capacitor ? "DCSBRPML" : "SRPM";
  return levels.find(c) != std::string_view::npos;
}

bool validTolerance(char c) { return std::string_view("ABCDFGJKMZ").find(c) != std::string_view::npos; }

// The rest after the characteristic: value code, then closing letters.
bool parseTail(std::string_view rest, const Style& style, DecodedNumber& out) {
  std::size_t valueEnd = 0;
  while (valueEnd < rest.size() && (isDigit(rest[valueEnd]) || rest[valueEnd] == 'R')) ++valueEnd;
  // An 'R' right after the value may be a failure-rate level, not a decimal point.
  for (std::size_t end = valueEnd; end >= 2; --end) {
    double value = 0.0;
    if (!parseValue(rest.substr(0, end), value)) continue;
    const std::string_view closing = rest.substr(end);
    char tolerance = 0, level = 0;
    if (style.established) {
      if (closing.empty() || closing.size() > 2) continue;
      level = closing.back();
      if (closing.size() == 2) tolerance = closing[0];
      if (!validLevel(style.family, level)) continue;
    } else {
      if (closing.size() > 1) continue;
      if (!closing.empty()) tolerance = closing[0];
    }
    if (tolerance != 0 && !validTolerance(tolerance)) continue;
    out.value = value;
    out.tolerance = tolerance;
    out.failureRateLevel = level;
    return true;
  }
  return false;
}

DecodedNumber refuse(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return {};
}

}  // namespace

DecodedNumber decode(std::string_view partNumber, std::string* why) {
  while (!partNumber.empty() && std::isspace(static_cast<unsigned char>(partNumber.front()))) partNumber.remove_prefix(1);
  while (!partNumber.empty() && std::isspace(static_cast<unsigned char>(partNumber.back()))) partNumber.remove_suffix(1);
  if (partNumber.empty()) return refuse(why, "empty part number");
  if (partNumber.size() > kMaxPartNumberLength) return refuse(why, "longer than 25 characters");
  std::string pn(partNumber);
  for (char& c : pn) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (char c : pn) {
    if (!isLetter(c) && !isDigit(c)) return refuse(why, "holds characters other than letters and digits");
  }

  std::size_t at = 0;
  while (at < pn.size() && isLetter(pn[at])) ++at;
  const std::string_view code = std::string_view(pn).substr(0, at);
  const auto style = std::find_if(kStyles.begin(), kStyles.end(), [&](const Style& s) { return s.code == code; });
  if (style == kStyles.end()) return refuse(why, "no resistor, potentiometer or capacitor style");

  const std::size_t sizeStart = at;
  while (at < pn.size() && isDigit(pn[at]) && at - sizeStart < 2) ++at;
  if (at == sizeStart) return refuse(why, "no size after the style");
  const int size = std::stoi(pn.substr(sizeStart, at - sizeStart));

  // The characteristic runs up to the value code; try the shortest first,
  // so an 'R' that starts a value ("FR100") is read as its decimal point.
  DecodedNumber out;
  for (std::size_t length = 1; length <= 5 && at + length <= pn.size(); ++length) {
    const std::string_view characteristic = std::string_view(pn).substr(at, length);
    if (!isLetter(characteristic.back())) break;
    if (parseTail(std::string_view(pn).substr(at + length), *style, out)) {
      out.family = style->family;
      out.style = std::string(style->code);
      out.size = size;
      out.characteristic = std::string(characteristic);
      out.ratedPower = style->family == Family::Resistor ? ratedPowerOf(style->code, size) : 0.0f;
      if (out.family == Family::Capacitor && !(out.value > 0.0)) return refuse(why, "zero capacitance");
      return out;
    }
  }
  return refuse(why, style->established ? "no value code and failure-rate level after the characteristic"
                                        : "no value code after the characteristic");
}

std::uint16_t typeIdOf(Family family) {
  switch (family) {
    case Family::Resistor: return 401;
    case Family::Potentiometer: return 402;
    case Family::Capacitor: return 403;
    case Family::None: break;
  }
  return 0;
}

}  // namespace kestrel::part_numbers
