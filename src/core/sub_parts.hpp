// CSubCircuit and CSubHybrid: records that stand for a whole child circuit or
// hybrid file. The basic calculation opens the child, calculates it and puts
// its total failure rate into SubFR; the record's failure rate is CF x SubFR,
// weighted by the duty cycle in TFR.
#pragma once

#include "core/part.hpp"

namespace kestrel {

class CSubFilePart : public CPart {
 public:
  void Serialize(Archive& ar) override { serializeBase(ar); }
  void paramPage(FieldVisitor& fields) override;
  void Calculate(CCircHeader& header) override;
  bool ImportFields(KeywordReader& reader, bool skipIdentity, bool smtAllowed, float ambient) override;
  void FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const override;
  void FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const override;
  std::vector<NamedFactor> factors() const override { return {{"SubFR", SubFR}}; }

 protected:
  virtual const FieldSpec& fileNameSpec() const = 0;
  virtual const FieldSpec& dutyCycleSpec() const = 0;
  // The sub-hybrid's surface-mount step; nothing for a sub-circuit.
  virtual void surfaceMount(CCircHeader& header) { (void)header; SmtCalcFlag = 0; }
};

class CSubCircuit final : public CSubFilePart {
 public:
  static const ClassRecord kClass;
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override { return isHybridPart() ? "*ERROR*" : "SubCircuit"; }

 protected:
  const FieldSpec& fileNameSpec() const override;
  const FieldSpec& dutyCycleSpec() const override;
};

class CSubHybrid final : public CSubFilePart {
 public:
  static const ClassRecord kClass;
  const ClassRecord& classRecord() const override { return kClass; }
  std::string GetTypeName() const override { return isHybridPart() ? "*ERROR*" : "SubHybrid"; }

 protected:
  const FieldSpec& fileNameSpec() const override;
  const FieldSpec& dutyCycleSpec() const override;
  void surfaceMount(CCircHeader& header) override;
};

}  // namespace kestrel
