// Imports into libraries and cross-reference files: built from CSV and read
// back field by field, updated by number with the backup kept, bad rows and
// duplicate numbers counted, failed runs leaving no output; and circuits
// whose parts are recalled from a library (through a cross-reference).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/circ_file.hpp"
#include "core/part.hpp"
#include "exchange/import_run.hpp"
#include "exchange_fixture.hpp"
#include "models/register_all.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::test {
namespace {


using library::Outcome;

const std::string kLibCsv =
    "PART_TYPE,PN,PN2,QTY,NOTES,HEADER_DESCR,HEADER_NOTES\n"
    "Resistor,RN55,ALT55,2,\"metal, film\",Board parts,kept notes\n"
    "Capacitor,CK05,,1," + std::string(512, 'n') + ",,\n"
    "Resistor,RN55,DUP,9,the duplicate,,\n"
    "Relay,K1,,3,relay,,\n";

struct LibRow { const char* pn; const char* pn2; float qty; std::string notes; std::uint16_t type; };
const LibRow kLibRows[] = {
    {"RN55", "ALT55", 2, "metal, film", 401},
    {"CK05", "", 1, std::string(512, 'n'), 403},
};

class ImportLibrary : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    registerAllParts();
  }
  ImportJob job(const std::string& input, OutputType type, std::vector<std::string> columns, int mode = 1) const {
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
    j.inputs = {input};
    j.outputDir = dir_.string();
    return j;
  }
  ImportJob libraryJob() const {
    return job(write("parts.csv", kLibCsv), OutputType::Library,
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
  bool logged(const std::string& line) const {
    return std::find(ui.logLines.begin(), ui.logLines.end(), line) != ui.logLines.end();
  }
  RecordingUi ui;
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
      job(csv, OutputType::CrossReference, {"XREF_PN", "XREF_LIBPN", "XREF_NOTESTITLE", "XREF_NOTES", "XREF_HEADER_DESCR"}),
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
  ASSERT_TRUE(runImport(job(xrefCsv, OutputType::CrossReference, {"XREF_PN", "XREF_LIBPN"}), posixFileSystem(), ui)
                  .allOk());
  struct Case { OutputType type; const char* file; std::vector<std::string> keys; const char* line; };
  const Case cases[] = {
      {OutputType::Library, "parts.lib", {"PN", "QTY"}, "   ...library update N/A: skipping file..."},
      {OutputType::CrossReference, "x.xrf", {"XREF_PN", "XREF_LIBPN"}, "   ...cross-reference update N/A: skipping file..."},
  };
  for (const Case& c : cases) {
    const std::string before = readBytes(c.file);
    ASSERT_FALSE(before.empty()) << c.file;
    ImportJob u = job(write("upd.csv", "PN,QTY,XREF_PN,XREF_LIBPN\nRN55,7,XR-1,K1\n"), c.type, c.keys, 2);
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
    out = runImport(job(write("big.csv", big), type, {"PART_TYPE", "XREF_PN"}), posixFileSystem(), ui);
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
  ImportJob x = job(path("parts.csv"), OutputType::CrossReference, {"XREF_PN"});
  x.outputPath = path("x.xrf");
  out = runImport(x, posixFileSystem(), ui);
  EXPECT_FALSE(out.allOk());
  EXPECT_TRUE(logged("   ...Error: can not overwrite existing cross-reference."));
  EXPECT_EQ(readBytes("x.xrf"), "not a store");
}

TEST_F(ImportLibrary, LibraryRecallFillsCircuitPartsAndFallsBackToTheInputType) {
  ASSERT_TRUE(runImport(libraryJob(), posixFileSystem(), ui).allOk());
  const std::string xcsv = write("xr.csv", "XREF_PN,XREF_LIBPN\nXR-1,RN55\n");
  ASSERT_TRUE(runImport(job(xcsv, OutputType::CrossReference, {"XREF_PN", "XREF_LIBPN"}), posixFileSystem(), ui).allOk());
  const std::string csv = write("board.csv",
                                "PART_TYPE,PN,REFDES\nCapacitor,CK05,C1\nCapacitor,XR-1,R1\nDiode,NOPE,D1\n");
  ImportJob j = job(csv, OutputType::Circuit, {"PART_TYPE", "PN", "REFDES"});
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

}  // namespace
}  // namespace kestrel::test
