// The import run over real files: circuits built and updated from CSV and
// dBASE inputs, records read by their classes' keyword readers; bad rows
// logged and skipped, a bad file ending that file only, outputs never half
// written; and the definition file's round trip and refusals.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

#include "core/circ_file.hpp"
#include "core/doc_file.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/part.hpp"
#include "exchange/bom/bom_plan.hpp"
#include "exchange/import_run.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/resistor.hpp"
#include "exchange_fixture.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
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
  // A CSV import skipping its header row and last row, building records from
  // scratch; `columns` mapped in order.
  ImportJob job(std::vector<std::string> inputs, OutputType type = OutputType::Circuit,
                std::vector<std::string> columns = {"PART_TYPE", "PN", "REFDES", "QTY", "RES_PMAX", "NOTES",
                                                    "HEADER_ENV"},
                int mode = 1) const {
    ImportJob j;
    CImportHeader& h = j.definition.header;
    h.inputFormat = static_cast<std::uint8_t>(InputFormat::CSV);
    h.fileType = static_cast<std::uint8_t>(type);
    h.fileMode = static_cast<std::uint8_t>(mode);
    h.recordMode = 2;
    h.skipFirst = h.skipLast = 1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      j.definition.find(columns[i])->fieldNumber = static_cast<float>(i + 1);
    }
    j.inputs = std::move(inputs);
    j.outputDir = dir_.string();
    return j;
  }
  std::unique_ptr<CCircDoc> load(const std::string& name) const {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), path(name), doc));
    return doc;
  }
  bool logged(const std::string& line) const { return test::logged(ui, line); }
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

// Imports into libraries and cross-reference files: built from CSV and read
// back field by field, updated by number with the backup kept, bad rows and
// duplicate numbers counted, failed runs leaving no output; and circuits
// whose parts are recalled from a library (through a cross-reference).

using library::Outcome;

const std::string kLibCsv =
    "PART_TYPE,PN,PN2,QTY,NOTES,HEADER_DESCR,HEADER_NOTES\n"
    "Resistor,RN55,ALT55,2,\"metal, film\",Board parts,kept notes\n"
    "Capacitor,CK05,,1," + std::string(512, 'n') + ",,\n"
    "Resistor,RN55,DUP,9,the duplicate,,\n"
    "Relay,K1,,3,relay,,\n";

struct LibRow { const char* pn; const char* pn2; float qty; std::string notes; std::uint16_t type; };
// A value written with its unit is read into the record's unit, and a unit
// column beside it does not put it under another unit.
TEST_F(ImportRun, ValueWithItsOwnUnitKeepsTheUnitItWasReadInto) {
  const std::string csv = write("units.csv", "PART_TYPE,REFDES,RES_RES,RES_RESUNIT\nResistor,R1,4k7,Kohms\n"
                                             "Resistor,R2,4.7,Kohms\nResistor,R3,10 kohm,\n");
  ASSERT_TRUE(runImport(job({csv}, OutputType::Circuit, {"PART_TYPE", "REFDES", "RES_RES", "RES_RESUNIT"}),
                        posixFileSystem(), ui).allOk());
  auto doc = load("units.cir");
  ASSERT_EQ(doc->count(), 3u);
  const std::pair<float, std::uint8_t> wants[] = {{4700, 1}, {4.7f, 2}, {10000, 1}};  // (RES, RESUNIT) by REFDES
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& r = static_cast<const CResistor&>(doc->record(i));
    EXPECT_FLOAT_EQ(r.RES, wants[i].first) << r.REFDES;
    EXPECT_EQ(r.RESUNIT, wants[i].second) << r.REFDES;
  }
  EXPECT_TRUE(logged("   ...'RES_RESUNIT' not read: 'RES_RES' was given with its unit (R2)..."));
}

const LibRow kLibRows[] = {
    {"RN55", "ALT55", 2, "metal, film", 401},
    {"CK05", "", 1, std::string(512, 'n'), 403},
};

class ImportLibrary : public ImportRun {
 protected:
  ImportJob libraryJob() const {
    return job({write("parts.csv", kLibCsv)}, OutputType::Library,
               {"PART_TYPE", "PN", "PN2", "QTY", "NOTES", "HEADER_DESCR", "HEADER_NOTES"});
  }
  std::unique_ptr<CPart> partIn(library::PartLibrary& lib, const std::string& pn) const {
    library::LibEntry e;
    std::unique_ptr<CPart> part;
    if (lib.findPn(pn, e) != Outcome::Ok || !lib.partOf(e, part)) return nullptr;
    return part;
  }
  std::unique_ptr<library::PartLibrary> openLib(const std::string& name) const {
    library::StoreMessage error;
    auto lib = library::PartLibrary::open(path(name), false, error);
    EXPECT_TRUE(lib) << error.text();
    return lib;
  }
};

TEST_F(ImportLibrary, BuildsALibraryFieldByFieldCountingDuplicates) {
  const ImportOutcome out = runImport(libraryJob(), posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.built, 3);
  EXPECT_EQ(out.files[0].counters.duplicatePN, 1);
  EXPECT_TRUE(logged("   ...finished building '" + path("parts.lib") + "'...3 records (1 dup)"));
  EXPECT_FALSE(std::filesystem::exists(path("parts.lib.~imp")));
  auto lib = openLib("parts.lib");
  ASSERT_TRUE(lib);
  EXPECT_EQ(lib->count(), 3);
  for (const LibRow& row : kLibRows) {
    auto part = partIn(*lib, row.pn);
    ASSERT_TRUE(part) << row.pn;
    EXPECT_EQ(part->PN2, row.pn2) << row.pn;
    EXPECT_EQ(part->QTY, row.qty) << row.pn;  // the first of a duplicate number is kept
    EXPECT_EQ(part->NOTES, row.notes) << row.pn;
    EXPECT_EQ(part->PART_TYPE, row.type) << row.pn;
  }
  library::HeaderTexts texts;
  ASSERT_TRUE(lib->readHeader(texts));
  EXPECT_EQ(texts.description, "Board parts");
  EXPECT_EQ(texts.notes, "kept notes");
}

TEST_F(ImportLibrary, BuildsACrossReferenceFileDiscardingRowsWithoutANumber) {
  const std::string csv = write("xref.csv",
                                "XREF_PN,XREF_LIBPN,XREF_NOTESTITLE,XREF_NOTES,XREF_HEADER_DESCR\n"
                                "XR-1,RN55,Vendor,\"first, vendor\",Vendor numbers\n"
                                ",CK05,no number,,\n"
                                "XR-2,CK05,,,\n"
                                "XR-1,K1,duplicate,,\n");
  const ImportOutcome out = runImport(
      job({csv}, OutputType::CrossReference,
          {"XREF_PN", "XREF_LIBPN", "XREF_NOTESTITLE", "XREF_NOTES", "XREF_HEADER_DESCR"}),
      posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.built, 2);
  EXPECT_EQ(out.files[0].counters.failed, 1);
  EXPECT_EQ(out.files[0].counters.duplicatePN, 1);
  EXPECT_TRUE(logged("   ...Error: record fields could not be read, record discarded (R3)."));
  library::StoreMessage error;
  auto file = library::XRefFile::open(path("xref.xrf"), false, error);
  ASSERT_TRUE(file) << error.text();
  struct Row { const char* pn; library::CXRef want; };
  const Row rows[] = {{"XR-1", {"XR-1", "RN55", "Vendor", "first, vendor"}}, {"XR-2", {"XR-2", "CK05", "", ""}}};
  for (const Row& r : rows) {
    library::XRefEntry e;
    ASSERT_EQ(file->findPn(r.pn, e), Outcome::Ok) << r.pn;
    EXPECT_EQ(e.xref.libPn, r.want.libPn) << r.pn;
    EXPECT_EQ(e.xref.notesTitle, r.want.notesTitle) << r.pn;
    EXPECT_EQ(e.xref.notes, r.want.notes) << r.pn;
  }
  library::HeaderTexts texts;
  ASSERT_TRUE(file->readHeader(texts));
  EXPECT_EQ(texts.description, "Vendor numbers");
}

// Libraries and cross-reference files are shared with other processes, so
// an import only builds them; an update run skips the file and leaves it as
// it was, byte for byte.
TEST_F(ImportLibrary, UpdateOfALibraryOrCrossReferenceIsNotOfferedAndLeavesTheFile) {
  ASSERT_TRUE(runImport(libraryJob(), posixFileSystem(), ui).allOk());
  const std::string xrefCsv = write("x.csv", "XREF_PN,XREF_LIBPN\nXR-1,RN55\n");
  ASSERT_TRUE(runImport(job({xrefCsv}, OutputType::CrossReference, {"XREF_PN", "XREF_LIBPN"}), posixFileSystem(), ui)
                  .allOk());
  struct Case { OutputType type; const char* file; std::vector<std::string> keys; const char* line; };
  const Case cases[] = {
      {OutputType::Library, "parts.lib", {"PN", "QTY"}, "   ...library update N/A: skipping file..."},
      {OutputType::CrossReference, "x.xrf", {"XREF_PN", "XREF_LIBPN"}, "   ...cross-reference update N/A: skipping file..."},
  };
  for (const Case& c : cases) {
    const std::string before = readBytes(c.file);
    ASSERT_FALSE(before.empty()) << c.file;
    ImportJob u = job({write("upd.csv", "PN,QTY,XREF_PN,XREF_LIBPN\nRN55,7,XR-1,K1\n")}, c.type, c.keys, 2);
    u.outputPath = path(c.file);
    (void)runImport(u, posixFileSystem(), ui);
    EXPECT_TRUE(logged(c.line)) << c.file;
    EXPECT_EQ(readBytes(c.file), before) << c.file;
    EXPECT_FALSE(std::filesystem::exists(path(std::string(c.file) + ".BAK"))) << c.file;
  }
}

TEST_F(ImportLibrary, BadRowsAreDiscardedAndFailedRunsLeaveNoOutput) {
  ImportJob j = libraryJob();
  j.definition.find("QTY")->valueType = 1;  // a Num keyword recorded as Text
  ImportOutcome out = runImport(j, posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.failed, 4);
  EXPECT_EQ(out.files[0].counters.built, 0);
  EXPECT_TRUE(logged("   ...Error: record fields could not be read, record discarded (R2)."));
  ASSERT_TRUE(std::filesystem::remove(path("parts.lib")));

  // A run that stops part-way leaves neither the output nor its temporary file.
  std::string big = "PART_TYPE,PN\n";
  for (int i = 0; i < 600; ++i) big += "Resistor,P" + std::to_string(i) + "\n";
  for (OutputType type : {OutputType::Library, OutputType::CrossReference}) {
    ui.cancel = true;
    out = runImport(job({write("big.csv", big)}, type, {"PART_TYPE", "XREF_PN"}), posixFileSystem(), ui);
    EXPECT_TRUE(out.cancelled);
    const std::string name = type == OutputType::Library ? "big.lib" : "big.xrf";
    for (const std::string& f : {name, name + ".~imp"}) EXPECT_FALSE(std::filesystem::exists(path(f))) << f;
  }
  ui.cancel = false;

  // Building over an existing library or cross-reference file is refused, the file untouched.
  ASSERT_TRUE(runImport(libraryJob(), posixFileSystem(), ui).allOk());
  const std::string before = readBytes("parts.lib");
  out = runImport(libraryJob(), posixFileSystem(), ui);
  EXPECT_FALSE(out.allOk());
  EXPECT_TRUE(logged("   ...Error: can not overwrite existing library."));
  EXPECT_EQ(readBytes("parts.lib"), before);
  write("x.xrf", "not a store");
  ImportJob x = job({path("parts.csv")}, OutputType::CrossReference, {"XREF_PN"});
  x.outputPath = path("x.xrf");
  out = runImport(x, posixFileSystem(), ui);
  EXPECT_FALSE(out.allOk());
  EXPECT_TRUE(logged("   ...Error: can not overwrite existing cross-reference."));
  EXPECT_EQ(readBytes("x.xrf"), "not a store");
}

TEST_F(ImportLibrary, LibraryRecallFillsCircuitPartsAndFallsBackToTheInputType) {
  ASSERT_TRUE(runImport(libraryJob(), posixFileSystem(), ui).allOk());
  const std::string xcsv = write("xr.csv", "XREF_PN,XREF_LIBPN\nXR-1,RN55\n");
  const ImportJob xref = job({xcsv}, OutputType::CrossReference, {"XREF_PN", "XREF_LIBPN"});
  ASSERT_TRUE(runImport(xref, posixFileSystem(), ui).allOk());
  const std::string csv = write("board.csv",
                                "PART_TYPE,PN,REFDES\nCapacitor,CK05,C1\nCapacitor,XR-1,R1\nDiode,NOPE,D1\n");
  ImportJob j = job({csv}, OutputType::Circuit, {"PART_TYPE", "PN", "REFDES"});
  j.definition.header.recordMode = 1;
  j.libraryPath = path("parts.lib");
  j.xrefPath = path("xr.xrf");
  ASSERT_TRUE(runImport(j, posixFileSystem(), ui).allOk());
  EXPECT_TRUE(logged("   ...PN='NOPE' not found in library (R4)..."));
  EXPECT_TRUE(logged("   ...will try to create part based on input part type..."));
  std::unique_ptr<CCircDoc> doc;
  ASSERT_TRUE(loadDocument(posixFileSystem(), path("board.cir"), doc));
  ASSERT_EQ(doc->count(), 3u);
  struct Want { const char* refdes; const char* pn; const char* pn2; std::uint16_t type; const char* notes; };
  const Want wants[] = {
      {"R1", "RN55", "XR-1", 401, "metal, film"},  // through the cross-reference: XRefPN-->PN2
      {"C1", "CK05", "", 403, nullptr},
      {"D1", "NOPE", "", 0, ""},  // built from its input type
  };
  for (const Want& w : wants) {
    const CPart* p = nullptr;
    for (std::size_t i = 0; i < doc->count(); ++i) {
      if (doc->record(i).REFDES == w.refdes) p = &doc->record(i);
    }
    ASSERT_NE(p, nullptr) << w.refdes;
    EXPECT_EQ(p->PN, w.pn) << w.refdes;
    EXPECT_EQ(p->PN2, w.pn2) << w.refdes;
    if (w.type != 0) {
      EXPECT_EQ(p->PART_TYPE, w.type) << w.refdes;
    }
    if (w.notes != nullptr) {
      EXPECT_EQ(p->NOTES, w.notes) << w.refdes;
    }
  }

  // A library that can not be opened ends the file and writes nothing.
  j.libraryPath = path("missing.lib");
  j.outputPath = path("other.cir");
  EXPECT_FALSE(runImport(j, posixFileSystem(), ui).allOk());
  EXPECT_FALSE(std::filesystem::exists(path("other.cir")));
}

// A bill of materials as an EDA tool writes it: classes from the designators'
// letters, values with unit suffixes, grouped designators counted, a part
// recalled by its MPN, and a warning for each doubtful row.
TEST_F(ImportLibrary, BillOfMaterialsBuildsClassesValuesAndQuantitiesWithWarnings) {
  ASSERT_TRUE(runImport(libraryJob(), posixFileSystem(), ui).allOk());
  const std::string bom = write("bom.csv",
                                "Reference,Value,Footprint,Qty,Description,Manufacturer,MPN\n"
                                "\"R1,R2,R3\",10K,0603,3,Thick film,Yageo,RC0603-10K\n"
                                "R4-R6,4k7,0603,2,Thick film,Yageo,RC0603-4K7\n"
                                "C1,100nF,0603,1,Ceramic,Murata,GRM188\n"
                                "U7,,SOIC-8,1,Recalled,,RN55\n"
                                "TP1,,Pad,1,Test point,,\n"
                                "C2,10uF 25V,1206,1,Bulk,Murata,GRM31\n");
  BomPlan plan;
  ASSERT_TRUE(planBom(bom, InputFormat::CSV, path("parts.lib"), ui, plan));
  EXPECT_EQ(plan.warnings, (std::vector<std::string>{
                               "row 3: quantity 2 differs from the 3 designators of 'R4-R6'",
                               "row 6: 'TP1': no part class for the letters 'TP': imported as a miscellaneous part",
                               "row 7: value '10uF 25V' can not be read in uF: the record will not be built"}));
  ASSERT_EQ(plan.rows.size(), 6u);
  EXPECT_EQ(plan.rows[3].recalledBy, "RN55");
  const ImportOutcome out = runImport(bomImportJob(plan, path("bom.cir"), path("parts.lib")), posixFileSystem(), ui);
  ASSERT_TRUE(out.allOk());
  EXPECT_EQ(out.files[0].counters.built, 5);
  EXPECT_EQ(out.files[0].counters.failed, 1);
  EXPECT_TRUE(logged("   ...'RES_RES' read '4k7' as 4700 ohms (R3/F2)..."));
  EXPECT_TRUE(logged("   ...Error: 'CAP_CAP' can not read value '10uF 25V' (R7/F2)."));
  auto doc = load("bom.cir");
  struct Want { const char* refdes; std::uint16_t type; float qty; const char* pn; const char* pn2; double value; };
  const Want wants[] = {
      {"R1,R2,R3", 401, 3, "RC0603-10K", "", 10000}, {"R4-R6", 401, 2, "RC0603-4K7", "", 4700},
      {"C1", 403, 1, "GRM188", "", 0.1},             {"U7", 401, 1, "RN55", "ALT55", -1},
      {"TP1", kMiscType, 1, "", "", -1},
  };
  ASSERT_EQ(doc->count(), std::size(wants));
  for (const Want& w : wants) {
    const CPart* p = nullptr;
    for (std::size_t i = 0; i < doc->count(); ++i) p = doc->record(i).REFDES == w.refdes ? &doc->record(i) : p;
    ASSERT_NE(p, nullptr) << w.refdes;
    EXPECT_EQ(p->PART_TYPE, w.type) << w.refdes;
    EXPECT_EQ(p->QTY, w.qty) << w.refdes;
    EXPECT_EQ(p->PN, w.pn) << w.refdes;
    EXPECT_EQ(p->PN2, w.pn2) << w.refdes;
    if (w.value >= 0) {
      const float stored = w.type == 401 ? static_cast<const CResistor*>(p)->RES : static_cast<const CCapacitor*>(p)->CAP;
      EXPECT_FLOAT_EQ(stored, static_cast<float>(w.value)) << w.refdes;
    }
  }
  EXPECT_EQ(doc->record(0).NOTES, "Manufacturer: Yageo; Footprint: 0603");
  const std::vector<std::string> summary = bomSummary(plan, out);
  EXPECT_NE(std::find(summary.begin(), summary.end(), "  row 6: 'TP1'"), summary.end());
}

// The table readers: CSV as the export and spreadsheets write it, and files
// made by real programs (gnumeric's ssconvert, the sqlite3 shell, shapelib's
// dbfcreate) from the same rows, read back and compared cell by cell; then
// damaged and hostile files, each refused by name.

using Rows = std::vector<std::vector<std::string>>;

Rows texts(const ReadTable& t) {
  Rows rows;
  for (const TableRow& r : t.rows) {
    std::vector<std::string> cells;
    for (const TableCell& c : r) cells.push_back(cellText(c));
    while (!cells.empty() && cells.back().empty()) cells.pop_back();
    rows.push_back(cells);
  }
  return rows;
}

struct CsvCase {
  const char* label;
  std::string input;
  char separator;
  Rows expected;
  const char* warning;  // "" = none expected
};

class CsvReading : public ExchangeTest, public ::testing::WithParamInterface<CsvCase> {};

TEST_P(CsvReading, SplitsFieldsAsTheWriterMeantThem) {
  const CsvCase& c = GetParam();
  ReaderOptions options;
  options.separator = c.separator;
  const ReadTable t = readAll(InputFormat::CSV, write("in.csv", c.input), options);
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(texts(t), c.expected);
  if (*c.warning == '\0') {
    EXPECT_TRUE(t.warnings.empty()) << t.warnings.front();
  } else {
    ASSERT_EQ(t.warnings.size(), 1u);
    EXPECT_EQ(t.warnings[0], c.warning);
  }
}

const std::string kLongNote(512, 'n');
const std::string kLongLine(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvReading,
    ::testing::Values(
        CsvCase{"QuotedComma", "a,\"b,c\",d\n", ',', {{"a", "b,c", "d"}}, ""},
        CsvCase{"DoubledQuotesInsideQuotes", "\"say \"\"hi\"\"\",2\n", ',', {{"say \"hi\"", "2"}}, ""},
        CsvCase{"LineBreakInsideQuotes", "\"two\nlines\",x\r\nnext,y\r\n", ',', {{"two\nlines", "x"}, {"next", "y"}}, ""},
        CsvCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFPN,QTY\n", ',', {{"PN", "QTY"}}, ""},
        CsvCase{"SemicolonSeparator", "a;b,c;d\n", ';', {{"a", "b,c", "d"}}, ""},
        CsvCase{"TabSeparatorKeepsEmptyFields", "a\t\tc\n", '\t', {{"a", "", "c"}}, ""},
        CsvCase{"BlankLinesSkipped", "a\n  \n\r\n\nb\n", ',', {{"a"}, {"b"}}, ""},
        CsvCase{"LeadingBlanksSkipped", "  a,   \"b\" ,c\n", ',', {{"a", "b", "c"}}, ""},
        CsvCase{"DoubledQuoteInPlainField", "5\"\"x,y\n", ',', {{"5\"x", "y"}}, ""},
        CsvCase{"LongLineIsOneRecord", kLongLine + "," + kLongLine + "\n", ',', {{kLongLine, kLongLine}}, ""},
        CsvCase{"LongNoteKept", "\"" + kLongNote + "\"\n", ',', {{kLongNote}}, ""},
        CsvCase{"LastLineWithoutNewline", "a,b", ',', {{"a", "b"}}, ""},
        CsvCase{"EmbeddedLoneQuoteKeptAndWarned", "ab\"c,d\n", ',', {{"ab\"c", "d"}},
                "   ...CSV WARNING: unmatched embedded quotes (R1/F1)..."},
        CsvCase{"UnmatchedQuoteEndsAtItsLine", "ok,1\nx,\"open\nnext,2\n", ',',
                {{"ok", "1"}, {"x", "#ERR"}, {"next", "2"}}, "   ...CSV WARNING: unmatched quotes (R2/F2)..."}),
    [](const auto& info) { return std::string(info.param.label); });

// The rows every real program below is given, as a CSV with a header row.
const Rows kSource = {
    {"PART_TYPE", "PN", "REFDES", "QTY", "RES_PMAX", "NOTES"},
    {"Resistor", "RC07GF103J", "R1", "2", "0.25", "carbon, film"},
    {"Capacitor", "CK05BX104K", "C1", "1", "", "ceramic \"X7R\""},
    {"Resistor", "RN55D1001F", "R2", "12", "0.125", "metal film"},
};

std::string toCsv(const Rows& rows) {
  std::string csv;
  for (const auto& r : rows) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      std::string f = r[i];
      if (f.find_first_of(",\"") != std::string::npos) {
        std::string q = "\"";
        for (char ch : f) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        f = q + "\"";
      }
      csv += (i ? "," : "") + f;
    }
    csv += "\n";
  }
  return csv;
}

// Numbers are compared as numbers: programs write them as they please.
void expectSameRows(const Rows& got, const Rows& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t r = 0; r < want.size(); ++r) {
    ASSERT_EQ(got[r].size(), want[r].size()) << "row " << r + 1;
    for (std::size_t c = 0; c < want[r].size(); ++c) {
      double a = 0, b = 0;
      const std::string& g = got[r][c];
      const std::string& w = want[r][c];
      const bool numbers = std::from_chars(g.data(), g.data() + g.size(), a).ec == std::errc{} &&
                           std::from_chars(w.data(), w.data() + w.size(), b).ec == std::errc{} && !w.empty() &&
                           w.find_first_not_of("0123456789.-") == std::string::npos;
      if (numbers) {
        EXPECT_DOUBLE_EQ(a, b) << "row " << r + 1 << " field " << c + 1;
      } else {
        EXPECT_EQ(g, w) << "row " << r + 1 << " field " << c + 1;
      }
    }
  }
}

class RealPrograms : public ExchangeTest {};

TEST_F(RealPrograms, WorkbooksMadeByGnumericReadAsTheirSourceRows) {
  SKIP_WITHOUT("ssconvert");
  const std::string csv = write("parts.csv", toCsv(kSource));
  for (const char* ext : {"xls", "xlsx"}) {
    const std::string out = path(std::string("parts.") + ext);
    ASSERT_EQ(shell("ssconvert " + quoted(csv) + " " + quoted(out) + " >/dev/null 2>&1"), 0) << ext;
    const ReadTable t = readAll(InputFormat::XLS, out);
    ASSERT_EQ(t.error, "") << ext;
    expectSameRows(texts(t), kSource);
  }
}

TEST_F(RealPrograms, SqliteTableImportedByTheShellReadsWithItsColumnNamesFirst) {
  SKIP_WITHOUT("sqlite3");
  const std::string csv = write("parts.csv", toCsv(kSource));
  const std::string db = path("parts.db");
  ASSERT_EQ(shell("sqlite3 " + quoted(db) + " '.mode csv' " + quoted(".import " + csv + " parts")), 0);
  const ReadTable t = readAll(InputFormat::MDB, db);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), kSource);
}

TEST_F(RealPrograms, DbaseTableMadeByShapelibReadsAsItsRows) {
  SKIP_WITHOUT("dbfcreate");
  const std::string dbf = path("parts.dbf");
  ASSERT_EQ(shell("dbfcreate " + quoted(dbf) + " -s PART_TYPE 20 -s PN 25 -n QTY 5 0 -n RES_PMAX 10 4 -s NOTES 60"), 0);
  const Rows rows = {{"Resistor", "RC07GF103J", "2", "0.25", "carbon, film"},
                     {"Capacitor", "CK05BX104K", "1", "0", "caf\xC3\xA9 \"X7R\""}};
  for (const auto& r : rows) {
    std::string cmd = "dbfadd " + quoted(dbf);
    for (const auto& f : r) cmd += " " + quoted(f);
    ASSERT_EQ(shell(cmd), 0);
  }
  const ReadTable t = readAll(InputFormat::DBF, dbf);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), rows);
  EXPECT_EQ(t.rows[0][2].kind, TableCell::Kind::Number);

  // Damaged headers: every length and count is checked before any row.
  const std::string good = readBytes(dbf);
  struct Damage { const char* label; std::size_t at; unsigned char value; const char* error; };
  const Damage damages[] = {
      {"version", 0, 5, "DBF: not a valid version# (5)"},
      {"record length", 10, 7, "DBF: record length mismatch (7/"},
      {"header length", 8, 0x10, "DBF: header length 16 does not fit"},
      {"record count", 7, 0x10, "DBF: the file ends before its"},
      {"field length", 32 + 16, 0, "DBF: field 1 has length 0"},
  };
  for (const Damage& d : damages) {
    std::string bad = good;
    bad[d.at] = static_cast<char>(d.value);
    const ReadTable b = readAll(InputFormat::DBF, write("bad.dbf", bad));
    EXPECT_TRUE(b.rows.empty()) << d.label;
    EXPECT_NE(b.error.find(d.error), std::string::npos) << d.label << ": " << b.error;
  }
}

// A Lotus worksheet put together record by record (nothing here writes
// one); gnumeric reads it too, and both must see the same cells.
std::string wksRecord(std::uint16_t op, const std::string& body) {
  std::string r;
  r.push_back(static_cast<char>(op & 0xFF));
  r.push_back(static_cast<char>(op >> 8));
  r.push_back(static_cast<char>(body.size() & 0xFF));
  r.push_back(static_cast<char>(body.size() >> 8));
  return r + body;
}
std::string u16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string cellHead(unsigned col, unsigned row) { return std::string(1, '\xFF') + u16(col) + u16(row); }
std::string labelCell(unsigned col, unsigned row, const std::string& text) {
  return wksRecord(0x0F, cellHead(col, row) + "'" + text + std::string(1, '\0'));
}
std::string numberCell(unsigned col, unsigned row, double v) {
  std::string b(8, '\0');
  std::memcpy(b.data(), &v, 8);
  return wksRecord(0x0E, cellHead(col, row) + b);
}

std::string worksheet(bool withStrayCell) {
  std::string w = wksRecord(0x00, u16(0x0404)) + wksRecord(0x06, u16(0) + u16(0) + u16(2) + u16(2));
  w += labelCell(0, 0, "PN") + labelCell(1, 0, "QTY") + labelCell(2, 0, "NOTES");
  w += labelCell(0, 1, "RC07") + wksRecord(0x0D, cellHead(1, 1) + u16(7)) + labelCell(2, 1, "film, 5%");
  w += labelCell(0, 2, "CK05") + numberCell(1, 2, 2.5);
  if (withStrayCell) w += labelCell(7, 9, "outside");
  return w + wksRecord(0x01, "");
}

TEST_F(RealPrograms, WorksheetReadsAsGnumericReadsIt) {
  const Rows expected = {{"PN", "QTY", "NOTES"}, {"RC07", "7", "film, 5%"}, {"CK05", "2.5"}};
  const std::string wks = write("parts.wks", worksheet(false));
  const ReadTable t = readAll(InputFormat::WKS, wks);
  ASSERT_EQ(t.error, "");
  expectSameRows(texts(t), expected);
  if (haveProgram("ssconvert")) {
    ASSERT_EQ(shell("ssconvert " + quoted(wks) + " " + quoted(path("wks.csv")) + " >/dev/null 2>&1"), 0);
    const ReadTable viaGnumeric = readAll(InputFormat::CSV, path("wks.csv"));
    expectSameRows(texts(viaGnumeric), expected);
  }
  const ReadTable stray = readAll(InputFormat::WKS, write("stray.wks", worksheet(true)));
  expectSameRows(texts(stray), expected);
  ASSERT_EQ(stray.warnings.size(), 1u);
  EXPECT_EQ(stray.warnings[0], "   ...WKS: cell outside the declared range skipped (R10/F8)...");
}

struct HostileCase {
  const char* label;
  InputFormat format;
  std::string bytes;
  const char* error;
};

class HostileFiles : public ExchangeTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileFiles, AreRefusedByName) {
  const HostileCase& c = GetParam();
  const std::string file = write("hostile.bin", c.bytes);
  const ReadTable t = readAll(c.format, file);
  EXPECT_TRUE(t.rows.empty());
  EXPECT_NE(t.error.find(c.error), std::string::npos) << t.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileFiles,
    ::testing::Values(
        HostileCase{"WksWithoutBof", InputFormat::WKS, std::string("\x06\x00\x08\x00", 4), "WKS: BOF record not found (6)"},
        HostileCase{"WksUnknownVersion", InputFormat::WKS, wksRecord(0, u16(0x0999)), "WKS: not a valid version# (2457)"},
        HostileCase{"WksRecordPastEnd", InputFormat::WKS, wksRecord(0, u16(0x0404)) + std::string("\x0F\x00\xFF\x7F", 4),
                    "runs past the end"},
        HostileCase{"WksTruncated", InputFormat::WKS, wksRecord(0, u16(0x0404)), "without its EOF"},
        HostileCase{"DbfTooShort", InputFormat::DBF, std::string(10, '\x03'), "DBF: file too short"},
        HostileCase{"XlsNotAWorkbook", InputFormat::XLS, "hello", "XLS: can not open file"},
        HostileCase{"XlsxTruncatedZip", InputFormat::XLS, std::string("PK\x03\x04\x14\x00\x00\x00", 8), "XLSX: can not open file"},
        HostileCase{"EncryptedWorkbook", InputFormat::XLS,
                    std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(64, '\0') +
                        std::string("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32),
                    "XLS: the workbook is encrypted"},
        HostileCase{"DatabaseOfNoKnownKind", InputFormat::MDB, std::string(64, 'z'), "MDB: can not read structure"},
        HostileCase{"MdbHeaderOnly", InputFormat::MDB, std::string("\0\1\0\0Standard Jet DB\0", 20), "MDB: can not"},
        HostileCase{"SqliteHeaderOnly", InputFormat::MDB, std::string("SQLite format 3\0", 16) + std::string(84, '\0'),
                    "SQLITE: "}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kestrel::test
