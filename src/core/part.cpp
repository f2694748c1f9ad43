#include "core/part.hpp"

#include <cmath>
#include <limits>
#include <variant>

#include "core/archive.hpp"
#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/stored_range.hpp"

namespace kestrel {

namespace base_fields {
const FieldSpec kPN{"PN", "Part number", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
const FieldSpec kNewPN{"NEWPN", "Part number", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
const FieldSpec kPN2{"PN2", "Second part number", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
const FieldSpec kRefDes{"REFDES", "Reference designator", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
const FieldSpec kDescr{"DESCR", "Description", FieldKind::Text, 0, 0, 60};
const FieldSpec kLcn{"LCN", "Logistics number", FieldKind::Text, 0, 0, 25, nullptr, {}, true};
const FieldSpec kQty{"QTY", "Quantity", FieldKind::Whole, 1, 999};
const FieldSpec kCf{"CF", "Correction factor", FieldKind::Real, 0.000001, 1000};
const FieldSpec kTempLimit{"TEMPLIMIT", "Temperature limit", FieldKind::Real, 0, 500, 0, nullptr, "deg C"};
const FieldSpec kStressLimit{"STRESSLIMIT", "Stress limit", FieldKind::Real, 0, 100, 0, nullptr, "%"};
const FieldSpec kIsSmt{"IS_SMT", "Surface mounted", FieldKind::Flag, 0, 1};
const FieldSpec kSmtPkg{"SMT_PKG", "Package material", FieldKind::Choice, 0, 0, 0, &kSmtPackages};
const FieldSpec kSmtLead{"SMT_LEAD", "Lead configuration", FieldKind::Choice, 0, 0, 0, &kSmtLeads};
const FieldSpec kSmtDist{"SMT_DIST", "Joint distance", FieldKind::Real, 1, 100000, 0, nullptr, "mils"};
const FieldSpec kSmtHt{"SMT_HT", "Joint height", FieldKind::Real, 0.1, 1000, 0, nullptr, "mils"};
const FieldSpec kSmtTriseMode{"SMT_TRISEMODE", "Temperature rise mode", FieldKind::Choice, 0, 0, 0,
                              &kSmtTriseModes};
const FieldSpec kSmtTempRise{"SMT_TEMPRISE", "Temperature rise", FieldKind::Real, 0, 175, 0, nullptr,
                             "deg C"};
const FieldSpec kNotesTitle{"NOTESTITLE", "Notes title", FieldKind::Text, 0, 0, 60};
const FieldSpec kNotes{"NOTES", "Notes", FieldKind::Text, 0, 0, 512};
}  // namespace base_fields

using namespace base_fields;

void CPart::serializeBase(Archive& ar) {
  ar.io(PN);
  ar.io(PN2);
  ar.io(REFDES);
  ar.io(DESCR);
  ar.io(LCN);
  ar.io(PART_TYPE);
  ar.io(IS_HYBRID);
  ar.io(QTY);
  ar.io(CF);
  ar.io(Reserved);
  ar.io(TEMPLIMIT);
  ar.io(STRESSLIMIT);
  ar.io(FileName);
  ar.io(DutyCycle);
  ar.io(CalcFlags);
  ar.io(SubFR);
  ar.io(IS_SMT);
  ar.io(SMT_PKG);
  ar.io(SMT_LEAD);
  ar.io(SMT_DIST);
  ar.io(SMT_HT);
  ar.io(SMT_TRISEMODE);
  ar.io(SMT_TEMPRISE);
  ar.io(SmtCalcFlag);
  ar.io(FRSMT);
  ar.io(OverFlags);
  ar.io(S);
  ar.io(T);
  ar.io(FR);
  ar.io(BasicR);
  ar.io(MissionR);
  ar.io(RelAtT);
  ar.io(NOTESTITLE);
  ar.io(NOTES);
}

void CPart::Serialize(Archive& ar) {
  serializeBase(ar);
  for (const StoredField& field : storedFields()) {
    std::visit([&ar](auto* value) { ar.io(*value); }, field.at(*this));
  }
}

void CPart::CopyFrom(const CPart& other) {
  copyBaseFields(other);
  if (!sameClass(other)) return;
  // A class lists its fields once, in Serialize: the copy travels through
  // the same list that writes the record to its file. Writing only reads the
  // fields.
  Archive written = Archive::forWriting();
  const_cast<CPart&>(other).Serialize(written);
  Archive reading = Archive::forReading(written.bytes(), {});
  Serialize(reading);
}

std::string CPart::GetTypeName() const { return {}; }

namespace {

// Shows one input of the table to a page visitor, by the member's type.
struct InputVisit {
  FieldVisitor& fields;
  const FieldSpec& shown;
  bool applies;
  void operator()(float* value) const { fields.number(shown, *value, applies); }
  void operator()(std::uint8_t* value) const { fields.choice(shown, *value, applies); }
};

// Reads each input a page visits and that applies, until the first failed read.
class PageReader final : public FieldVisitor {
 public:
  explicit PageReader(KeywordReader& reader) : reader_(reader) {}
  bool ok() const { return ok_; }
  void text(const FieldSpec& field, std::string& value, bool applies) override { take(field, value, applies); }
  void number(const FieldSpec& field, float& value, bool applies) override { take(field, value, applies); }
  void choice(const FieldSpec& field, std::uint8_t& value, bool applies) override { take(field, value, applies); }
  void flag(const FieldSpec& field, std::uint16_t& value, bool applies) override { take(field, value, applies); }
  bool readsInput() const override { return true; }

 private:
  template <typename T>
  void take(const FieldSpec& field, T& value, bool applies) {
    if (!field.unitOf.empty() && reader_.readWithOwnUnit(field.unitOf)) {
      // The value came with its unit and was read into the record's unit.
      const CKwd* k = reader_.find(field.keyword);
      if (k != nullptr && k->fieldNumber != 0.0f) {
        reader_.logLine(strprintf("   ...'%s' not read: '%s' was given with its unit (R%ld)...", k->name.c_str(),
                                  std::string(field.unitOf).c_str(), reader_.record() ? reader_.record()->number : 0L));
      }
      return;
    }
    if (ok_ && applies && !field.keyword.empty()) ok_ = reader_.read(field, value);
  }
  KeywordReader& reader_;
  bool ok_ = true;
};

}  // namespace

bool CPart::visitInputs(FieldVisitor& fields, FieldPage page) {
  bool any = false;
  for (const StoredField& field : storedFields()) {
    if (field.entry == nullptr || field.page != page) continue;
    any = true;
    ShownInput input{*field.entry, *field.entry, !(field.packageInHybrid && isHybridPart()), fields.readsInput()};
    shapeInput(input);
    std::visit(InputVisit{fields, input.shown, input.applies}, field.at(*this));
  }
  return any;
}

void CPart::paramPage(FieldVisitor& fields) { visitInputs(fields, FieldPage::Params); }

bool CPart::tempPage(FieldVisitor& fields) { return visitInputs(fields, FieldPage::Temp); }

void CPart::shapeInput(ShownInput&) {}

bool CPart::importParamPage(KeywordReader& reader) {
  PageReader read(reader);
  paramPage(read);
  return read.ok();
}

bool CPart::importTempPage(KeywordReader& reader) {
  PageReader read(reader);
  tempPage(read);
  return read.ok();
}

std::vector<NamedFactor> CPart::factors() const {
  std::vector<NamedFactor> named;
  auto& self = const_cast<CPart&>(*this);  // the table's accessors only read here
  for (const StoredField& field : storedFields()) {
    if (field.factor.empty()) continue;
    const double value = std::visit([](auto* v) { return static_cast<double>(*v); }, field.at(self));
    named.push_back({field.factor, value});
  }
  return named;
}

void CPart::Calculate(CCircHeader&) {}

void CPart::ApplyWhatIf(const WhatIfSettings&) {}

bool CPart::ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float) {
  return importBaseFields(reader, skipIdentity, smtAllowed) && importParamPage(reader) && importTempPage(reader);
}

bool CPart::importBaseFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed) {
  // NEWPN reads into PN after PN, so a mapped NEWPN replaces the part number.
  if (!skipIdentity) {
    if (!reader.read(kPN, PN) || !reader.read(kNewPN, PN) || !reader.read(kPN2, PN2)) return false;
  }
  if (!reader.read(kRefDes, REFDES) || !reader.read(kDescr, DESCR) || !reader.read(kLcn, LCN) ||
      !reader.read(kQty, QTY) || !reader.read(kCf, CF) || !reader.read(kTempLimit, TEMPLIMIT) ||
      !reader.read(kStressLimit, STRESSLIMIT)) {
    return false;
  }
  if (smtAllowed) {
    if (!reader.read(kIsSmt, IS_SMT)) return false;
    if (IS_SMT == 1) {
      if (!reader.read(kSmtPkg, SMT_PKG) || !reader.read(kSmtLead, SMT_LEAD) ||
          !reader.read(kSmtDist, SMT_DIST)) {
        return false;
      }
      if (SMT_LEAD == 1 && !reader.read(kSmtHt, SMT_HT)) return false;
      if (!reader.read(kSmtTriseMode, SMT_TRISEMODE)) return false;
      if (SMT_TRISEMODE == 2 && !reader.read(kSmtTempRise, SMT_TEMPRISE)) return false;
    }
  }
  return reader.read(kNotesTitle, NOTESTITLE) && reader.read(kNotes, NOTES);
}

void CPart::UpdateAppParams(const CPart&) {}

void CPart::FormatDetail(std::string& line1, std::string& line2, std::string_view) const {
  line1.clear();
  line2.clear();
}

void CPart::FormatFactors(std::string& line1, std::string& line2, std::string_view) const {
  line1.clear();
  line2.clear();
}

void CPart::normalizeChoices() {
  checkChoice(SMT_PKG, kSmtPackages);
  checkChoice(SMT_LEAD, kSmtLeads);
  checkChoice(SMT_TRISEMODE, kSmtTriseModes);
  for (const StoredField& field : storedFields()) {
    const FieldSpec* entry = field.entry;
    if (entry == nullptr || field.listByClass || entry->kind != FieldKind::Choice || entry->choices == nullptr) {
      continue;
    }
    const FieldRef ref = field.at(*this);
    if (auto* const* choice = std::get_if<std::uint8_t*>(&ref)) checkChoice(**choice, *entry->choices);
  }
}

void CPart::copyBaseFieldsExceptType(const CPart& o) {
  PN = o.PN;
  PN2 = o.PN2;
  REFDES = o.REFDES;
  DESCR = o.DESCR;
  LCN = o.LCN;
  IS_HYBRID = o.IS_HYBRID;
  QTY = o.QTY;
  CF = o.CF;
  Reserved = o.Reserved;
  TEMPLIMIT = o.TEMPLIMIT;
  STRESSLIMIT = o.STRESSLIMIT;
  FileName = o.FileName;
  DutyCycle = o.DutyCycle;
  CalcFlags = o.CalcFlags;
  SubFR = o.SubFR;
  IS_SMT = o.IS_SMT;
  SMT_PKG = o.SMT_PKG;
  SMT_LEAD = o.SMT_LEAD;
  SMT_DIST = o.SMT_DIST;
  SMT_HT = o.SMT_HT;
  SMT_TRISEMODE = o.SMT_TRISEMODE;
  SMT_TEMPRISE = o.SMT_TEMPRISE;
  SmtCalcFlag = o.SmtCalcFlag;
  FRSMT = o.FRSMT;
  OverFlags = o.OverFlags;
  S = o.S;
  T = o.T;
  FR = o.FR;
  BasicR = o.BasicR;
  MissionR = o.MissionR;
  RelAtT = o.RelAtT;
  NOTESTITLE = o.NOTESTITLE;
  NOTES = o.NOTES;
}

void CPart::copyBaseFields(const CPart& other) {
  copyBaseFieldsExceptType(other);
  PART_TYPE = other.PART_TYPE;
}

bool CPart::sameClass(const CPart& other) const {
  return &classRecord() == &other.classRecord();
}

std::unique_ptr<CPart> CPart::clone() const {
  auto copy = classRecord().create();
  if (copy) copy->CopyFrom(*this);
  return copy;
}

void CPart::identityPage(FieldVisitor& f) {
  f.text(kPN, PN, true);
  f.text(kPN2, PN2, true);
  f.text(kRefDes, REFDES, true);
  f.text(kDescr, DESCR, true);
  f.text(kLcn, LCN, true);
  f.number(kQty, QTY, true);
  f.number(kCf, CF, true);
}

void CPart::limitsPage(FieldVisitor& f) {
  f.number(kTempLimit, TEMPLIMIT, true);
  f.number(kStressLimit, STRESSLIMIT, true);
}

void CPart::smtPage(FieldVisitor& f) {
  f.flag(kIsSmt, IS_SMT, true);
  const bool smt = IS_SMT == 1;
  f.choice(kSmtPkg, SMT_PKG, smt);
  f.choice(kSmtLead, SMT_LEAD, smt);
  f.number(kSmtDist, SMT_DIST, smt);
  f.number(kSmtHt, SMT_HT, smt && SMT_LEAD == 1);
  f.choice(kSmtTriseMode, SMT_TRISEMODE, smt);
  f.number(kSmtTempRise, SMT_TEMPRISE, smt && SMT_TRISEMODE == 2);
}

void CPart::notesPage(FieldVisitor& f) {
  f.text(kNotesTitle, NOTESTITLE, true);
  f.text(kNotes, NOTES, true);
}

std::uint8_t CPart::checkChoice(std::uint8_t& choice, const ChoiceList& list) {
  if (!list.isValid(choice)) {
    choice = list.clamp(choice);
    OverFlags |= EntryOverRange;
  }
  return choice;
}

std::uint8_t CPart::checkedEnvironment(const CCircHeader& header) {
  std::uint8_t env = header.ENV;
  if (!kEnvironments.isValid(env)) {
    OverFlags |= EntryOverRange;
    env = kEnvironments.clamp(env);
  }
  return env;
}

float CPart::stressPercent(double operating, double rated) {
  if (!(rated > 0.0) || !std::isfinite(operating) || !std::isfinite(rated)) {
    OverFlags |= EntryOverRange;
    return 100.0f;
  }
  return static_cast<float>(operating / rated * 100.0);
}

float CPart::storedRate(double value) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  if (std::isnan(value) || value > kLargest) {
    OverFlags |= EntryOverRange;
    return static_cast<float>(kLargest);
  }
  return static_cast<float>(value);
}

double CPart::limitToRange(double value, double lo, double hi) {
  if (inStoredRange(value, lo, hi)) return value;
  OverFlags |= EntryOverRange;
  return heldInRange(value, lo, hi);
}

double CPart::correctionFactor() { return limitToRange(CF, kCf.lo, kCf.hi); }

void CPart::flagLimits() {
  if (T > TEMPLIMIT) OverFlags |= OverTemp;
  if (S > STRESSLIMIT) OverFlags |= OverStress;
}

}  // namespace kestrel
