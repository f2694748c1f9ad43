#include "core/sub_parts.hpp"

#include <algorithm>

#include "core/circ_header.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

// File names keep the case they were given: the look-up of a sub-file ignores
// case, but a file created under an upper-cased name would be another file.
const FieldSpec kSubCircFile{"SUBCIRC_FILENAME", "File name", FieldKind::Text, 0, 0, 60, nullptr, {}, false};
const FieldSpec kSubCircDc{"SUBCIRC_DC", "Duty cycle", FieldKind::Real, 0.01, 100, 0, nullptr, "%"};
const FieldSpec kSubHybFile{"SUBHYB_FILENAME", "File name", FieldKind::Text, 0, 0, 60, nullptr, {}, false};
const FieldSpec kSubHybDc{"SUBHYB_DC", "Duty cycle", FieldKind::Real, 0.01, 100, 0, nullptr, "%"};

}  // namespace

const ClassRecord CSubCircuit::kClass = makeClassRecord<CSubCircuit>("CSubCircuit");
const ClassRecord CSubHybrid::kClass = makeClassRecord<CSubHybrid>("CSubHybrid");

const FieldSpec& CSubCircuit::fileNameSpec() const { return kSubCircFile; }
const FieldSpec& CSubCircuit::dutyCycleSpec() const { return kSubCircDc; }
const FieldSpec& CSubHybrid::fileNameSpec() const { return kSubHybFile; }
const FieldSpec& CSubHybrid::dutyCycleSpec() const { return kSubHybDc; }

void CSubFilePart::paramPage(FieldVisitor& f) {
  f.text(fileNameSpec(), FileName, true);
  f.number(dutyCycleSpec(), DutyCycle, true);
}

void CSubFilePart::Calculate(CCircHeader& header) {
  // T is the child's ambient temperature, stored by the basic calculation.
  OverFlags = 0;
  if (T > TEMPLIMIT) OverFlags |= OverTemp;
  S = -1.0f;
  if (CalcFlags == 0) {
    SubFR = 0.0f;
    T = 0.0f;
  }
  FR = CF * SubFR;
  surfaceMount(header);
}

void CSubHybrid::surfaceMount(CCircHeader& header) {
  finishSurfaceMount(header, std::max(0.0, static_cast<double>(T) - header.TEMP));
}

bool CSubFilePart::ImportFields(KeywordReader& r, bool skipIdentity, bool smtAllowed, float) {
  return importBaseFields(r, skipIdentity, smtAllowed) && r.read(fileNameSpec(), FileName) &&
         r.read(dutyCycleSpec(), DutyCycle);
}

void CSubFilePart::FormatDetail(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string duty = strprintf("DutyCycle:%s%%", formatNumber(DutyCycle, 5, 2).c_str());
  line1 = lineprintf("%sFileName:%-20.20s  %-16s", std::string(prefix).c_str(), FileName.c_str(),
                     duty.c_str());
  line2.clear();
}

void CSubFilePart::FormatFactors(std::string& line1, std::string& line2, std::string_view prefix) const {
  const std::string pre(prefix);
  line1 = lineprintf("%sFR=   SubFR  *   PICF  ", pre.c_str());
  line2 = lineprintf("%s    %-8s   %-8s", pre.c_str(), formatNumber(SubFR, 8, 6).c_str(),
                     formatNumber(CF, 8, 6).c_str());
}

}  // namespace kestrel
