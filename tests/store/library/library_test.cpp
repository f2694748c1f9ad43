// Library and cross-reference files: parts of every class round trip, keys,
// duplicates, list order, searches, locks, header texts and hostile blobs;
// recall, transfer and update over a small hierarchy made here (counters, log
// lines, refusals, the order of the circuit lists); and two processes on one
// library at once, losing and duplicating nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "core/archive.hpp"
#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "core/part_archive.hpp"
#include "library_fixture.hpp"
#include "models/passive_semis/resistor.hpp"
#include "store/library/library_list.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/recall.hpp"
#include "store/library/transfer.hpp"
#include "store/library/xref_file.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::library::test {
namespace {
TEST(LibraryRoundTrip, EveryRegisteredClassComesBackWithAllFieldsEqual) {
  ScratchDir dir;
  auto lib = newLibrary(dir);
  ASSERT_TRUE(lib);
  int n = 0;
  for (bool hybrid : {false, true}) {
    for (std::uint16_t type : registeredTypes(hybrid)) {
      SCOPED_TRACE(std::to_string(type) + (hybrid ? " hybrid" : ""));
      auto part = samplePart(type, hybrid, "P" + std::to_string(++n));
      ASSERT_TRUE(part);
      ASSERT_EQ(lib->add(*part), Outcome::Ok) << lib->error().text();
      LibEntry entry;
      ASSERT_EQ(lib->findPn(part->PN, entry), Outcome::Ok);
      EXPECT_EQ(entry.pn2, part->PN2);
      EXPECT_EQ(entry.type, type);
      EXPECT_EQ(entry.hybrid, hybrid ? 1 : 0);
      std::unique_ptr<CPart> back;
      ASSERT_TRUE(lib->partOf(entry, hybrid, back)) << lib->error().text();
      EXPECT_EQ(blobOf(*back), blobOf(*part));
    }
  }
  EXPECT_GE(n, 10);
  EXPECT_EQ(lib->count(), n);
  ASSERT_TRUE(lib->close());
  LibraryCheckReport report;
  ASSERT_TRUE(checkLibrary(dir.file("parts.lib"), report));
  EXPECT_EQ(report.faults, std::vector<std::string>{});
}

TEST(LibraryKeys, DuplicatesPn2AndListOrder) {
  ScratchDir dir;
  auto lib = newLibrary(dir);
  ASSERT_TRUE(lib);
  auto resistorB = samplePart(401, false, "B");
  auto capacitorA = samplePart(403, false, "A");
  auto hybridResistorA = samplePart(401, true, "HA");
  ASSERT_EQ(lib->add(*resistorB), Outcome::Ok);
  ASSERT_EQ(lib->add(*capacitorA), Outcome::Ok);
  ASSERT_EQ(lib->add(*hybridResistorA), Outcome::Ok);
  // The same part number of another type is refused; the same PN2 is not.
  auto again = samplePart(403, false, "B");
  EXPECT_EQ(lib->add(*again), Outcome::Duplicate);
  EXPECT_EQ(lib->error().detail, "duplicate part number");
  auto samePn2 = samplePart(401, false, "C");
  samePn2->PN2 = resistorB->PN2;
  EXPECT_EQ(lib->add(*samePn2), Outcome::Ok);
  EXPECT_EQ(lib->count(), 4);
  // Hybrid flag, then type, then part number.
  LibraryPager pager(*lib);
  std::vector<LibEntry> page;
  ASSERT_EQ(pager.page(0, 10, page), Outcome::Ok);
  std::vector<std::string> order;
  for (const auto& e : page) order.push_back(e.pn);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "C", "A", "HA"}));
  // Pages by position, forwards and back, agree with the whole list.
  for (long at : {2L, 1L, 3L, 0L}) {
    ASSERT_EQ(pager.page(at, 1, page), Outcome::Ok);
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].pn, order[static_cast<std::size_t>(at)]);
  }
  ASSERT_EQ(pager.page(4, 3, page), Outcome::Ok);
  EXPECT_TRUE(page.empty());
  // The first part of a type, in list order, of the kind asked for.
  LibEntry first;
  ASSERT_EQ(lib->findType(401, false, first), Outcome::Ok);
  EXPECT_EQ(first.pn, "B");
  ASSERT_EQ(lib->findType(401, true, first), Outcome::Ok);
  EXPECT_EQ(first.pn, "HA");
}

TEST(LibraryChanges, LockedRecordIsRefusedAndNeverOverwritten) {
  ScratchDir dir;
  auto lib = newLibrary(dir);
  ASSERT_TRUE(lib);
  ASSERT_EQ(lib->add(*samplePart(401, false, "LOCKED")), Outcome::Ok);
  StoreMessage error;
  auto other = PartLibrary::open(dir.file("parts.lib"), true, error);
  ASSERT_TRUE(other) << error.text();
  LibEntry held;
  ASSERT_EQ(other->findPn("LOCKED", held), Outcome::Ok);
  ASSERT_EQ(other->keyedFile()->store().LockRecord(), store::kOk);

  auto changed = samplePart(401, false, "LOCKED");
  changed->DESCR = "changed";
  EXPECT_EQ(lib->replace(*changed), Outcome::Failed);
  EXPECT_EQ(lib->error().what, "can not lock record");
  EXPECT_EQ(lib->error().detail, "record is locked by another process");
  EXPECT_EQ(lib->edit(held.record, [](CPart& p) { p.DESCR = "edited"; return true; }), Outcome::Failed);
  EXPECT_EQ(lib->remove("LOCKED"), Outcome::Failed);
  LibEntry now;
  std::unique_ptr<CPart> part;
  ASSERT_EQ(lib->findPn("LOCKED", now), Outcome::Ok);
  ASSERT_TRUE(lib->partOf(now, part));
  EXPECT_EQ(part->DESCR, "Sample 401");

  ASSERT_EQ(other->keyedFile()->store().UnlockRecord(), store::kOk);
  ASSERT_EQ(lib->edit(held.record, [](CPart& p) { p.DESCR = "edited"; return true; }), Outcome::Ok);
  ASSERT_EQ(lib->replace(*changed), Outcome::Ok);
  ASSERT_EQ(other->findPn("LOCKED", now), Outcome::Ok);
  EXPECT_EQ(now.record, held.record);  // replaced in place, same record
  ASSERT_TRUE(other->partOf(now, part));
  EXPECT_EQ(part->DESCR, "changed");
  EXPECT_EQ(other->remove("LOCKED"), Outcome::Ok);
  EXPECT_EQ(lib->count(), 0);
}

TEST(LibraryFile, RefusesWrongVersionOversizedPartsAndBoundsHeaderTexts) {
  ScratchDir dir;
  {
    auto lib = newLibrary(dir);
    ASSERT_TRUE(lib);
    auto big = samplePart(401, false, "BIG");
    big->NOTES.assign(1100, 'n');
    EXPECT_EQ(lib->add(*big), Outcome::Failed);
    EXPECT_EQ(lib->error().what, "serialize error");
    EXPECT_EQ(lib->count(), 0);
    ASSERT_TRUE(lib->writeHeader({std::string(500, 'd'), "Title", std::string(600, 'x')}));
    HeaderTexts texts;
    ASSERT_TRUE(lib->readHeader(texts));
    EXPECT_EQ(texts.description, std::string(132, 'd'));
    EXPECT_EQ(texts.notesTitle, "Title");
    EXPECT_EQ(texts.notes, std::string(543, 'x'));
    ASSERT_EQ(writeHeaderText(lib->keyedFile()->store(), "LIBHEADER", 1, "50099"), store::kOk);
  }
  StoreMessage error;
  EXPECT_FALSE(PartLibrary::open(dir.file("parts.lib"), false, error));
  EXPECT_EQ(error.what, "file version error");
  EXPECT_FALSE(PartLibrary::open(dir.file("missing.lib"), false, error));
  EXPECT_EQ(error.text(), "'" + dir.file("missing.lib") + "'...\n...Can not open library file...\n...file not found.");
  EXPECT_FALSE(PartLibrary::create(dir.file("parts.lib"), error));
  EXPECT_EQ(error.detail, "file already exists");
}

// Blobs as they may arrive from a damaged library or a foreign clipboard.
TEST(PartBlobs, AcceptOnlyWholeRegisteredPartsOfTheDocumentsKind) {
  auto resistor = samplePart(401, false, "R1");
  auto hybridResistor = samplePart(401, true, "R1");
  auto board = samplePart(505, false, "PWB");
  auto withTail = blobOf(*resistor);
  withTail.push_back(0);
  auto cutShort = blobOf(*resistor);
  cutShort.resize(cutShort.size() / 2);
  auto unknownClass = blobOf(*resistor);
  unknownClass[6] = 'X';  // "CResistor" -> "CXesistor"
  auto wrongType = samplePart(401, false, "R1");
  wrongType->PART_TYPE = 403;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> blob;
    bool hybridDocument;
    bool accepted;
  } cases[] = {
      {"circuit part into a circuit", blobOf(*resistor), false, true},
      {"hybrid part into a hybrid", blobOf(*hybridResistor), true, true},
      {"circuit part into a hybrid", blobOf(*resistor), true, false},
      {"hybrid part into a circuit", blobOf(*hybridResistor), false, false},
      {"class the hybrid kind can not hold", blobOf(*samplePart(505, true, "PWB")), true, false},
      {"board into a circuit", blobOf(*board), false, true},
      {"bytes after the object", withTail, false, false},
      {"object cut short", cutShort, false, false},
      {"unknown class", unknownClass, false, false},
      {"type id of another class", blobOf(*wrongType), false, false},
      {"empty", {}, false, false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CPart> part;
    EXPECT_EQ(decodePartBlob(c.blob, c.hybridDocument, "test", part).isOk(), c.accepted) << c.name;
    EXPECT_EQ(part != nullptr, c.accepted) << c.name;
  }
}

TEST(XRefFileTest, UniqueNumbersSharedLibraryNumbersAndUpperCasedFind) {
  ScratchDir dir;
  StoreMessage error;
  auto x = XRefFile::create(dir.file("parts.xrf"), error);
  ASSERT_TRUE(x) << error.text();
  ASSERT_EQ(x->add({"AC100", "LIB-1", "", ""}), Outcome::Ok);
  ASSERT_EQ(x->add({"mil-r-1", "LIB-1", "T", "N"}), Outcome::Ok);
  EXPECT_EQ(x->add({"AC100", "LIB-2", "", ""}), Outcome::Duplicate);
  EXPECT_EQ(x->error().detail, "duplicate part number");
  XRefEntry e;
  EXPECT_EQ(x->find("AB", false, e), Outcome::NotFound);  // AC100 is later but does not begin with AB
  ASSERT_EQ(x->find("mil", false, e), Outcome::Ok);
  EXPECT_EQ(e.xref.pn, "mil-r-1");
  EXPECT_EQ(e.xref.notes, "N");
  ASSERT_EQ(x->find("lib-1", true, e), Outcome::Ok);
  ASSERT_EQ(x->findPn("MIL-R-1", e), Outcome::Ok);
  StoreCounters counters;
  ASSERT_EQ(x->put({"AC100", "LIB-9", "", ""}, true, counters), Outcome::Ok);
  EXPECT_EQ(counters.replaced, 1);
  ASSERT_EQ(x->remove("ac100"), Outcome::Ok);
  EXPECT_EQ(x->count(), 1);
  ASSERT_EQ(writeHeaderText(x->keyedFile()->store(), "XREFHEADER", 1, "98"), store::kOk);
  x.reset();
  EXPECT_FALSE(XRefFile::open(dir.file("parts.xrf"), false, error));
  EXPECT_EQ(error.what, "file version error");
}

using kestrel::test::RecordingUi;

bool contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Movement : public ::testing::Test {
 protected:
  void SetUp() override {
    lib = newLibrary(dir);
    ASSERT_TRUE(lib);
  }
  void save(CCircDoc& doc, const std::string& name) {
    ASSERT_TRUE(saveDocument(posixFileSystem(), doc, dir.file(name)).isOk());
  }
  std::unique_ptr<CCircDoc> load(const std::string& name) {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), dir.file(name), doc).isOk());
    return doc;
  }
  std::vector<std::string> order(const CCircDoc& doc) {
    std::vector<std::string> out;
    for (const auto& r : doc.records()) out.push_back(std::to_string(r->PART_TYPE) + ":" + r->PN + ":" + r->REFDES);
    return out;
  }
  // top.cir -> board.cir (sub-circuit) and rf.hyb (sub-hybrid).
  void makeHierarchy() {
    CCircDoc board;
    board.insertSorted(samplePart(401, false, "RN55C1001F", "R1"));
    board.insertSorted(samplePart(401, false, "RNC55", "R2"));
    board.insertSorted(samplePart(403, false, "CK05", "C1"));
    save(board, "board.cir");
    CCircDoc rf(DocKind::Hybrid);
    rf.insertSorted(samplePart(401, true, "RZ-50", "R1"));
    save(rf, "rf.hyb");
    CCircDoc top;
    auto sub = samplePart(kSubCircuitType, false, "BOARD", "A1");
    sub->FileName = "board.cir";
    auto hyb = samplePart(kSubHybridType, false, "RF", "A2");
    hyb->FileName = "rf.hyb";
    top.insertSorted(std::move(sub));
    top.insertSorted(std::move(hyb));
    save(top, "top.cir");
  }

  ScratchDir dir;
  std::unique_ptr<PartLibrary> lib;
  RecordingUi ui;
};

TEST_F(Movement, RecallByPnPn2AndCrossReferenceWithRefusals) {
  auto resistor = samplePart(401, false, "RLR07", "R9");
  resistor->PN2 = "M39008/1";
  ASSERT_EQ(lib->add(*resistor), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(401, true, "HYB-ONLY")), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(403, false, "CAP-1")), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(505, true, "HYB-BOARD")), Outcome::Ok);  // no hybrid may hold a board
  StoreMessage error;
  auto x = XRefFile::create(dir.file("parts.xrf"), error);
  ASSERT_TRUE(x) << error.text();
  ASSERT_EQ(x->add({"ALT-100", "CAP-1", "", ""}), Outcome::Ok);
  x.reset();
  ASSERT_TRUE(lib->close());

  CCircDoc doc;
  RecallSettings settings{dir.file("parts.lib"), true, dir.file("parts.xrf"), kXRefToPn2};
  const RecallRequest requests[] = {{"M39008/1", "R5"}, {"alt-100", "C7"}, {"HYB-ONLY", ""}, {"NOPE", ""}, {"CAP-1", "C1"}};
  RecallCounters counters;
  ASSERT_TRUE(recallIntoDocument(doc, settings, requests, ui, counters).isOk());
  EXPECT_EQ(recallCountersLine(counters), "Recalled:3  NotFound:1  Refused:1");
  EXPECT_TRUE(contains(ui.messages, "PN='HYB-ONLY' found...\n...can not recall: hybrid mis-match."));
  // Sorted by type, then PN, then designator, whatever order they came in.
  EXPECT_EQ(order(doc), (std::vector<std::string>{"401:RLR07:R5", "403:CAP-1:C1", "403:CAP-1:C7"}));
  EXPECT_EQ(doc.record(2).PN2, "ALT-100");  // XRef Move 2: the cross-reference number into PN2
  EXPECT_GT(doc.record(0).FR, 0.0f);        // calculated on the way in

  CCircDoc hybrid(DocKind::Hybrid);
  const RecallRequest wrongKind[] = {{"HYB-BOARD", ""}, {"HYB-ONLY", "R1"}};
  RecallCounters hc;
  ASSERT_TRUE(recallIntoDocument(hybrid, {dir.file("parts.lib"), false, "", 0}, wrongKind, ui, hc).isOk());
  EXPECT_EQ(recallCountersLine(hc), "Recalled:1  NotFound:0  Refused:1");
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_NE(ui.messages.back().find("can not be placed in a hybrid"), std::string::npos) << ui.messages.back();

  // A number the library lacks goes to the decoder when one is given.
  StoreMessage e2;
  auto reopened = PartLibrary::open(dir.file("parts.lib"), false, e2);
  ASSERT_TRUE(reopened);
  std::unique_ptr<CPart> decoded;
  const PartNumberDecoder decoder = [](std::string_view n, bool h) { return samplePart(401, h, std::string(n)); };
  EXPECT_EQ(recallByNumber(*reopened, "RNC50H1001FS", false, true, ui, decoded, decoder), Recalled::Found);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->PN, "RNC50H1001FS");
  const PartNumberDecoder refuses = [](std::string_view, bool) { return std::unique_ptr<CPart>(); };
  EXPECT_EQ(recallByNumber(*reopened, "XYZ", false, true, ui, decoded, refuses), Recalled::Failed);
  EXPECT_EQ(recallByNumber(*reopened, "XYZ", false, true, ui, decoded), Recalled::NotFound);
}

// The option texts and the filters' counts over several files are the
// windows' and the command line's tests; here the counters of duplicates,
// replacing in place and a record locked by another user.
TEST_F(Movement, TransferCountsDuplicatesAndReplacesInPlace) {
  makeHierarchy();
  TransferOptions one;
  one.inputSpec = dir.file("board.cir");
  one.filters.pnOn = true;
  one.filters.pn = "RN55";
  one.clearRefDes = true;
  TransferOutcome out = runTransfer(*lib, one, posixFileSystem(), ui);
  EXPECT_EQ(transferCountersLine(out.total, false), "Succeed:1  DuplicatePN:0  FilterOut:2");
  LibEntry entry;
  ASSERT_EQ(lib->findPn("RN55C1001F", entry), Outcome::Ok);
  std::unique_ptr<CPart> stored;
  ASSERT_TRUE(lib->partOf(entry, stored));
  EXPECT_EQ(stored->REFDES, "");

  // Again without filters: the part number present counts DuplicatePN and stays.
  auto board = load("board.cir");
  board->record(0).DESCR = "from the board";
  save(*board, "board.cir");
  TransferOptions all;
  all.inputSpec = dir.file("board.cir");
  out = runTransfer(*lib, all, posixFileSystem(), ui);
  EXPECT_EQ(transferCountersLine(out.total, false), "Succeed:2  DuplicatePN:1  FilterOut:0");
  ASSERT_TRUE(lib->partOf(entry, stored));
  EXPECT_NE(stored->DESCR, "from the board");

  // Replace Duplicate Records updates the record where it is.
  all.replaceDuplicates = true;
  out = runTransfer(*lib, all, posixFileSystem(), ui);
  EXPECT_EQ(transferCountersLine(out.total, true), "Succeed:0  ReplaceDuplicatePN:3  FilterOut:0");
  LibEntry after;
  ASSERT_EQ(lib->findPn("RN55C1001F", after), Outcome::Ok);
  EXPECT_EQ(after.record, entry.record);
  ASSERT_TRUE(lib->partOf(after, stored));
  EXPECT_EQ(stored->DESCR, "from the board");
  EXPECT_EQ(lib->count(), 3);

  // A record locked by another user is refused with the store's message
  // and the file ends there; nothing is overwritten.
  StoreMessage error;
  auto other = PartLibrary::open(lib->path(), true, error);
  ASSERT_TRUE(other);
  ASSERT_EQ(other->findPn("CK05", entry), Outcome::Ok);
  ASSERT_EQ(other->keyedFile()->store().LockRecord(), store::kOk);
  ui.logLines.clear();
  out = runTransfer(*lib, all, posixFileSystem(), ui);
  EXPECT_EQ(out.failedFiles, 1);
  EXPECT_TRUE(contains(ui.logLines, "   ...Error: can not transfer record (dup replace) (rec#3)..."));
  EXPECT_TRUE(contains(ui.logLines, "   ...'" + lib->path() +
                                        "'... ...can not lock record... ...record is locked by another process."));
  EXPECT_TRUE(contains(ui.logLines, "   ...Succeed:0  ReplaceDuplicatePN:2  FilterOut:0"));

  ui.logLines.clear();
  all.inputSpec = dir.file("*.none");
  out = runTransfer(*lib, all, posixFileSystem(), ui);
  EXPECT_TRUE(contains(ui.logLines, "...no matching files found."));
}

TEST_F(Movement, TransferStopsWhenTheUserConfirmsCancel) {
  makeHierarchy();
  ui.cancelAtRecord = 2;
  TransferOptions o;
  o.inputSpec = dir.file("*.cir");
  const TransferOutcome out = runTransfer(*lib, o, posixFileSystem(), ui);
  EXPECT_TRUE(out.cancelled);
  EXPECT_TRUE(contains(ui.questions, "Cancel transfer?"));
  EXPECT_TRUE(contains(ui.logLines, "   ...Cancel (rec#2)..."));
  EXPECT_EQ(lib->count(), 2);
}

TEST_F(Movement, UpdateKeepsCircuitFieldsWalksTheHierarchyAndKeepsOrder) {
  makeHierarchy();
  // Library versions: the board resistor as another style, the capacitor
  // renamed into a resistor type, and the hybrid resistor only as a circuit part.
  auto lr = samplePart(401, false, "RN55C1001F", "LIB-R");
  auto& res = static_cast<CResistor&>(*lr);
  res.TYPE = 5;
  res.TRISE = 99.0f;
  lr->DESCR = "library description";
  lr->QTY = 7.0f;
  ASSERT_EQ(lib->add(*lr), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(402, false, "CK05", "A0")), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(401, false, "RZ-50")), Outcome::Ok);
  const auto before = load("board.cir");
  const auto& oldRes = static_cast<const CResistor&>(before->record(0));

  UpdateOptions o;
  o.inputSpec = dir.file("top.cir");
  o.recursive = true;
  UpdateOutcome out = runUpdate(*lib, o, posixFileSystem(), ui);
  EXPECT_EQ(out.files, 3);
  EXPECT_EQ(updateCountersLine(out.total), "Update:2  NotFound:4  FilterOut:0");
  EXPECT_TRUE(contains(ui.logLines, "   ...updating 3 records using '" + lib->path() + "'..."));
  EXPECT_TRUE(contains(ui.logLines, "   ...saving '" + dir.file("board.cir") + "'..."));
  EXPECT_EQ(out.saved, std::vector<std::string>{dir.file("board.cir")});
  EXPECT_TRUE(std::filesystem::exists(dir.file("board.cir.BAK")));

  const auto board = load("board.cir");
  // 402 sorts before 403 but after 401: the list is re-sorted.
  EXPECT_EQ(order(*board), (std::vector<std::string>{"401:RN55C1001F:R1", "401:RNC55:R2", "402:CK05:C1"}));
  const auto& r = static_cast<const CResistor&>(board->record(0));
  EXPECT_EQ(r.TYPE, 5);                     // model parameter from the library
  EXPECT_EQ(r.TRISE, oldRes.TRISE);         // application parameter kept
  EXPECT_EQ(r.DESCR, oldRes.DESCR);         // every option off: circuit fields kept
  EXPECT_EQ(r.QTY, oldRes.QTY);
  EXPECT_EQ(r.PN2, oldRes.PN2);
  EXPECT_EQ(r.CF, oldRes.CF);
  EXPECT_EQ(r.NOTES, oldRes.NOTES);
  EXPECT_EQ(board->header().CalcFlags, 0);

  // With the options on, the library's values come in.
  o.inputSpec = dir.file("board.cir");
  o.recursive = false;
  o.descr = o.quantity = o.appParams = o.refdes = true;
  out = runUpdate(*lib, o, posixFileSystem(), ui);
  const auto again = load("board.cir");
  const auto& r2 = static_cast<const CResistor&>(again->record(0));
  EXPECT_EQ(r2.DESCR, "library description");
  EXPECT_EQ(r2.QTY, 7.0f);
  EXPECT_EQ(r2.TRISE, 99.0f);
  EXPECT_EQ(r2.REFDES, "LIB-R");
}

constexpr int kOwnParts = 120;
constexpr int kSharedParts = 20;

void makeCircuit(const std::string& path, const std::string& prefix) {
  CCircDoc doc;
  for (int i = 0; i < kOwnParts; ++i) doc.insertSorted(samplePart(401 + i % 3, false, prefix + std::to_string(i)));
  for (int i = 0; i < kSharedParts; ++i) doc.insertSorted(samplePart(401, false, "S" + std::to_string(i)));
  ASSERT_TRUE(saveDocument(posixFileSystem(), doc, path).isOk());
}

// Exit code of a child: 0 when every record went in or was refused only
// because the other process held it.
int transferChild(const std::string& lib, const std::string& circuit, int passes) {
  StoreMessage error;
  auto l = PartLibrary::open(lib, true, error);
  if (!l) return 10;
  l->keyedFile()->store().SetDurable(false);  // the locks are the same; only the flushes go
  int retries = 0;
  for (int pass = 0; pass < passes; ++pass) {
    kestrel::test::RecordingUi ui;
    TransferOptions o;
    o.inputSpec = circuit;
    o.replaceDuplicates = true;
    const TransferOutcome out = runTransfer(*l, o, posixFileSystem(), ui);
    for (const auto& line : ui.logLines) {
      if (line.find("...Error") != std::string::npos || line.find("...can not") != std::string::npos) {
        if (line.find("Error: can not transfer record (dup replace)") == std::string::npos &&
            line.find("record is locked by another process") == std::string::npos) {
          return 11;
        }
      }
    }
    if (out.failedFiles > 0 && ++retries < 50) --pass;  // ended at a locked record: the pass runs again
  }
  return 0;
}

int recallChild(const std::string& lib, const std::string& circuit, const std::string& prefix) {
  if (int rc = transferChild(lib, circuit, 1); rc != 0) return rc;
  kestrel::test::RecordingUi ui;
  for (int round = 0; round < 5; ++round) {
    std::vector<RecallRequest> requests;
    for (int i = 0; i < kOwnParts; i += 7) requests.push_back({prefix + std::to_string(i), ""});
    for (int i = 0; i < kSharedParts; ++i) requests.push_back({"S" + std::to_string(i), ""});
    CCircDoc doc;
    RecallCounters c;
    if (!recallIntoDocument(doc, {lib, false, "", 0}, requests, ui, c).isOk()) return 20;
    if (c.recalled != static_cast<long>(requests.size())) return 21;
  }
  return 0;
}

TEST(SharedLibrary, TwoProcessesTransferAndRecallAtOnceLoseAndDuplicateNothing) {
  ScratchDir dir;
  const std::string lib = dir.file("shared.lib");
  { ASSERT_TRUE(newLibrary(dir, "shared.lib")); }
  makeCircuit(dir.file("a.cir"), "A");
  makeCircuit(dir.file("b.cir"), "B");
  const pid_t writer = fork();
  if (writer == 0) _exit(transferChild(lib, dir.file("a.cir"), 3));
  const pid_t reader = fork();
  if (reader == 0) _exit(recallChild(lib, dir.file("b.cir"), "B"));
  EXPECT_EQ(store::test::exitCodeOf(writer), 0) << "writer";
  EXPECT_EQ(store::test::exitCodeOf(reader), 0) << "reader";

  StoreMessage error;
  auto l = PartLibrary::open(lib, false, error);
  ASSERT_TRUE(l) << error.text();
  EXPECT_EQ(l->count(), 2 * kOwnParts + kSharedParts);
  std::set<std::string> listed;
  LibEntry e;
  for (Outcome o = l->first(e); o == Outcome::Ok;) {
    EXPECT_TRUE(listed.insert(e.pn).second) << e.pn << " listed twice";
    LibEntry n;
    o = l->next(e, n);
    e = std::move(n);
  }
  EXPECT_EQ(listed.size(), static_cast<std::size_t>(2 * kOwnParts + kSharedParts));
  for (int i = 0; i < kOwnParts; ++i) {
    EXPECT_TRUE(listed.count("A" + std::to_string(i)) && listed.count("B" + std::to_string(i))) << i;
  }
  l.reset();
  LibraryCheckReport report;
  ASSERT_TRUE(checkLibrary(lib, report));
  EXPECT_EQ(report.faults, std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrel::library::test
