#include "core/sample_circuit.hpp"

#include "core/core_parts.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"

namespace kestrel {
namespace {

struct SampleRow {
  const char* pn;
  const char* refdes;
  const char* descr;
  float qty;
  float baseFr;
  bool arrhenius;
  float tRise;
};

// A power-supply board with given base rates (fpmh) at 25 deg C.
constexpr SampleRow kRows[] = {
    {"PS-XFMR-01", "T1", "Power transformer", 1, 0.85f, true, 20},
    {"PS-BRIDGE", "CR1", "Bridge rectifier", 1, 0.12f, true, 15},
    {"PS-REG-5V", "U1", "5 V linear regulator", 1, 0.45f, true, 25},
    {"PS-CAP-4700", "C1", "Bulk capacitor 4700 uF", 2, 0.30f, true, 10},
    {"PS-FAN", "B1", "Cooling fan", 1, 5.00f, false, 0},
    {"PS-CONN-6", "J1", "Output connector", 1, 0.05f, false, 0},
};

}  // namespace

std::unique_ptr<CCircDoc> makeSampleCircuit() {
  registerCoreParts();
  auto doc = std::make_unique<CCircDoc>(DocKind::Circuit);
  doc->setTitle("SAMPLE.CIR");
  doc->header().DESCR = "Sample power supply";
  doc->header().ENV = 2;  // GF: ground, fixed
  doc->header().TEMP = 40.0f;
  for (const SampleRow& row : kRows) {
    auto part = PartRegistry::instance().create(kMiscType, false);
    auto& misc = static_cast<CMisc&>(*part);
    misc.PN = row.pn;
    misc.REFDES = row.refdes;
    misc.DESCR = row.descr;
    misc.QTY = row.qty;
    misc.BASEFR = row.baseFr;
    misc.METHOD = row.arrhenius ? 2 : 1;
    misc.TRISE = row.tRise;
    misc.TNORMAL = 25.0f;
    misc.EA = 0.4f;
    doc->insertSorted(std::move(part));
  }
  return doc;
}

}  // namespace kestrel
