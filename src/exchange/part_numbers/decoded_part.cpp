// Building the record of a decoded part number through the class's own
// field descriptions: a choice is matched against its list by text, a
// number must lie inside its field's range, or the decode fails.
#include <cmath>
#include <map>

#include "core/field_spec.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "exchange/part_numbers/part_number_decoder.hpp"

namespace kestrel::part_numbers {
namespace {

// The code part of a choice text: "RNR/RNC/RNN (PrecisionFilm,ER)" -> "RNR/RNC/RNN".
std::string_view codePart(std::string_view text) { return text.substr(0, text.find(" (")); }

bool listHas(std::string_view list, std::string_view code, char separator) {
  while (true) {
    const auto cut = list.find(separator);
    if (list.substr(0, cut) == code) return true;
    if (cut == std::string_view::npos) return false;
    list.remove_prefix(cut + 1);
  }
}

// What to set: choices by a test on their texts, numbers by value.
struct Settings {
  std::map<std::string, bool (*)(std::string_view, const DecodedNumber&), std::less<>> choices;
  std::map<std::string, double, std::less<>> numbers;
};

bool styleMatches(std::string_view text, const DecodedNumber& d) { return listHas(codePart(text), d.style, '/'); }

bool qualityMatches(std::string_view text, const DecodedNumber& d) {
  if (d.failureRateLevel == 0) return text == "Non-ER";
  if (text.find("(ER)") == std::string_view::npos) return false;
  return listHas(codePart(text), std::string_view(&d.failureRateLevel, 1), ',');
}

bool unitOhms(std::string_view text, const DecodedNumber& d) {
  return text == (d.value >= 1e6 ? "Megohms" : d.value >= 1e3 ? "Kohms" : "ohms");
}
bool unitFarads(std::string_view text, const DecodedNumber& d) { return text == (d.value >= 1e3 ? "uF" : "pf"); }

class DecodedSetter final : public FieldVisitor {
 public:
  DecodedSetter(const Settings& settings, const DecodedNumber& decoded) : settings_(settings), decoded_(decoded) {}

  void text(const FieldSpec&, std::string&, bool) override {}
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}
  void number(const FieldSpec& field, float& value, bool) override {
    const auto it = settings_.numbers.find(field.keyword);
    if (it == settings_.numbers.end()) return;
    ++applied_;
    if (!(it->second >= field.lo && it->second <= field.hi)) {
      failed_ = true;
      return;
    }
    value = static_cast<float>(it->second);
  }
  void choice(const FieldSpec& field, std::uint8_t& value, bool) override {
    const auto it = settings_.choices.find(field.keyword);
    if (it == settings_.choices.end()) return;
    ++applied_;
    if (field.choices != nullptr) {
      for (std::size_t i = 1; i <= field.choices->count(); ++i) {
        if (it->second(field.choices->text(static_cast<unsigned>(i)), decoded_)) {
          value = static_cast<std::uint8_t>(i);
          return;
        }
      }
    }
    failed_ = true;
  }

  bool ok(std::size_t expected) const { return !failed_ && applied_ == expected; }

 private:
  const Settings& settings_;
  const DecodedNumber& decoded_;
  std::size_t applied_ = 0;
  bool failed_ = false;
};

Settings settingsFor(const DecodedNumber& d, float defaultPmax, float defaultPd) {
  Settings s;
  const std::string prefix = d.family == Family::Resistor ? "RES_" : d.family == Family::Potentiometer ? "POT_" : "CAP_";
  s.choices[prefix + "TYPE"] = styleMatches;
  s.choices[prefix + "QU"] = qualityMatches;
  if (d.family == Family::Capacitor) {
    s.choices["CAP_CAPUNIT"] = unitFarads;
    s.numbers["CAP_CAP"] = d.value >= 1e3 ? d.value / 1e6 : d.value;
    return s;
  }
  s.choices[prefix + "RESUNIT"] = unitOhms;
  s.numbers[prefix + "RES"] = d.value >= 1e6 ? d.value / 1e6 : d.value >= 1e3 ? d.value / 1e3 : d.value;
  if (d.ratedPower > 0.0f) {
    // The operating point keeps the stress of the record's defaults.
    const float ratio = defaultPmax > 0.0f ? defaultPd / defaultPmax : 0.4f;
    s.numbers[prefix + "PMAX"] = d.ratedPower;
    s.numbers[prefix + "PD"] = d.ratedPower * ratio;
  }
  return s;
}

// Reads a record's current rated power and dissipation (by keyword).
class PowerReader final : public FieldVisitor {
 public:
  void text(const FieldSpec&, std::string&, bool) override {}
  void flag(const FieldSpec&, std::uint16_t&, bool) override {}
  void choice(const FieldSpec&, std::uint8_t&, bool) override {}
  void number(const FieldSpec& field, float& value, bool) override {
    if (field.keyword.ends_with("_PMAX")) pmax = value;
    if (field.keyword.ends_with("_PD")) pd = value;
  }
  float pmax = 0.0f, pd = 0.0f;
};

std::string describe(const DecodedNumber& d) {
  const bool cap = d.family == Family::Capacitor;
  const double shown = cap ? (d.value >= 1e3 ? d.value / 1e6 : d.value)
                           : (d.value >= 1e6 ? d.value / 1e6 : d.value >= 1e3 ? d.value / 1e3 : d.value);
  const char* unit = cap ? (d.value >= 1e3 ? "uF" : "pF") : (d.value >= 1e6 ? "Megohms" : d.value >= 1e3 ? "Kohms" : "ohms");
  const char* family = cap ? "Capacitor" : d.family == Family::Potentiometer ? "Potentiometer" : "Resistor";
  return strprintf("%s %s %.6g %s", family, d.style.c_str(), shown, unit);
}

}  // namespace

Status buildPart(std::string_view partNumber, bool hybrid, std::unique_ptr<CPart>& part) {
  part.reset();
  std::string why;
  const DecodedNumber decoded = decode(partNumber, &why);
  if (decoded.family == Family::None) {
    return Status::error(StatusCode::InvalidArgument, "Not decoded: " + why + ".");
  }
  const std::string pn = upperCased(trimmed(partNumber));
  // A decoded number the part classes refuse is a fault of this program, none of the input kinds.
  const Status internalError = Status::error(
      StatusCode::Failed,
      strprintf("WARNING: internal PN decode error...\n...PN='%s'...\n...please call support.", pn.c_str()));

  std::unique_ptr<CPart> record = PartRegistry::instance().create(typeIdOf(decoded.family), hybrid);
  if (!record) return internalError;
  PowerReader defaults;
  record->paramPage(defaults);
  const Settings settings = settingsFor(decoded, defaults.pmax, defaults.pd);
  DecodedSetter setter(settings, decoded);
  record->paramPage(setter);
  if (!setter.ok(settings.choices.size() + settings.numbers.size())) return internalError;
  // The page recomputes the computed stress from the new rating.
  PowerReader refresh;
  record->paramPage(refresh);
  record->PN = pn;
  record->DESCR = describe(decoded);
  part = std::move(record);
  return Status::ok();
}

std::unique_ptr<CPart> decodeForRecall(std::string_view number, bool hybrid) {
  std::unique_ptr<CPart> part;
  if (!buildPart(number, hybrid, part)) return nullptr;
  return part;
}

}  // namespace kestrel::part_numbers
