// The field keyword table itself: every importable field of the system, in
// catalogue order. Import definitions hold one keyword record per entry in
// exactly this order, so entries are never reordered, only appended to
// within their class group when a class gains a field.
//
// Ranges are those of the handbook model's import; 0/0 where the bound
// depends on another field of the record (Vop 0..Vmax) or on the class.
#include <array>
#include <string_view>

#include "core/keywords/catalogue.hpp"

namespace kestrel {
namespace {

constexpr KeywordType T = KeywordType::Text;
constexpr KeywordType N = KeywordType::Num;
constexpr KeywordType C = KeywordType::Choice;

// Class names of the part-type registry.
constexpr std::string_view kNone = "";
constexpr std::string_view kIC = "CIC_Logic";
constexpr std::string_view kVLSI = "CVLSI";
constexpr std::string_view kMMIC = "CMMIC";
constexpr std::string_view kBub = "CBubble";
constexpr std::string_view kSaw = "CSAWDevice";
constexpr std::string_view kTr = "CTransistor";
constexpr std::string_view kDio = "CDiode";
constexpr std::string_view kMtr = "CMTrans";
constexpr std::string_view kOpto = "COpto";
constexpr std::string_view kLas = "CLaserDiode";
constexpr std::string_view kRes = "CResistor";
constexpr std::string_view kPot = "CPotentiometer";
constexpr std::string_view kCap = "CCapacitor";
constexpr std::string_view kInd = "CInductive";
constexpr std::string_view kRot = "CRotate";
constexpr std::string_view kRelay = "CRelay";
constexpr std::string_view kSw = "CSwitch";
constexpr std::string_view kConn = "CConnector";
constexpr std::string_view kBd = "CCircuitBoard";
constexpr std::string_view kCx = "CConnections";
constexpr std::string_view kTube = "CTube";
constexpr std::string_view kMeter = "CMeter";
constexpr std::string_view kCrys = "CCrystal";
constexpr std::string_view kLamp = "CLamp";
constexpr std::string_view kFilt = "CFilter";
constexpr std::string_view kMdev = "CMDev";
constexpr std::string_view kMisc = "CMisc";
constexpr std::string_view kSubC = "CSubCircuit";
constexpr std::string_view kSubH = "CSubHybrid";

constexpr std::array<KeywordInfo, kCatalogueSize> kCatalogue{{
    // Document header.
    {"HEADER_FILETYPE", C, kNone},
    {"HEADER_DESCR", T, kNone},
    {"HEADER_ENV", C, kNone},
    {"HEADER_TEMP", N, kNone, -55, 175},
    {"HEADER_CF", N, kNone, 0.000001, 1000},
    {"HEADER_MODEL", C, kNone},
    {"HEADER_#REQ", N, kNone, 1, 999},
    {"HEADER_HYBFUNC", C, kNone},
    {"HEADER_HYBLEARN", C, kNone},
    {"HEADER_HYBYEARS", N, kNone, 0.01, 2.0},
    {"HEADER_HYBQU", C, kNone},
    {"HEADER_HYBQUCUSTOM", N, kNone, 0.1, 9.9999},
    {"HEADER_HASSMT", N, kNone, 0, 1},
    {"HEADER_SMTLIFE", N, kNone, 1, 10000000},
    {"HEADER_SMTEQUIP", C, kNone},
    {"HEADER_SMTCYCLERATE", N, kNone, 0.000001, 10000},
    {"HEADER_SMTBOARD", C, kNone},
    {"HEADER_BOARDTCE", N, kNone, 0.01, 1000},
    {"HEADER_SMTDIFFMODE", C, kNone},
    {"HEADER_TEMPDIFF", N, kNone, 0.01, 250},
    {"HEADER_NOTESTITLE", T, kNone},
    {"HEADER_NOTES", T, kNone},
    // Part record base.
    {"PART_TYPE", T, kNone},
    {"IS_HYBRID", N, kNone, 0, 1},
    {"PN", T, kNone},
    {"NEWPN", T, kNone},
    {"PN2", T, kNone},
    {"REFDES", T, kNone},
    {"DESCR", T, kNone},
    {"LCN", T, kNone},
    {"QTY", N, kNone, 1, 999},
    {"CF", N, kNone, 0.000001, 1000},
    {"TEMPLIMIT", N, kNone, 0, 500},
    {"STRESSLIMIT", N, kNone, 0, 100},
    {"IS_SMT", N, kNone, 0, 1},
    {"SMT_PKG", C, kNone},
    {"SMT_LEAD", C, kNone},
    {"SMT_DIST", N, kNone, 1, 100000},
    {"SMT_HT", N, kNone, 0.1, 1000},
    {"SMT_TRISEMODE", C, kNone},
    {"SMT_TEMPRISE", N, kNone, 0, 175},
    {"NOTESTITLE", T, kNone},
    {"NOTES", T, kNone},
    // Cross-reference header and records.
    {"XREF_HEADER_DESCR", T, kNone},
    {"XREF_HEADER_NOTESTITLE", T, kNone},
    {"XREF_HEADER_NOTES", T, kNone},
    {"XREF_PN", T, kNone},
    {"XREF_LIBPN", T, kNone},
    {"XREF_NOTESTITLE", T, kNone},
    {"XREF_NOTES", T, kNone},
    // Microcircuit family.
    {"IC_TECH", C, kIC},
    {"IC_TYPE", C, kIC},
    {"IC_COMPLEX", N, kIC},
    {"IC_LEARN", C, kIC},
    {"IC_YEARS", N, kIC, 0.01, 2.0},
    {"IC_QU", C, kIC},
    {"IC_QUCUSTOM", N, kIC, 0.01, 99},
    {"IC_PKG", C, kIC},
    {"IC_PINS", N, kIC, 3, 9999},
    {"IC_PROCESS", C, kIC},
    {"IC_ECC", C, kIC},
    {"IC_CYCLES", N, kIC, 1, 500000},
    {"IC_DESLIFE", N, kIC, 1, 10000000},
    {"IC_TEMPMODE", C, kIC},
    {"IC_PD", N, kIC, 0, 9999},
    {"IC_RJC", N, kIC, 0, 9999},
    {"IC_RCA", N, kIC, 0, 9999},
    {"IC_TADJ", N, kIC, 0, 175},
    {"IC_TCA", N, kIC, 0, 175},
    {"IC_TJA", N, kIC, 0, 175},
    {"IC_TEMP", N, kIC, -55, 300},
    // VHSIC/VLSI.
    {"VLSI_TYPE", C, kVLSI},
    {"VLSI_FSIZE", N, kVLSI, 0.25, 2.0},
    {"VLSI_AREA", N, kVLSI, 0.1, 5.0},
    {"VLSI_MFG", C, kVLSI},
    {"VLSI_QU", C, kVLSI},
    {"VLSI_QUCUSTOM", N, kVLSI, 0.01, 99},
    {"VLSI_PKG", C, kVLSI},
    {"VLSI_PINS", N, kVLSI, 3, 9999},
    {"VLSI_VOLTS", N, kVLSI, 0, 25000},
    {"VLSI_TEMPMODE", C, kVLSI},
    {"VLSI_PD", N, kVLSI, 0, 9999},
    {"VLSI_RJC", N, kVLSI, 0, 9999},
    {"VLSI_RCA", N, kVLSI, 0, 9999},
    {"VLSI_TADJ", N, kVLSI, 0, 175},
    {"VLSI_TCA", N, kVLSI, 0, 175},
    {"VLSI_TJA", N, kVLSI, 0, 175},
    {"VLSI_TEMP", N, kVLSI, -55, 300},
    // GaAs MMIC and digital IC.
    {"MMIC_TYPE", C, kMMIC},
    {"MMIC_APP", C, kMMIC},
    {"MMIC_COMPLEX", N, kMMIC},
    {"MMIC_LEARN", C, kMMIC},
    {"MMIC_YEARS", N, kMMIC, 0.01, 2.0},
    {"MMIC_QU", C, kMMIC},
    {"MMIC_QUCUSTOM", N, kMMIC, 0.01, 99},
    {"MMIC_PKG", C, kMMIC},
    {"MMIC_PINS", N, kMMIC, 3, 9999},
    {"MMIC_TEMPMODE", C, kMMIC},
    {"MMIC_PD", N, kMMIC, 0, 9999},
    {"MMIC_RJC", N, kMMIC, 0, 9999},
    {"MMIC_RCA", N, kMMIC, 0, 9999},
    {"MMIC_TADJ", N, kMMIC, 0, 175},
    {"MMIC_TCA", N, kMMIC, 0, 175},
    {"MMIC_TJA", N, kMMIC, 0, 175},
    {"MMIC_TEMP", N, kMMIC, -55, 300},
    // Bubble memory.
    {"BUB_CHIPS", N, kBub, 1, 999},
    {"BUB_ELEMENTS", N, kBub, 1, 1000},
    {"BUB_GENTYPE", C, kBub},
    {"BUB_KBITS", N, kBub, 1, 9000},
    {"BUB_PINS", N, kBub, 3, 999},
    {"BUB_LEARN", C, kBub},
    {"BUB_YEARS", N, kBub, 0.01, 2.0},
    {"BUB_DC", N, kBub, 0.01, 100},
    {"BUB_RW", N, kBub, 1, 9999},
    {"BUB_TRISE", N, kBub, 0, 125},
    // Surface acoustic wave device.
    {"SAW_QU", C, kSaw},
    // Transistor.
    {"TR_TYPE", C, kTr},
    {"TR_APP", C, kTr},
    {"TR_QU", C, kTr},
    {"TR_PMAX", N, kTr, 0.001, 99999},
    {"TR_VCEO", N, kTr, 0.001, 99999},
    {"TR_VCE", N, kTr},
    {"TR_STRESSMODE", C, kTr},
    {"TR_VSTRESS", N, kTr, 0, 100},
    {"TR_TEMPMODE", C, kTr},
    {"TR_PD", N, kTr, 0, 99999},
    {"TR_RJC", N, kTr, 0, 9999},
    {"TR_RCA", N, kTr, 0, 9999},
    {"TR_TADJ", N, kTr, 0, 175},
    {"TR_TCA", N, kTr, 0, 175},
    {"TR_TJA", N, kTr, 0, 175},
    {"TR_TEMP", N, kTr, -55, 300},
    // Diode.
    {"DIO_FAMILY", C, kDio},
    {"DIO_TYPE", C, kDio},
    {"DIO_CONTACTS", C, kDio},
    {"DIO_JUNCTIONS", N, kDio, 1, 99},
    {"DIO_QU", C, kDio},
    {"DIO_RATING", N, kDio, 0.001, 99999},
    {"DIO_VMAX", N, kDio, 0.001, 99999},
    {"DIO_VOP", N, kDio},
    {"DIO_STRESSMODE", C, kDio},
    {"DIO_VSTRESS", N, kDio, 0, 100},
    {"DIO_TEMPMODE", C, kDio},
    {"DIO_PD", N, kDio, 0, 99999},
    {"DIO_RJC", N, kDio, 0, 9999},
    {"DIO_RCA", N, kDio, 0, 9999},
    {"DIO_TADJ", N, kDio, 0, 175},
    {"DIO_TCA", N, kDio, 0, 175},
    {"DIO_TJA", N, kDio, 0, 175},
    {"DIO_TEMP", N, kDio, -55, 300},
    // Microwave transistor.
    {"MTR_TYPE", C, kMtr},
    {"MTR_MATCH", C, kMtr},
    {"MTR_METAL", C, kMtr},
    {"MTR_APP", C, kMtr},
    {"MTR_DC", N, kMtr, 0.001, 100},
    {"MTR_QU", C, kMtr},
    {"MTR_FREQ", N, kMtr, 0.1, 99.9999},
    {"MTR_POWER", N, kMtr},
    {"MTR_VMAX", N, kMtr, 0.001, 99999},
    {"MTR_VOP", N, kMtr},
    {"MTR_STRESSMODE", C, kMtr},
    {"MTR_VSTRESS", N, kMtr, 0, 100},
    {"MTR_TEMPMODE", C, kMtr},
    {"MTR_PD", N, kMtr, 0, 99999},
    {"MTR_RJC", N, kMtr, 0, 9999},
    {"MTR_RCA", N, kMtr, 0, 9999},
    {"MTR_TADJ", N, kMtr, 0, 175},
    {"MTR_TCA", N, kMtr, 0, 175},
    {"MTR_TJA", N, kMtr, 0, 175},
    {"MTR_TEMP", N, kMtr, -55, 300},
    // Optoelectronic device.
    {"OPTO_FAMILY", C, kOpto},
    {"OPTO_TYPE", C, kOpto},
    {"OPTO_CHAR", N, kOpto, 1, 99},
    {"OPTO_LOGIC", C, kOpto},
    {"OPTO_QU", C, kOpto},
    {"OPTO_TEMPMODE", C, kOpto},
    {"OPTO_PD", N, kOpto, 0, 99999},
    {"OPTO_RJC", N, kOpto, 0, 9999},
    {"OPTO_RCA", N, kOpto, 0, 9999},
    {"OPTO_TADJ", N, kOpto, 0, 175},
    {"OPTO_TCA", N, kOpto, 0, 175},
    {"OPTO_TJA", N, kOpto, 0, 175},
    {"OPTO_TEMP", N, kOpto, -55, 300},
    // Laser diode.
    {"LASDIO_TYPE", C, kLas},
    {"LASDIO_QU", C, kLas},
    {"LASDIO_APP", C, kLas},
    {"LASDIO_DC", N, kLas, 0.001, 100},
    {"LASDIO_PEAKI", N, kLas, 0.001, 25},
    {"LASDIO_PMAX", N, kLas, 0.001, 999999},
    {"LASDIO_PREQ", N, kLas},
    {"LASDIO_TRISE", N, kLas, 0, 175},
    // Resistor.
    {"RES_TYPE", C, kRes},
    {"RES_RES", N, kRes, 0, 9999999},
    {"RES_RESUNIT", C, kRes},
    {"RES_QU", C, kRes},
    {"RES_PMAX", N, kRes, 0.01, 999999},
    {"RES_PD", N, kRes},
    {"RES_STRESSMODE", C, kRes},
    {"RES_PSTRESS", N, kRes, 0, 100},
    {"RES_TRISE", N, kRes, 0, 150},
    // Potentiometer.
    {"POT_TYPE", C, kPot},
    {"POT_RES", N, kPot, 0, 9999999},
    {"POT_RESUNIT", C, kPot},
    {"POT_QU", C, kPot},
    {"POT_PMAX", N, kPot, 0.01, 999999},
    {"POT_PD", N, kPot},
    {"POT_STRESSMODE", C, kPot},
    {"POT_PSTRESS", N, kPot, 0, 100},
    {"POT_TRISE", N, kPot, 0, 150},
    // Capacitor.
    {"CAP_TYPE", C, kCap},
    {"CAP_CAP", N, kCap, 0.000001, 9999999},
    {"CAP_CAPUNIT", C, kCap},
    {"CAP_QU", C, kCap},
    {"CAP_CIRCR", N, kCap, 0, 9},
    {"CAP_VMAX", N, kCap, 0.01, 999999},
    {"CAP_VOP", N, kCap},
    {"CAP_STRESSMODE", C, kCap},
    {"CAP_VSTRESS", N, kCap, 0, 100},
    {"CAP_TRISE", N, kCap, 0, 150},
    // Inductive device.
    {"IND_TYPE", C, kInd},
    {"IND_QU", C, kInd},
    {"IND_TRISE", N, kInd, 0, 250},
    // Rotating device.
    {"ROTATE_FAMILY", C, kRot},
    {"ROTATE_TYPE", C, kRot},
    {"ROTATE_OPTIME", N, kRot, 0.01, 999999},
    {"ROTATE_SIZE", C, kRot},
    {"ROTATE_BRUSHES", N, kRot, 1, 4},
    {"ROTATE_TSTRESS", N, kRot, 0, 100},
    {"ROTATE_TRISE", N, kRot, 0, 125},
    // Relay.
    {"RELAY_TYPE", C, kRelay},
    {"RELAY_CONSTR", C, kRelay},
    {"RELAY_CONTACT", C, kRelay},
    {"RELAY_RATING", C, kRelay},
    {"RELAY_QU", C, kRelay},
    {"RELAY_LOAD", C, kRelay},
    {"RELAY_IMAX", N, kRelay, 0.000001, 999999},
    {"RELAY_IOP", N, kRelay},
    {"RELAY_STRESSMODE", C, kRelay},
    {"RELAY_ISTRESS", N, kRelay, 0, 100},
    {"RELAY_RATE", N, kRelay, 0.000001, 9999},
    {"RELAY_TRISE", N, kRelay, 0, 150},
    // Switch.
    {"SW_TYPE", C, kSw},
    {"SW_POWER", C, kSw},
    {"SW_CONTACT", C, kSw},
    {"SW_CONTACTS", N, kSw, 1, 99},
    {"SW_QU", C, kSw},
    {"SW_LOAD", C, kSw},
    {"SW_IMAX", N, kSw, 0.000001, 999999},
    {"SW_IOP", N, kSw},
    {"SW_STRESSMODE", C, kSw},
    {"SW_ISTRESS", N, kSw, 0, 100},
    // Connector.
    {"CONN_FAMILY", C, kConn},
    {"CONN_TYPE", C, kConn},
    {"CONN_PINS", N, kConn, 1, 9999},
    {"CONN_GAUGE", C, kConn},
    {"CONN_AMPS", N, kConn, 0, 40},
    {"CONN_QU", C, kConn},
    {"CONN_CYCLE", C, kConn},
    {"CONN_TRISE", N, kConn, 0, 150},
    // Circuit board.
    {"BD_TYPE", C, kBd},
    {"BD_LAYERS", N, kBd, 1, 99},
    {"BD_AUTOHOLES", N, kBd, 0, 999999},
    {"BD_HANDHOLES", N, kBd, 0, 999999},
    {"BD_QU", C, kBd},
    // Connections.
    {"CX_TYPE", C, kCx},
    {"CX_QTY", N, kCx, 0, 999999},
    // Tube.
    {"TUBE_FAMILY", C, kTube},
    {"TUBE_TYPE", C, kTube},
    {"TUBE_POWER", N, kTube},
    {"TUBE_FREQ", N, kTube},
    {"TUBE_OVERLIMIT", C, kTube},
    {"TUBE_YEARS", N, kTube, 0, 99},
    {"TUBE_RATIO", N, kTube, 0, 100},
    // Meter.
    {"METER_APP", C, kMeter},
    {"METER_FUNCTION", C, kMeter},
    {"METER_QU", C, kMeter},
    // Quartz crystal.
    {"CRYS_FREQ", N, kCrys, 0, 300},
    {"CRYS_QU", C, kCrys},
    // Lamp.
    {"LAMP_VOLTS", N, kLamp, 0.1, 999},
    {"LAMP_APP", C, kLamp},
    {"LAMP_UTILDC", N, kLamp, 0.1, 100},
    // Filter.
    {"FILT_FAMILY", C, kFilt},
    {"FILT_TYPE", C, kFilt},
    {"FILT_QU", C, kFilt},
    // Microwave device.
    {"MDEV_TYPE", C, kMdev},
    {"MDEV_RATING", C, kMdev},
    // Miscellaneous part.
    {"MISC_METHOD", C, kMisc},
    {"MISC_BASEFR", N, kMisc, 0.000001, 999999},
    {"MISC_EA", N, kMisc, 0.01, 10},
    {"MISC_TNORMAL", N, kMisc, -55, 175},
    {"MISC_TRISE", N, kMisc, 0, 175},
    // Sub-circuit and sub-hybrid.
    {"SUBCIRC_FILENAME", T, kSubC},
    {"SUBCIRC_DC", N, kSubC, 0.01, 100},
    {"SUBHYB_FILENAME", T, kSubH},
    {"SUBHYB_DC", N, kSubH, 0.01, 100},
}};

// Names fit the catalogue's 32-character slot and are upper case.
constexpr bool namesWellFormed() {
  for (const KeywordInfo& k : kCatalogue) {
    if (k.name.empty() || k.name.size() > 32) return false;
    for (char c : k.name) {
      if (c >= 'a' && c <= 'z') return false;
    }
  }
  return true;
}

constexpr bool namesUnique() {
  for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
    for (std::size_t j = i + 1; j < kCatalogue.size(); ++j) {
      if (kCatalogue[i].name == kCatalogue[j].name) return false;
    }
  }
  return true;
}

static_assert(kCatalogue.size() == 295);
static_assert(namesWellFormed(), "keyword names must be 1..32 upper-case characters");
static_assert(namesUnique(), "keyword names must be unique");
static_assert(kCatalogue.front().name == "HEADER_FILETYPE" && kCatalogue.back().name == "SUBHYB_DC");

}  // namespace

std::span<const KeywordInfo> keywordCatalogue() { return kCatalogue; }

}  // namespace kestrel
