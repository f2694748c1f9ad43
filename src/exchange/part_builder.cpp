#include "exchange/part_builder.hpp"

#include <utility>

#include "core/keywords/keyword_reader.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr std::pair<std::string_view, std::string_view> kTranslation[] = {
    {"IC (LOGIC)", "CIC_Logic"}, {"IC (PLA/PAL)", "CIC_PLA"}, {"IC (MICRO)", "CIC_Micro"},
    {"IC (RAM)", "CIC_RAM"}, {"IC (ROM)", "CIC_ROM"}, {"IC (PROM)", "CIC_PROM"},
    {"IC (LINEAR)", "CIC_Linear"}, {"VHSIC/VLSI", "CVLSI"}, {"GAAS MMIC/DIGIC", "CMMIC"},
    {"BUBBLE MEMORY", "CBubble"}, {"SAW DEVICE", "CSAWDevice"}, {"IC CHIP (LOGIC)", "CIC_Logic"},
    {"IC CHIP (PLA/PAL)", "CIC_PLA"}, {"IC CHIP (MICRO)", "CIC_Micro"}, {"IC CHIP (RAM)", "CIC_RAM"},
    {"IC CHIP (ROM)", "CIC_ROM"}, {"IC CHIP (PROM)", "CIC_PROM"}, {"IC CHIP (LINEAR)", "CIC_Linear"},
    {"VHSIC/VLSI CHIP", "CVLSI"}, {"GAAS MMIC/DIGIC CHIP", "CMMIC"}, {"TRANSISTOR CHIP", "CTransistor"},
    {"DIODE CHIP", "CDiode"}, {"MICROWAVE TRANSISTOR CHIP", "CMTrans"}, {"OPTOELECTRONIC CHIP", "COpto"},
    {"CAPACITOR CHIP", "CCapacitor"}, {"MISCELLANEOUS CHIP", "CMisc"}, {"TRANSISTOR", "CTransistor"},
    {"DIODE", "CDiode"}, {"MICROWAVE TRANSISTOR", "CMTrans"}, {"OPTOELECTRONIC", "COpto"},
    {"SEMICONDUCTOR LASER", "CLaserDiode"}, {"RESISTOR", "CResistor"}, {"POTENTIOMETER", "CPotentiometer"},
    {"CAPACITOR", "CCapacitor"}, {"INDUCTIVE", "CInductive"}, {"ROTATING DEVICE", "CRotate"},
    {"RELAY", "CRelay"}, {"SWITCH", "CSwitch"}, {"CONNECTOR", "CConnector"}, {"CIRCUIT BOARD", "CCircuitBoard"},
    {"CONNECTIONS", "CConnections"}, {"TUBE", "CTube"}, {"METER", "CMeter"}, {"QUARTZ CRYSTAL", "CCrystal"},
    {"LAMP", "CLamp"}, {"FILTER", "CFilter"}, {"FUSE", "CFuse"}, {"MICROWAVE DEVICE", "CMDev"},
    {"MISCELLANEOUS", "CMisc"}, {"SUBSYSTEM", "CSubCircuit"}, {"CIRCUIT", "CSubCircuit"},
};

const PartType* typeNamed(std::string_view name, bool translate) {
  std::string text = upperCased(trimmed(name));
  if (translate) {
    const std::string_view cls = translatedClass(text);
    if (!cls.empty()) return findPartTypeByClass(cls);
  }
  if (text.size() > 5 && text.compare(text.size() - 5, 5, "(HYB)") == 0) {
    text.resize(text.size() - 5);
    text = std::string(trimmed(text));
  }
  return text.empty() ? nullptr : resolvePartType(text);
}

}  // namespace

std::string_view translatedClass(std::string_view typeName) {
  const std::string wanted = upperCased(trimmed(typeName));
  for (const auto& [name, cls] : kTranslation) {
    if (name == wanted) return cls;
  }
  return {};
}

std::unique_ptr<CPart> createPartFor(KeywordReader& reader, bool hybrid, bool translate, long recordNumber,
                                     const ImportLogFn& log) {
  std::string typeText;
  std::unique_ptr<CPart> part;
  if (reader.readText("PART_TYPE", typeText, 60)) {
    const PartType* type = typeNamed(typeText, translate);
    // A type the document kind's menu does not offer is as unknown as a
    // misspelt one (a circuit board inside a hybrid, say).
    if (type != nullptr && (!hybrid || type->inHybridMenu)) part = PartRegistry::instance().create(type->id, hybrid);
  }
  if (part) return part;
  log(strprintf("   ...can not determine input part type: use MISC (R%ld)...", recordNumber));
  part = PartRegistry::instance().create(kMiscType, hybrid);
  if (!part) log(strprintf("   ...can not create MISC part type (R%ld)...", recordNumber));
  return part;
}

}  // namespace kestrel
