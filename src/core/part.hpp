// CPart: the part record base every part class derives from.
//
// The base holds what all parts share (identity texts, quantity, correction
// factor, limits, the sub-file fields, the surface-mount inputs and results,
// the calculated failure rate and reliabilities, notes) and declares the
// part-model interface: the operations each part class fills in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/stored_fields.hpp"

namespace kestrel {

class Archive;
class CCircHeader;
class KeywordReader;
struct WhatIfSettings;
struct ClassRecord;

// Over flags of a record (field 26).
enum OverFlag : std::uint32_t {
  OverStress = 1u << 0,
  OverTemp = 1u << 1,
  EnvNotValid = 1u << 2,
  EntryOverRange = 1u << 3,
};

// Record calculated flags (field 15).
enum PartCalcFlag : std::uint16_t {
  PartBasicDone = 1u << 0,
  PartMissionDone = 1u << 1,
};

// Choice lists of the base surface-mount fields.
inline constexpr std::string_view kSmtPackageNames[] = {"", "Plastic", "Ceramic"};
inline constexpr ChoiceList kSmtPackages{kSmtPackageNames};
inline constexpr std::string_view kSmtLeadNames[] = {"", "Leadless", "Lead,J/S", "GullWing"};
inline constexpr ChoiceList kSmtLeads{kSmtLeadNames};
inline constexpr std::string_view kSmtTriseModeNames[] = {"", "Default", "Manual"};
inline constexpr ChoiceList kSmtTriseModes{kSmtTriseModeNames};

// One stored factor of a record's last calculation, by its printed name.
struct NamedFactor {
  std::string_view name;
  double value;
};

class CPart {
 public:
  CPart() = default;
  CPart(const CPart&) = delete;
  CPart& operator=(const CPart&) = delete;
  virtual ~CPart() = default;

  // ---- the part-model interface, in slot order ----
  // Run-time class record: class name, object size, schema, creation.
  virtual const ClassRecord& classRecord() const = 0;
  // The class's own stored fields, in file order (none in the base).
  virtual std::span<const StoredField> storedFields() const { return {}; }
  // Writes or reads fields 1..34 (the base), then the class's own fields
  // (by its table).
  virtual void Serialize(Archive& ar);
  // Copies the base fields from any record, and every field from a record
  // of the same class.
  virtual void CopyFrom(const CPart& other);
  // Menu name of the class, with "(Hyb)" appended for a hybrid part.
  virtual std::string GetTypeName() const;
  // The class's parameter page and its second (temperature) page, as field
  // descriptions: the inputs of the class's table on each page, shaped by
  // shapeInput. tempPage returns false when the class has no second page.
  virtual void paramPage(FieldVisitor& fields);
  virtual bool tempPage(FieldVisitor& fields);
  // An input about to be shown or imported: a class whose inputs depend on
  // other fields says here whether `input` applies, narrows its range or
  // picks its list (in `input.shown`), and refreshes a value computed from
  // the fields before it.
  struct ShownInput {
    const FieldSpec& entry;  // the table's description
    FieldSpec shown;         // what the page shows and the import reads
    bool applies = true;
    bool reading = false;  // an import reads the page (FieldVisitor::readsInput)
    bool is(const FieldSpec& field) const { return &entry == &field; }
  };
  virtual void shapeInput(ShownInput& input);
  // Computes the record's factors and failure rate against the header. The
  // header is not const: the surface-mount step writes back the table values
  // it used (cycle rate, board TCE, temperature difference).
  virtual void Calculate(CCircHeader& header);
  // Applies the record-level What-If? changes.
  virtual void ApplyWhatIf(const WhatIfSettings& settings);
  // Reads the record's fields by keyword from the current input record: the
  // base fields, then the inputs of both pages that apply, in page order.
  virtual bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed,
                            float ambient);
  // Copies the application parameters of another record of the same class.
  virtual void UpdateAppParams(const CPart& other);
  // Two lines of parameters and two lines of factors (the second may stay empty).
  virtual void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const;
  virtual void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const;

  // The factors the last Calculate stored, by name (for scripts and reports):
  // the printed fields of the class's table.
  virtual std::vector<NamedFactor> factors() const;

  // Clamps every stored choice into its list (dependent lists refilled from
  // the choices they depend on), setting EntryOverRange for any that was
  // outside. Runs after a record is read, pasted, imported or converted, so
  // no factor table is ever indexed past its end. Classes call the base first.
  virtual void normalizeChoices();

  // ---- non-virtual base operations ----
  // Writes or reads fields 1..34 only.
  void serializeBase(Archive& ar);
  // Base field copy: fields 1..34 from a record of any class.
  void copyBaseFields(const CPart& other);
  // The same, leaving the part type id alone (Convert Type, libraries).
  void copyBaseFieldsExceptType(const CPart& other);
  // A new record of the same class with the same fields.
  std::unique_ptr<CPart> clone() const;
  // Visits the identity, limits, surface-mount and notes fields.
  void identityPage(FieldVisitor& fields);
  void limitsPage(FieldVisitor& fields);
  void smtPage(FieldVisitor& fields);
  void notesPage(FieldVisitor& fields);

  // Total failure rate of the record: QTY x FR x DutyCycle / 100 (fpmh).
  double TFR() const { return static_cast<double>(QTY) * FR * DutyCycle * 0.01; }
  bool isHybridPart() const { return IS_HYBRID != 0; }
  bool hasOverFlag() const {
    return (OverFlags & (OverStress | OverTemp | EnvNotValid | EntryOverRange)) != 0;
  }

  // Clamps a stored choice into 1..list.count(); a choice outside the list
  // sets EntryOverRange. Returns the (now valid) choice.
  std::uint8_t checkChoice(std::uint8_t& choice, const ChoiceList& list);
  // The header's environment, clamped into 1..14 the same way.
  std::uint8_t checkedEnvironment(const CCircHeader& header);
  // Stress percent operating / rated x 100. A rated value not above 0 gives
  // 100 with EntryOverRange set, never a division by zero.
  float stressPercent(double operating, double rated);
  // A stored input limited to its entry range for the calculation; a value
  // outside it (or not a number, which becomes `lo`) sets EntryOverRange.
  // The comparison is in stored (float) precision, so a value entered at a
  // bound is in range.
  double limitToRange(double value, double lo, double hi);
  // The record's correction factor limited to its entry range (CF).
  double correctionFactor();
  // A computed factor or rate as stored: held at the largest float (with
  // EntryOverRange) when it would not fit, so no record ever holds infinity.
  float storedRate(double value);
  // Sets OverTemp / OverStress from T and S against the limits.
  void flagLimits();

  // ---- surface-mount solder joints ----
  // True when the step runs: not a hybrid part, the header has surface-mount
  // analysis on and the record is surface-mounted.
  bool smtApplies(const CCircHeader& header) const;
  // The solder-joint step: FRSMT from the joint fatigue life under thermal
  // cycling; writes the table values it used back into the header. The
  // temperature rise is limited to 0..`highestRise`.
  void surfaceMountStep(CCircHeader& header, double highestRise = kHighestSmtRise);
  // How every class ends its Calculate: when the step applies, a "Default"
  // temperature-rise mode takes `defaultRise` into SMT_TEMPRISE and the step
  // runs; otherwise the SMT calculated flag is cleared. A class whose own rise
  // may exceed the entered range (0..175) gives its own highest rise, which
  // then holds in "Default" mode.
  void finishSurfaceMount(CCircHeader& header, double defaultRise,
                          double highestDefaultRise = kHighestSmtRise);
  static constexpr double kHighestSmtRise = 175.0;  // SMT_TEMPRISE entry range

  // ---- base fields, in file order ----
  std::string PN;                   // 1
  std::string PN2;                  // 2
  std::string REFDES;               // 3
  std::string DESCR;                // 4
  std::string LCN;                  // 5
  std::uint16_t PART_TYPE = 0;      // 6
  std::uint8_t IS_HYBRID = 0;       // 7
  float QTY = 1.0f;                 // 8
  float CF = 1.0f;                  // 9
  float Reserved = 0.0f;            // 10: stored and copied, no meaning
  float TEMPLIMIT = 175.0f;         // 11
  float STRESSLIMIT = 100.0f;       // 12
  std::string FileName;             // 13: sub-file name
  float DutyCycle = 100.0f;         // 14
  std::uint16_t CalcFlags = 0;      // 15: PartCalcFlag bits
  float SubFR = 0.0f;               // 16
  std::uint16_t IS_SMT = 0;         // 17
  std::uint8_t SMT_PKG = 1;         // 18
  std::uint8_t SMT_LEAD = 2;        // 19
  float SMT_DIST = 345.0f;          // 20 (mils)
  float SMT_HT = 50.0f;             // 21 (mils)
  std::uint8_t SMT_TRISEMODE = 1;   // 22
  float SMT_TEMPRISE = 0.0f;        // 23
  std::uint16_t SmtCalcFlag = 0;    // 24
  float FRSMT = 0.0f;               // 25
  std::uint32_t OverFlags = 0;      // 26
  float S = 0.0f;                   // 27: stress percent, negative = none
  float T = 0.0f;                   // 28: temperature used by the model
  float FR = 0.0f;                  // 29: failure rate of one unit, CF applied
  float BasicR = 0.0f;              // 30
  float MissionR = 0.0f;            // 31
  double RelAtT = 0.0;              // 32: reliability at time t (mission MTBF)
  std::string NOTESTITLE;           // 33
  std::string NOTES;                // 34

 protected:
  // The import of fields 1..34 that every class starts with.
  bool importBaseFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed);
  // Reads every input the parameter page (or the temperature page) shows
  // and that applies, in page order; false at the first failed read.
  bool importParamPage(KeywordReader& reader);
  bool importTempPage(KeywordReader& reader);
  // Visits the table's inputs on `page`; false when there are none.
  bool visitInputs(FieldVisitor& fields, FieldPage page);
  // Copies the base fields when `other` is of this class; false otherwise.
  bool sameClass(const CPart& other) const;
};

// Field descriptions of the base fields.
namespace base_fields {
extern const FieldSpec kPN, kNewPN, kPN2, kRefDes, kDescr, kLcn, kQty, kCf, kTempLimit,
    kStressLimit, kIsSmt, kSmtPkg, kSmtLead, kSmtDist, kSmtHt, kSmtTriseMode, kSmtTempRise,
    kNotesTitle, kNotes;
}  // namespace base_fields

}  // namespace kestrel
