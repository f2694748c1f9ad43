#include "graph_fixture.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/misc_part.hpp"
#include "core/registry.hpp"
#include "core/whatif_command.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/register_all.hpp"

namespace kestrel::test {
namespace {

std::unique_ptr<CPart> resistor(const std::string& pn, float pstress, bool manual, std::uint8_t style = 3) {
  auto part = PartRegistry::instance().create(401, false);
  auto& r = static_cast<CResistor&>(*part);
  r.PN = pn;
  r.TYPE = style;
  r.PMAX = 0.25f;
  r.PD = 0.25f * pstress / 100.0f;
  r.PSTRESS = pstress;
  r.STRESSMODE = manual ? kStressManual : kStressComputed;
  r.TRISE = 10.0f;
  return part;
}

std::unique_ptr<CPart> fixed(const std::string& pn, float base, bool hybrid = false) {
  auto part = PartRegistry::instance().create(kMiscType, hybrid);
  static_cast<CMisc&>(*part).BASEFR = base;
  part->PN = pn;
  return part;
}

}  // namespace

std::unique_ptr<CPart> arrhenius(const std::string& pn, float base, float ea) {
  auto part = PartRegistry::instance().create(kMiscType, false);
  auto& m = static_cast<CMisc&>(*part);
  m.PN = pn;
  m.METHOD = 2;
  m.BASEFR = base;
  m.EA = ea;
  m.TRISE = 5.0f;
  return part;
}

std::unique_ptr<CPart> subFile(std::uint16_t type, const std::string& file) {
  auto part = PartRegistry::instance().create(type, false);
  part->FileName = file;
  part->PN = file;
  return part;
}

void save(CCircDoc& doc, const std::string& path) {
  if (!saveDocument(posixFileSystem(), doc, path).isOk()) throw std::runtime_error("fixture save " + path);
  std::filesystem::remove(path + ".BAK");
}

GraphFixture::GraphFixture() { registerAllParts(); }

void GraphFixture::writeSample() {
  CCircDoc board;
  board.header().ENV = 2;
  board.header().TEMP = 40.0f;
  board.header().CF = 1.5f;
  board.header().MODEL = 2;
  board.insertSorted(resistor("RB-1", 60.0f, false));
  board.insertSorted(resistor("RB-2", 20.0f, true, 5));
  board.insertSorted(arrhenius("UB-1", 0.8f, 0.45f));
  board.insertSorted(fixed("FB-1", 0.3f));
  save(board, dir.file("BOARD.CIR"));

  CCircDoc chips(DocKind::Hybrid);
  chips.header().ENV = 2;
  chips.header().TEMP = 50.0f;
  chips.insertSorted(fixed("DIE-1", 0.05f, true));
  auto chipResistor = resistor("RZ-1", 30.0f, false, 9);
  chipResistor->IS_HYBRID = 1;
  chips.insertSorted(std::move(chipResistor));
  save(chips, dir.file("CHIPS.HYB"));

  CCircDoc top;
  top.header().ENV = 2;
  top.header().TEMP = 30.0f;
  top.insertSorted(resistor("RT-1", 50.0f, false));
  top.insertSorted(resistor("RT-2", 10.0f, false, 5));
  top.insertSorted(arrhenius("UT-1", 1.2f, 0.35f));
  auto board2 = subFile(kSubCircuitType, "board.cir");  // the name in another case
  board2->QTY = 2.0f;
  board2->DutyCycle = 50.0f;
  top.insertSorted(std::move(board2));
  top.insertSorted(subFile(kSubHybridType, "CHIPS.HYB"));
  save(top, topPath());
}

std::map<std::string, std::string> GraphFixture::snapshot() const {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    files[entry.is_directory() ? name + "/" : name] = entry.is_directory() ? "" : readFileText(entry.path());
  }
  return files;
}

std::vector<std::unique_ptr<CCircDoc>> GraphFixture::calculatedCopy() const {
  TempFolder copy;
  for (const char* name : {"TOP.CIR", "BOARD.CIR", "CHIPS.HYB"}) {
    std::filesystem::copy_file(dir.file(name), copy.file(name));
  }
  std::vector<std::unique_ptr<CCircDoc>> docs(3);
  (void)loadDocument(posixFileSystem(), copy.file("TOP.CIR"), docs[0]);
  SilentUi ui;
  DocumentSubFiles files(posixFileSystem());
  CalcContext context(ui, &files);
  if (!runCalculate(*docs[0], context, {false, -1.0}).ok) throw std::runtime_error("fixture calculation");
  (void)loadDocument(posixFileSystem(), copy.file("BOARD.CIR"), docs[1]);
  (void)loadDocument(posixFileSystem(), copy.file("CHIPS.HYB"), docs[2]);
  return docs;
}

Reference GraphFixture::reference(const WhatIfSettings& whatIfIn, bool mission, double missionTime) const {
  TempFolder copy;
  for (const char* name : {"TOP.CIR", "BOARD.CIR", "CHIPS.HYB"}) {
    std::filesystem::copy_file(dir.file(name), copy.file(name));
  }
  std::unique_ptr<CCircDoc> top;
  if (!loadDocument(posixFileSystem(), copy.file("TOP.CIR"), top).isOk()) throw std::runtime_error("reference load");
  RecordingUi ui;
  WhatIfSettings whatIf = whatIfIn;
  if (hasWhatIfChanges(whatIf) && !runWhatIf(*top, posixFileSystem(), ui, whatIf, false).ok) {
    throw std::runtime_error("reference What-If? failed");
  }
  DocumentSubFiles files(posixFileSystem());
  CalcContext context(ui, &files);
  if (!runCalculate(*top, context, {mission, missionTime}).ok) throw std::runtime_error("reference calculation");
  const CCircHeader& h = top->header();
  return {h.TotalFR, h.MTBF, h.MissionMTBF, h.BasicR, h.MissionR};
}

Reference GraphFixture::atTemperature(double celsius, bool mission, double missionTime) const {
  WhatIfSettings w;
  w.tempMode = SetDirect;
  w.tempValue = static_cast<float>(celsius);
  return reference(w, mission, missionTime);
}

Reference GraphFixture::atEnvironment(std::uint8_t env, double celsius, bool mission) const {
  WhatIfSettings w;
  w.changeEnvironment = true;
  w.environment = env;
  if (!std::isnan(celsius)) {
    w.tempMode = SetDirect;
    w.tempValue = static_cast<float>(celsius);
  }
  return reference(w, mission, 8760.0);
}

Reference GraphFixture::atStress(double percent, bool mission) const {
  WhatIfSettings w;
  w.stressMode = SetDirect;
  w.stressValue = static_cast<float>(percent);
  return reference(w, mission, 8760.0);
}

std::string readFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace kestrel::test
