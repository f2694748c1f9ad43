// Library and cross-reference files: parts of every class round trip, keys,
// duplicates, list order, searches, locks, header texts and hostile blobs.
#include <gtest/gtest.h>

#include <cstring>

#include "core/archive.hpp"
#include "core/part_archive.hpp"
#include "library_fixture.hpp"
#include "store/library/library_list.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/xref_file.hpp"

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
  const LibEntry b{1, "B", "ALT-B", 401, 0, 0, {}, {}, {}};
  EXPECT_EQ(libraryListLine(b, 2), " B" + std::string(24, ' ') + "  ALT-B" + std::string(10, ' ') + "  Resistor" +
                                       std::string(17, ' '));
}

TEST(LibrarySearch, PartNumberContainsTextFromTopAndFromCurrent) {
  ScratchDir dir;
  auto lib = newLibrary(dir);
  ASSERT_TRUE(lib);
  for (const char* pn : {"R-100", "R-147", "R-247", "R-300"}) ASSERT_EQ(lib->add(*samplePart(401, false, pn)), Outcome::Ok);
  LibEntry first, second, none;
  ASSERT_EQ(lib->search("47", false, -1, first), Outcome::Ok);
  EXPECT_EQ(first.pn, "R-147");
  ASSERT_EQ(lib->search("47", false, first.record, second), Outcome::Ok);
  EXPECT_EQ(second.pn, "R-247");
  EXPECT_EQ(lib->search("47", false, second.record, none), Outcome::NotFound);
  ASSERT_EQ(lib->search("T-R-3", true, -1, first), Outcome::Ok);
  EXPECT_EQ(first.pn, "R-300");
  ASSERT_EQ(lib->findType(401, false, first), Outcome::Ok);
  EXPECT_EQ(first.pn, "R-100");
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
  ASSERT_EQ(other->store().LockRecord(), store::kOk);

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

  ASSERT_EQ(other->store().UnlockRecord(), store::kOk);
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
    ASSERT_EQ(writeHeaderText(lib->store(), "LIBHEADER", 1, "50099"), store::kOk);
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
  ASSERT_EQ(x->first(e), Outcome::Ok);
  EXPECT_EQ(e.pn, "AC100");
  XRefEntry next;
  ASSERT_EQ(x->next(e, next), Outcome::Ok);
  EXPECT_EQ(next.pn, "MIL-R-1");
  EXPECT_EQ(x->next(next, e), Outcome::End);
  EXPECT_EQ(xrefListLine(next), " mil-r-1" + std::string(18, ' ') + "  LIB-1" + std::string(20, ' '));
  StoreCounters counters;
  ASSERT_EQ(x->put({"AC100", "LIB-9", "", ""}, true, counters), Outcome::Ok);
  EXPECT_EQ(counters.replaced, 1);
  ASSERT_EQ(x->remove("ac100"), Outcome::Ok);
  EXPECT_EQ(x->count(), 1);
  ASSERT_EQ(writeHeaderText(x->store(), "XREFHEADER", 1, "98"), store::kOk);
  x.reset();
  EXPECT_FALSE(XRefFile::open(dir.file("parts.xrf"), false, error));
  EXPECT_EQ(error.what, "file version error");
}

}  // namespace
}  // namespace kestrel::library::test
