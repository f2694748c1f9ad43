#include "core/circ_doc.hpp"

#include <gtest/gtest.h>

#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

using test::fixedPart;
using test::RecordingUi;

std::vector<std::string> keysOf(const CCircDoc& doc) {
  std::vector<std::string> keys;
  for (const auto& p : doc.records()) {
    keys.push_back(std::to_string(p->PART_TYPE) + "/" + p->PN + "/" + p->REFDES + "/" + p->DESCR);
  }
  return keys;
}

TEST(RecordOrder, SortsByTypeThenPnThenRefdesAndKeepsTiesInInsertionOrder) {
  CCircDoc doc;
  struct Row { std::uint16_t type; const char* pn; const char* ref; const char* tag; };
  const Row rows[] = {{609, "B", "R2", "1"}, {609, "A", "R9", "2"}, {1, "Z", "X", "3"},
                      {609, "B", "R1", "4"}, {609, "B", "R2", "5"}, {609, "a", "R1", "6"},
                      {609, "B", "R2", "7"}};
  for (const Row& r : rows) {
    auto p = fixedPart(1.0, r.pn, r.ref);
    p->PART_TYPE = r.type;
    p->DESCR = r.tag;
    doc.insertSorted(std::move(p));
  }
  // Byte-wise: upper case sorts before lower case.
  const std::vector<std::string> expected = {"1/Z/X/3",     "609/A/R9/2", "609/B/R1/4", "609/B/R2/1",
                                             "609/B/R2/5",  "609/B/R2/7", "609/a/R1/6"};
  EXPECT_EQ(keysOf(doc), expected);
  EXPECT_EQ(doc.header().RecordCount, 7);
}

TEST(RecordCommands, AddRefusedAtCapacity) {
  CCircDoc doc;
  RecordingUi ui;
  for (std::size_t i = 0; i < kMaxRecs; ++i) doc.insertSorted(fixedPart(1.0));
  EXPECT_FALSE(doc.addRecord(fixedPart(1.0), ui).has_value());
  EXPECT_FALSE(doc.pasteRecord(fixedPart(1.0), ui).has_value());
  const std::vector<std::string> expected = {"ADD: circuit list is full.",
                                             "PASTE: circuit list is full."};
  EXPECT_EQ(ui.messages, expected);
  EXPECT_EQ(doc.count(), kMaxRecs);
}

TEST(RecordCommands, AddCalculatesInsertsAndClearsResults) {
  CCircDoc doc;
  RecordingUi ui;
  doc.header().CalcFlags = HeaderBasicDone;
  doc.header().CF = 3.0f;  // the header factor is applied to totals, not to records
  auto p = fixedPart(2.5, "P1");
  p->CF = 2.0f;
  const auto pos = doc.addRecord(std::move(p), ui);
  ASSERT_TRUE(pos.has_value());
  EXPECT_FLOAT_EQ(doc.record(*pos).FR, 5.0f);
  EXPECT_EQ(doc.header().CalcFlags, 0);
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST(RecordCommands, SelectionMessages) {
  CCircDoc doc;
  RecordingUi ui;
  EXPECT_FALSE(doc.replaceRecord(std::nullopt, fixedPart(1.0), ui).has_value());
  EXPECT_FALSE(doc.convertRecord(std::nullopt, kMiscType, ui).has_value());
  EXPECT_FALSE(doc.deleteRecord(std::nullopt, ui).has_value());
  EXPECT_FALSE(doc.pasteRecord(nullptr, ui).has_value());
  const std::vector<std::string> expected = {"EDIT: no part selection.", "CONVERT: no part selection.",
                                             "DELETE: no part selection.",
                                             "PASTE: can not get part object."};
  EXPECT_EQ(ui.messages, expected);
}

TEST(RecordCommands, DeleteAsksAndKeepsSelectionPosition) {
  CCircDoc doc;
  RecordingUi ui;
  for (const char* pn : {"A", "B", "C"}) doc.insertSorted(fixedPart(1.0, pn));
  doc.record(1).PN = std::string(40, 'X');  // the question shows at most 25 characters

  ui.answers = {false};
  EXPECT_EQ(doc.deleteRecord(1, ui), 1u);
  EXPECT_EQ(doc.count(), 3u);
  EXPECT_EQ(ui.questions.back(), "PN: '" + std::string(25, 'X') + "'\nDelete Record# 2?");

  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(1, ui), 1u);
  EXPECT_EQ(doc.count(), 2u);
  EXPECT_EQ(doc.record(1).PN, "C");
  EXPECT_EQ(doc.header().RecordCount, 2);

  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(1, ui), 0u);  // the last one deleted: selection moves up
  ui.answers = {true};
  EXPECT_EQ(doc.deleteRecord(0, ui), std::nullopt);
  EXPECT_EQ(doc.count(), 0u);
}

TEST(RecordCommands, EditReplacesAndResorts) {
  CCircDoc doc;
  RecordingUi ui;
  for (const char* pn : {"A", "M", "Z"}) doc.insertSorted(fixedPart(1.0, pn));
  auto edited = doc.record(0).clone();
  edited->PN = "ZZ";
  const auto pos = doc.replaceRecord(0, std::move(edited), ui);
  ASSERT_TRUE(pos.has_value());
  EXPECT_EQ(*pos, 2u);
  EXPECT_EQ(doc.count(), 3u);
  EXPECT_EQ(doc.record(2).PN, "ZZ");
}

TEST(RecordCommands, ConvertKeepsBaseFieldsButTakesNewType) {
  CCircDoc doc;
  RecordingUi ui;
  auto p = fixedPart(4.0, "KEEP", "U7", 5);
  p->NOTES = "note";
  doc.insertSorted(std::move(p));
  const auto pos = doc.convertRecord(0, kMiscType, ui);
  ASSERT_TRUE(pos.has_value());
  const CPart& converted = doc.record(*pos);
  EXPECT_EQ(converted.PN, "KEEP");
  EXPECT_EQ(converted.QTY, 5);
  EXPECT_EQ(converted.NOTES, "note");
  EXPECT_EQ(converted.PART_TYPE, kMiscType);
  // the new record starts from its class defaults: base rate 1.0
  EXPECT_FLOAT_EQ(converted.FR, 1.0f);
}

TEST(DetailBox, ShowsNoCalcShareUntilCalculated) {
  CCircDoc doc;
  RecordingUi ui;
  doc.addRecord(fixedPart(2.0, "P1", "R1"), ui);
  EXPECT_EQ(doc.selectionTitle(0), "Circuit Parts List    Record: 1 of 1");
  const std::string before = doc.detailText(0);
  EXPECT_NE(before.find("*NOCALC*"), std::string::npos);
  CalcContext context{ui};
  ASSERT_TRUE(doc.BasicCalc(context, 0, 1000.0));
  const std::string after = doc.detailText(0);
  EXPECT_EQ(after.find("*NOCALC*"), std::string::npos);
  EXPECT_NE(after.find("100.00%"), std::string::npos) << after;
  EXPECT_NE(after.find("\r\n"), std::string::npos);
}

TEST(SubFilePath, TakesParentFolderAndChildFileName) {
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "B.CIR"), "/data/top/B.CIR");
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "C:\\old\\dir\\B.CIR"), "/data/top/B.CIR");
  EXPECT_EQ(subFilePath("/data/top/A.CIR", "../elsewhere/B.HYB"), "/data/top/B.HYB");
  EXPECT_EQ(subFilePath("A.CIR", "B.CIR"), "B.CIR");
}

}  // namespace
}  // namespace kestrel
