// The import run over real files: circuits built and updated from CSV and
// dBASE inputs, records read by their classes' keyword readers; bad rows
// logged and skipped, a bad file ending that file only, outputs never half
// written; and the definition file's round trip and refusals.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/keywords/catalogue.hpp"
#include "exchange/import_run.hpp"
#include "exchange_fixture.hpp"
#include "models/register_all.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {
namespace {

const std::string kParts =
    "PART_TYPE,PN,REFDES,QTY,RES_PMAX,NOTES,HEADER_ENV\n"
    "Resistor,RN55,R2,2,0.5,\"metal, film\",GF\n"
    "Capacitor,CK05,C1,1,,ceramic,\n"
    "Resistor,RC07,R1,5000,0.25,clamped quantity,\n"
    "Gizmo,X1,U9,1,,unknown type,\n"
    "Resistor,RC07,R3,1,0.25,\"" + std::string(512, 'n') + "\",\n";

// A definition file's bytes with another kind byte and a fresh checksum.
std::string encodedWithKind(std::string bytes, char kind) {
  bytes[0] = kind;
  bytes.resize(bytes.size() - 4);
  std::vector<std::uint8_t> v(bytes.begin(), bytes.end());
  appendChecksum(v);
  return std::string(v.begin(), v.end());
}

class ImportRun : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    registerAllParts();
  }
  // Columns mapped in order: PART_TYPE, PN, REFDES, QTY, RES_PMAX, NOTES, HEADER_ENV.
  ImportJob job(std::vector<std::string> inputs, InputFormat format = InputFormat::CSV) const {
    ImportJob j;
    j.definition.header.inputFormat = static_cast<std::uint8_t>(format);
    j.definition.header.recordMode = 2;
    j.definition.header.skipFirst = 1;
    j.definition.header.skipLast = 1;
    const char* names[] = {"PART_TYPE", "PN", "REFDES", "QTY", "RES_PMAX", "NOTES", "HEADER_ENV"};
    for (int i = 0; i < 7; ++i) j.definition.find(names[i])->fieldNumber = static_cast<float>(i + 1);
    j.inputs = std::move(inputs);
    j.outputDir = dir_.string();
    return j;
  }
  std::unique_ptr<CCircDoc> load(const std::string& name) const {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), path(name), doc));
    return doc;
  }
  bool logged(const std::string& line) const {
    return std::find(ui.logLines.begin(), ui.logLines.end(), line) != ui.logLines.end();
  }
  RecordingUi ui;
};

TEST_F(ImportRun, BuildsASortedCircuitReadingEachRecordByItsClass) {
  const ImportOutcome out = runImport(job({write("parts.csv", kParts)}), posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.built, 5);
  EXPECT_EQ(out.files[0].counters.skipped, 1);
  EXPECT_EQ(out.files[0].counters.failed, 0);
  auto doc = load("parts.cir");
  ASSERT_EQ(doc->count(), 5u);
  // (type id, PN, REFDES): capacitor 403 after resistors 401, misc 609 last.
  const char* order[][2] = {{"RC07", "R1"}, {"RC07", "R3"}, {"RN55", "R2"}, {"CK05", "C1"}, {"X1", "U9"}};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(doc->record(i).PN, order[i][0]);
    EXPECT_EQ(doc->record(i).REFDES, order[i][1]);
  }
  EXPECT_EQ(doc->record(0).QTY, 999.0f);  // clamped, not a failure
  EXPECT_EQ(doc->record(1).NOTES, std::string(512, 'n'));
  EXPECT_EQ(doc->record(2).NOTES, "metal, film");
  EXPECT_EQ(doc->record(4).PART_TYPE, kMiscType);
  EXPECT_EQ(doc->header().ENV, 2);  // GF, from the first record
  EXPECT_TRUE(logged("   ...can not determine input part type: use MISC (R5)..."));
  EXPECT_TRUE(logged("   ...finished building '" + path("parts.cir") + "'...5 records"));
}

TEST_F(ImportRun, RecordWhoseFieldsCannotBeReadIsDiscardedNotHalfBuilt) {
  ImportJob j = job({write("parts.csv", kParts)});
  j.definition.find("RES_PMAX")->valueType = 1;  // a Num keyword recorded as Text
  const ImportOutcome out = runImport(j, posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.failed, 3);
  EXPECT_EQ(out.files[0].counters.built, 2);
  EXPECT_TRUE(logged("   ...Error: record fields could not be read, record discarded (R2)."));
  auto doc = load("parts.cir");
  ASSERT_EQ(doc->count(), 2u);
  for (std::size_t i = 0; i < doc->count(); ++i) EXPECT_NE(doc->record(i).PART_TYPE, 401);
}

TEST_F(ImportRun, UpdateMatchesByKeysKeepsTheBackupAndStaysSorted) {
  const std::string csv = write("parts.csv", kParts);
  ASSERT_TRUE(runImport(job({csv}), posixFileSystem(), ui).allOk());
  const std::string update = write("parts.txt",
                                   "PN,REFDES,QTY,NEWPN\nRC07,R3,7,AA01\nNOPE,R9,1,\n");
  ImportJob u = job({update});
  u.definition = CImportDoc{};
  u.definition.header.inputFormat = 1;
  u.definition.header.fileMode = 2;
  u.definition.header.skipFirst = u.definition.header.skipLast = 1;
  u.outputPath = path("parts.cir");
  const ImportOutcome noKeys = runImport(u, posixFileSystem(), ui);
  EXPECT_FALSE(noKeys.allOk());
  EXPECT_TRUE(logged("   ...Error: update mode requires 'PN' or 'REFDES' keyword to be defined."));
  EXPECT_FALSE(std::filesystem::exists(path("parts.cir.BAK")));

  const char* names[] = {"PN", "REFDES", "QTY", "NEWPN"};
  for (int i = 0; i < 4; ++i) u.definition.find(names[i])->fieldNumber = static_cast<float>(i + 1);
  const ImportOutcome out = runImport(u, posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.updated, 1);
  EXPECT_EQ(out.files[0].counters.notFound, 1);
  EXPECT_TRUE(logged("   ...'NOPE'/'R9' not found in circuit (R3)..."));
  EXPECT_TRUE(std::filesystem::exists(path("parts.cir.BAK")));
  auto doc = load("parts.cir");
  ASSERT_EQ(doc->count(), 5u);
  EXPECT_EQ(doc->record(0).PN, "AA01");  // renamed, moved to its sorted place
  EXPECT_EQ(doc->record(0).QTY, 7.0f);
  EXPECT_EQ(doc->record(0).NOTES, std::string(512, 'n'));  // unmapped fields kept
}

TEST_F(ImportRun, BadFileEndsThatFileOnlyAndLeavesNoOutput) {
  const std::string good = write("good.csv", kParts);
  std::string dbf(80, '\0');
  dbf[0] = 3;
  dbf[8] = 65;  // header length: one descriptor and its terminator...
  dbf[64] = '\r';
  dbf[10] = 9;  // ...but a record length its fields do not add up to
  dbf[32 + 11] = 'C';
  dbf[32 + 16] = 4;
  const std::string bad = write("bad.dbf", dbf);
  ImportJob j = job({bad, good});
  j.definition.header.inputFormat = static_cast<std::uint8_t>(InputFormat::DBF);
  ImportOutcome out = runImport(j, posixFileSystem(), ui);
  ASSERT_EQ(out.files.size(), 2u);
  EXPECT_FALSE(out.files[0].ok);
  EXPECT_TRUE(logged("   ...DBF: record length mismatch (9/5) ('" + bad + "')."));
  EXPECT_FALSE(std::filesystem::exists(path("bad.cir")));
  j = job({good});
  out = runImport(j, posixFileSystem(), ui);
  EXPECT_TRUE(out.allOk());
  // Building again refuses to overwrite what the first run made.
  out = runImport(j, posixFileSystem(), ui);
  EXPECT_FALSE(out.allOk());
  EXPECT_TRUE(logged("   ...Error: can not overwrite existing circuit."));
}

TEST_F(ImportRun, CancelStopsTheRunBeforeAnythingIsWritten) {
  std::string big = "PART_TYPE,PN\n";
  for (int i = 0; i < 2000; ++i) big += "Resistor,P" + std::to_string(i) + "\n";
  ui.cancel = true;
  const ImportOutcome out = runImport(job({write("big.csv", big)}), posixFileSystem(), ui);
  EXPECT_TRUE(out.cancelled);
  EXPECT_TRUE(logged("   ...Cancel (rec#256)."));
  EXPECT_FALSE(std::filesystem::exists(path("big.cir")));
}

TEST_F(ImportRun, DefinitionFileRoundTripsAndRefusesOtherFiles) {
  CImportDoc def;
  def.header.description = "parts list";
  def.header.inputFormat = 3;
  def.find("RES_PMAX")->fieldNumber = 5;
  def.find("IC_TEMP")->valueOption = 2;
  const std::string file = path("parts.imp");
  ASSERT_TRUE(saveDefinition(posixFileSystem(), def, file));
  CImportDoc back;
  std::vector<std::string> warnings;
  ASSERT_TRUE(loadDefinition(posixFileSystem(), file, back, warnings));
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(back.header.description, "parts list");
  EXPECT_EQ(back.find("RES_PMAX")->fieldNumber, 5.0f);
  EXPECT_EQ(keywordLine(*back.find("IC_TEMP")).substr(0, 50), "IC_TEMP                    Num       0            ");
  EXPECT_NE(keywordLine(*back.find("IC_TEMP")).find("TCASE"), std::string::npos);

  const std::string good = readBytes(file);
  struct Bad { const char* label; std::string bytes; const char* error; };
  std::string otherVersion = good;
  otherVersion[1] = 0;  // version low byte
  const Bad bads[] = {
      {"checksum", good.substr(0, good.size() - 1) + "x", "File checksum error."},
      {"kind", encodedWithKind(good, 1), "Unexpected file format...\n...not Import."},
      {"version", encodedWithKind(otherVersion, 6), "File version error...\n...InVer="},
  };
  for (const Bad& b : bads) {
    CImportDoc d;
    const std::vector<std::uint8_t> bytes(b.bytes.begin(), b.bytes.end());
    const Status s = decodeDefinition(bytes, "x.imp", d, warnings);
    EXPECT_FALSE(s) << b.label;
    EXPECT_NE(s.message().find(b.error), std::string::npos) << b.label << ": " << s.message();
  }
  EXPECT_FALSE(saveDefinition(posixFileSystem(), def, path("parts.txt")));
}

}  // namespace
}  // namespace kestrel::test
