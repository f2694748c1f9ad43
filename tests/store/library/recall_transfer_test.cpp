// Recall, transfer and update over a small hierarchy made here: counters,
// log lines, refusals and the order of the circuit lists.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/circ_doc.hpp"
#include "core/circ_file.hpp"
#include "library_fixture.hpp"
#include "models/passive_semis/resistor.hpp"
#include "store/library/recall.hpp"
#include "store/library/transfer.hpp"
#include "store/library/xref_file.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::library::test {
namespace {

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

TEST_F(Movement, TransferFiltersCountsDuplicatesAndReplacesInPlace) {
  makeHierarchy();
  TransferOptions o;
  o.inputSpec = dir.file("*.CIR");
  o.filters.pnOn = true;
  o.filters.pn = "RN55";
  o.clearRefDes = true;
  TransferOutcome out = runTransfer(*lib, o, posixFileSystem(), ui);
  EXPECT_EQ(out.files, 2);
  EXPECT_EQ(transferCountersLine(out.total, false), "Succeed:1  DuplicatePN:0  FilterOut:4");
  EXPECT_TRUE(contains(ui.logLines, "- PN Filter: 'RN55'"));
  EXPECT_TRUE(contains(ui.logLines, "   ...transferring 3 records to '" + lib->path() + "'..."));
  EXPECT_TRUE(contains(ui.logLines, "   ...Succeed:1  DuplicatePN:0  FilterOut:2"));
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
  ASSERT_EQ(other->store().LockRecord(), store::kOk);
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

}  // namespace
}  // namespace kestrel::library::test
