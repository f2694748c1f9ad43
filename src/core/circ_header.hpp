// CCircHeader: the one header record of every circuit and hybrid document.
// It carries the operating conditions every part model reads, the document
// correction factor, the reliability model, the mission time, the hybrid
// package and surface-mount inputs, the notes, and all results of the
// calculation including the per-part-type statistics.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/choice.hpp"
#include "core/field_spec.hpp"
#include "core/registry.hpp"
#include "core/status.hpp"

namespace kestrel {

class Archive;
class KeywordReader;

// The file version written into every header and required on reading.
inline constexpr std::uint16_t kFileVersion = 50100;

// Header calculated flags (field 3).
enum HeaderCalcFlag : std::uint16_t {
  HeaderBasicDone = 1u << 0,
  HeaderMissionDone = 1u << 1,
  HeaderMissionMtbfDone = 1u << 2,
};

inline constexpr std::string_view kModelNames[] = {"", "Serial", "Parallel", "Active K-of-N"};
inline constexpr ChoiceList kModels{kModelNames};
inline constexpr std::uint8_t kModelKofN = 3;

inline constexpr std::string_view kHybFunctionNames[] = {"",       "Digital", "Video",
                                                          "Microwave", "Linear", "Power"};
inline constexpr ChoiceList kHybFunctions{kHybFunctionNames};
inline constexpr std::string_view kHybLearningNames[] = {"", "Est", "New"};
inline constexpr ChoiceList kHybLearning{kHybLearningNames};
inline constexpr std::string_view kHybQualityNames[] = {"", "S", "B", "Commercial", "Custom"};
inline constexpr ChoiceList kHybQualities{kHybQualityNames};
inline constexpr std::uint8_t kHybQualityCustom = 4;

inline constexpr std::string_view kSmtEquipmentNames[] = {
    "",           "Automotive",     "Consumer",         "Computer",
    "Telecommunications", "CommercialAircraft", "Industrial", "MilitaryGround",
    "MilitaryAirCargo",   "MilitaryAirFighter", "Other"};
inline constexpr ChoiceList kSmtEquipment{kSmtEquipmentNames};
inline constexpr std::string_view kSmtBoardNames[] = {
    "",
    "FR-4,Laminate",
    "FR-4,Multilayer",
    "FR-4,Multilayer,CopperCladInvar",
    "Ceramic,Multilayer",
    "CopperCladInvar",
    "CopperCladMolybdenum",
    "CarbonFiber/Epoxy,Composite",
    "KevlarFiber",
    "QuartzFiber",
    "GlassFiber",
    "Epoxy/Glass,Laminate",
    "Polyamide/Glass,Laminate",
    "Polyamide/Kevlar,Laminate",
    "Polyamide/Quartz,Laminate",
    "Epoxy/Kevlar,Laminate",
    "Alumina(Ceramic)",
    "EpoxyAramidFiber",
    "PolyamideAramidFiber",
    "EpoxyQuartz",
    "FiberglassTeflon,Laminates",
    "PorcelainizedCopperCladInvar",
    "FiberglassCeramicFiber",
    "Other"};
inline constexpr ChoiceList kSmtBoards{kSmtBoardNames};
inline constexpr std::string_view kSmtDiffModeNames[] = {"", "Default", "Manual"};
inline constexpr ChoiceList kSmtDiffModes{kSmtDiffModeNames};

class CCircHeader {
 public:
  CCircHeader() = default;

  // Fields 1..45 in file order. On reading, a version other than
  // kFileVersion or a record count above `maxRecords` fails the archive with
  // "File version error...\n...InVer=%d, ReqVer=%d." or
  // "Too many records...\n...InRecs=%d, MaxRecs=%d.".
  void Serialize(Archive& ar, std::size_t maxRecords);

  // Reads the header keywords (circuit or hybrid fields by `hybrid`).
  bool ImportFields(KeywordReader& reader, bool hybrid);

  // Field descriptions for the editing pages.
  void circuitPage(FieldVisitor& fields);
  void hybridPage(FieldVisitor& fields);
  void smtPage(FieldVisitor& fields);
  void notesPage(FieldVisitor& fields);

  // The header's environment, limited to 1..14.
  std::uint8_t environment() const { return kEnvironments.clamp(ENV); }

  // The hybrid package model on SUMCHIPS: stores PIE, PIF, PIQ and PIL and
  // returns the hybrid failure rate before the correction factor.
  double hybridModel();

  // Heading lines of the parts list (each at most 132 characters).
  std::string headingLine1(bool hybrid) const;
  std::string headingLine2(bool hybrid) const;
  // The two hybrid factor lines of the Pi Factors report.
  std::string hybridFactorLine1() const;
  std::string hybridFactorLine2() const;

  // Clears results and statistics (not the inputs).
  void clearResults();

  // ---- fields, in file order ----
  std::uint16_t FileVersion = kFileVersion;      // 1
  std::uint16_t RecordCount = 0;                 // 2
  std::uint16_t CalcFlags = 0;                   // 3: HeaderCalcFlag bits
  std::string DESCR = "Circuit Description";     // 4
  std::uint8_t ENV = 1;                          // 5
  float TEMP = 25.0f;                            // 6
  float CF = 1.0f;                               // 7
  std::uint8_t MODEL = 1;                        // 8
  float NREQ = 0.0f;                             // 9: number required K
  float MissionTime = 8760.0f;                   // 10
  std::string NOTESTITLE;                        // 11
  std::string NOTES;                             // 12
  std::uint8_t HYBFUNC = 1;                      // 13
  std::uint8_t HYBLEARN = 1;                     // 14
  float HYBYEARS = 2.0f;                         // 15
  std::uint8_t HYBQU = 3;                        // 16
  float HYBQUCUSTOM = 1.0f;                      // 17
  double SUMCHIPS = 0.0;                         // 18
  float PIE = 0.0f;                              // 19
  float PIF = 0.0f;                              // 20
  float PIQ = 0.0f;                              // 21
  float PIL = 0.0f;                              // 22
  std::uint16_t HASSMT = 0;                      // 23
  float SMTLIFE = 87600.0f;                      // 24
  std::uint8_t SMTEQUIP = 3;                     // 25
  float SMTCYCLERATE = 1.0f;                     // 26
  std::uint8_t SMTBOARD = 11;                    // 27
  float BOARDTCE = 1.0f;                         // 28
  std::uint8_t SMTDIFFMODE = 1;                  // 29
  float TEMPDIFF = 1.0f;                         // 30
  double LargestFRSMT = 0.0;                     // 31
  double SmtReliability = 0.0;                   // 32
  double SmtRelAtT = 0.0;                        // 33
  float PartsCount = 0.0f;                       // 34
  double TotalFR = 0.0;                          // 35
  double MTBF = 0.0;                             // 36
  double BasicR = 0.0;                           // 37
  double MissionR = 0.0;                         // 38
  double RelAtT = 0.0;                           // 39
  double MissionMTBF = 0.0;                      // 40
  std::array<std::uint16_t, kTypeSlots> TypeList{};   // 41
  std::array<float, kTypeSlots> TypeCount{};          // 42
  std::array<float, kTypeSlots> TypeFR{};             // 43
  std::array<float, kTypeSlots> TypeCountShare{};     // 44
  std::array<float, kTypeSlots> TypeFRShare{};        // 45
};

// Field descriptions of the header fields.
namespace header_fields {
extern const FieldSpec kDescr, kEnv, kTemp, kCf, kModel, kNReq, kNotesTitle, kNotes, kHybFunc,
    kHybLearn, kHybYears, kHybQu, kHybQuCustom, kHasSmt, kSmtLife, kSmtEquip, kSmtCycleRate,
    kSmtBoard, kBoardTce, kSmtDiffMode, kTempDiff;
}  // namespace header_fields

}  // namespace kestrel
