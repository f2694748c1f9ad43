// The same library operations against both homes: a library file, and a
// library kept in a database on one throwaway server shared by every test
// here. Results, messages, orders and stored bytes must agree; the
// database's own promises (locks naming their holder, jobs undone whole, a
// lost connection) are checked against a second connection.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <memory>

#include "library_fixture.hpp"
#include "many_users.hpp"
#include "store/library/library_copy.hpp"
#include "store/library/library_merge.hpp"
#include "store/library/xref_file.hpp"
#include "support/pg_cluster.hpp"
#include "support/recording_ui.hpp"

namespace kestrel::library::test {
namespace {

kestrel::test::ThrowawayCluster* server = nullptr;
std::string serverTrouble;

class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    try {
      server = new kestrel::test::ThrowawayCluster;
    } catch (const std::exception& e) {
      serverTrouble = e.what();
    }
  }
  void TearDown() override { delete server; }
};
[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

enum class Home { File, Database };

// Runs SQL on a connection of the test's own; false with the server's message.
bool sql(const std::string& statement) {
  PGconn* c = PQconnectdb(server->conninfo().c_str());
  PGresult* r = PQexec(c, statement.c_str());
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  EXPECT_TRUE(ok) << statement << ": " << PQerrorMessage(c);
  PQclear(r);
  PQfinish(c);
  return ok;
}

class LibraryHomes : public ::testing::TestWithParam<Home> {
 protected:
  void SetUp() override {
    if (GetParam() == Home::Database) {
      ASSERT_NE(server, nullptr) << "the test server did not start: " << serverTrouble;
    }
  }
  // A new name in this test's home.
  std::string name(const char* extension) {
    static int serial = 0;
    const std::string base = "t" + std::to_string(++serial);
    if (GetParam() == Home::File) return dir.file(base + extension);
    return "postgresql:///postgres?host=" + server->folder() + "&user=kestrel&library=" + base;
  }
  std::unique_ptr<PartLibrary> create() {
    where = name(".lib");
    StoreMessage error;
    auto lib = PartLibrary::create(where, error);
    EXPECT_TRUE(lib) << error.text();
    if (lib && lib->keyedFile() != nullptr) lib->keyedFile()->store().SetDurable(false);
    return lib;
  }
  std::vector<std::string> listed(PartLibrary& lib, bool backwards = false) {
    std::vector<std::string> out;
    LibEntry e;
    for (Outcome o = backwards ? lib.last(e) : lib.first(e); o == Outcome::Ok;
         o = backwards ? lib.previous(LibEntry(e), e) : lib.next(LibEntry(e), e)) {
      out.push_back(e.pn);
    }
    return out;
  }

  ScratchDir dir;
  std::string where;  // of the library made by create()
};

TEST_P(LibraryHomes, CreateOpenAndTheirRefusals) {
  ASSERT_TRUE(create());
  StoreMessage error;
  EXPECT_FALSE(PartLibrary::create(where, error));
  EXPECT_EQ(error.what, "Can not create library file");
  EXPECT_EQ(error.code, StatusCode::AlreadyExists);
  EXPECT_EQ(error.context, "'" + where + "'");
  EXPECT_FALSE(XRefFile::open(where, false, error));
  EXPECT_EQ(error.what, "file version error");
  const std::string missing = name(".lib");
  EXPECT_FALSE(PartLibrary::open(missing, false, error));
  EXPECT_EQ(error.what, "Can not open library file");
  EXPECT_EQ(error.code, StatusCode::NotFound);
  auto reader = PartLibrary::open(where, false, error);
  ASSERT_TRUE(reader) << error.text();
  EXPECT_EQ(reader->add(*samplePart(401, false, "R1")), Outcome::Failed);
  EXPECT_EQ(reader->count(), 0);
}

TEST_P(LibraryHomes, AddRefusesTakenNumbersAndOversizedPartsButNotSharedPn2) {
  auto lib = create();
  ASSERT_TRUE(lib);
  auto first = samplePart(401, false, "B");
  ASSERT_EQ(lib->add(*first), Outcome::Ok);
  EXPECT_EQ(lib->add(*samplePart(403, false, "B")), Outcome::Duplicate);
  EXPECT_EQ(lib->error().detail, "duplicate part number");
  auto samePn2 = samplePart(403, false, "C");
  samePn2->PN2 = first->PN2;
  EXPECT_EQ(lib->add(*samePn2), Outcome::Ok);
  auto big = samplePart(401, false, "BIG");
  big->NOTES.assign(1100, 'n');
  EXPECT_EQ(lib->add(*big), Outcome::Failed);
  EXPECT_EQ(lib->error().what, "serialize error");
  EXPECT_EQ(lib->count(), 2);
  LibEntry e;
  ASSERT_EQ(lib->findPn("B", e), Outcome::Ok);
  EXPECT_EQ(e.blob, blobOf(*first));
}

TEST_P(LibraryHomes, ListOrderFindModesAndNeighboursOfADeletedRecord) {
  auto lib = create();
  ASSERT_TRUE(lib);
  // Hybrid flag, then type code, then part number; PN2s shared by two.
  std::int32_t records[4] = {};
  ASSERT_EQ(lib->add(*samplePart(401, false, "B"), &records[0]), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(403, false, "A"), &records[1]), Outcome::Ok);
  ASSERT_EQ(lib->add(*samplePart(401, true, "HA"), &records[2]), Outcome::Ok);
  auto d = samplePart(401, false, "D");
  d->PN2 = "ALT-B";
  ASSERT_EQ(lib->add(*d, &records[3]), Outcome::Ok);
  EXPECT_EQ(listed(*lib), (std::vector<std::string>{"B", "D", "A", "HA"}));
  EXPECT_EQ(listed(*lib, true), (std::vector<std::string>{"HA", "A", "D", "B"}));
  long position = -1;
  ASSERT_EQ(lib->listPosition(records[2], position), Outcome::Ok);
  EXPECT_EQ(position, 3);
  struct Case {
    int index;  // 1 part number, 2 PN2
    const char* text;
    int mode;
    Outcome outcome;
    const char* pn;
  } cases[] = {
      {1, "B", store::kFindEqual, Outcome::Ok, "B"},          {1, "BB", store::kFindEqual, Outcome::NotFound, ""},
      {1, "B", store::kFindGreater, Outcome::Ok, "D"},        {1, "C", store::kFindEqualOrGreater, Outcome::Ok, "D"},
      {1, "B", store::kFindLess, Outcome::Ok, "A"},           {1, "C", store::kFindEqualOrLess, Outcome::Ok, "B"},
      {1, "HA", store::kFindGreater, Outcome::NotFound, ""},  {2, "ALT-B", store::kFindEqual, Outcome::Ok, "B"},
      {2, "ALT-A", store::kFindGreater, Outcome::Ok, "B"},    {2, "ALT-C", store::kFindLess, Outcome::Ok, "D"},
      {2, "ALT-HA", store::kFindEqualOrGreater, Outcome::Ok, "HA"},
  };
  // Exact finds of numbers read ahead (as a recall does) answer the same.
  const std::string ahead[] = {"B", "BB", "D"};
  lib->readAhead(ahead);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.index) + " " + c.text + " mode " + std::to_string(c.mode));
    LibEntry e;
    EXPECT_EQ(c.index == 1 ? lib->findPn(c.text, e, c.mode) : lib->findPn2(c.text, e, c.mode), c.outcome);
    EXPECT_EQ(c.outcome == Outcome::Ok ? e.pn : "", c.pn);
  }
  LibEntry e;
  ASSERT_EQ(lib->findType(403, false, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "A");
  ASSERT_EQ(lib->findType(401, true, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "HA");
  // The neighbours of "D" after someone deleted it.
  LibEntry gone;
  ASSERT_EQ(lib->read(records[3], gone), Outcome::Ok);
  ASSERT_EQ(lib->remove("D"), Outcome::Ok);
  EXPECT_EQ(lib->findPn("D", e), Outcome::NotFound);  // the change forgot what was read ahead
  EXPECT_EQ(lib->read(records[3], e), Outcome::NotFound);
  ASSERT_EQ(lib->next(gone, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "A");
  ASSERT_EQ(lib->previous(gone, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "B");
  EXPECT_EQ(lib->remove("D"), Outcome::NotFound);
}

TEST_P(LibraryHomes, SearchFromTheTopAndFromTheCurrentRecord) {
  auto lib = create();
  ASSERT_TRUE(lib);
  for (const char* pn : {"X470", "A147", "C2", "B47"}) ASSERT_EQ(lib->add(*samplePart(401, false, pn)), Outcome::Ok);
  LibEntry e;
  ASSERT_EQ(lib->search("47", false, -1, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "A147");
  ASSERT_EQ(lib->search("47", false, e.record, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "B47");
  ASSERT_EQ(lib->search("47", false, e.record, e), Outcome::Ok);
  EXPECT_EQ(e.pn, "X470");
  EXPECT_EQ(lib->search("47", false, e.record, e), Outcome::NotFound);
  ASSERT_EQ(lib->search("T-C", true, -1, e), Outcome::Ok);
  EXPECT_EQ(e.pn2, "ALT-C2");
}

TEST_P(LibraryHomes, HeaderTextsAreBoundedAsTheFileKeepsThem) {
  auto lib = create();
  ASSERT_TRUE(lib);
  HeaderTexts texts;
  ASSERT_TRUE(lib->readHeader(texts));
  EXPECT_EQ(texts.description, "Library Description");
  ASSERT_TRUE(lib->writeHeader({std::string(500, 'd'), "Title", std::string(600, 'x')}));
  ASSERT_TRUE(lib->readHeader(texts));
  EXPECT_EQ(texts.description, std::string(132, 'd'));
  EXPECT_EQ(texts.notesTitle, "Title");
  EXPECT_EQ(texts.notes, std::string(543, 'x'));
}

TEST_P(LibraryHomes, ARecordBeingEditedIsRefusedToOthersNamingTheHolder) {
  auto lib = create();
  ASSERT_TRUE(lib);
  std::int32_t record = 0;
  ASSERT_EQ(lib->add(*samplePart(401, false, "HELD"), &record), Outcome::Ok);
  StoreMessage error;
  auto other = PartLibrary::open(where, true, error);
  ASSERT_TRUE(other) << error.text();
  auto changed = samplePart(401, false, "HELD");
  changed->DESCR = "replaced";
  // While the other user's sheet is open, every change of the record is refused.
  ASSERT_EQ(other->edit(record,
                        [&](CPart& part) {
                          EXPECT_EQ(lib->replace(*changed), Outcome::Failed);
                          EXPECT_EQ(lib->error().what, "can not lock record");
                          EXPECT_EQ(lib->error().code, StatusCode::Locked);
                          const std::string holder =
                              GetParam() == Home::File ? "another process" : "kestrel ";
                          EXPECT_EQ(lib->error().detail.rfind("record is locked by " + holder, 0), 0u)
                              << lib->error().detail;
                          EXPECT_EQ(lib->remove("HELD"), Outcome::Failed);
                          part.DESCR = "edited";
                          return true;
                        }),
            Outcome::Ok)
      << other->error().text();
  LibEntry e;
  std::unique_ptr<CPart> part;
  ASSERT_EQ(lib->findPn("HELD", e), Outcome::Ok);
  ASSERT_TRUE(lib->partOf(e, part));
  EXPECT_EQ(part->DESCR, "edited");
  ASSERT_EQ(lib->replace(*changed), Outcome::Ok);
}

TEST_P(LibraryHomes, CrossReferencesAreUpperCasedOrderedAndFoundByLibraryNumber) {
  where = name(".xrf");
  StoreMessage error;
  auto x = XRefFile::create(where, error);
  ASSERT_TRUE(x) << error.text();
  ASSERT_EQ(x->add({"mil-r-1", "LIB-1", "T", "N"}), Outcome::Ok);
  ASSERT_EQ(x->add({"AC100", "lib-1", "", ""}), Outcome::Ok);
  ASSERT_EQ(x->add({"B7", "LIB-0", "", ""}), Outcome::Ok);
  EXPECT_EQ(x->add({"Ac100", "LIB-2", "", ""}), Outcome::Duplicate);
  EXPECT_FALSE(PartLibrary::open(where, false, error));
  std::vector<std::string> order;
  XRefEntry e;
  for (Outcome o = x->first(e); o == Outcome::Ok; o = x->next(XRefEntry(e), e)) order.push_back(e.pn);
  EXPECT_EQ(order, (std::vector<std::string>{"AC100", "B7", "MIL-R-1"}));
  ASSERT_EQ(x->findLibPn("lib-1", e), Outcome::Ok);
  EXPECT_EQ(e.pn, "MIL-R-1");  // the first of two by record
  EXPECT_EQ(e.xref.pn, "mil-r-1");
  ASSERT_EQ(x->findLibPn("LIB-1", e, store::kFindLess), Outcome::Ok);
  EXPECT_EQ(e.pn, "B7");
  EXPECT_EQ(x->find("AB", false, e), Outcome::NotFound);  // AC100 is later but does not begin with AB
  EXPECT_EQ(x->find("ac", false, e), Outcome::Ok);
  ASSERT_EQ(x->edit("MIL-R-1", [](CXRef& r) { r.pn = "ac100"; return true; }), Outcome::Duplicate);
  ASSERT_EQ(x->edit("MIL-R-1", [](CXRef& r) { r.notes = "M"; return true; }), Outcome::Ok);
  ASSERT_EQ(x->findPn("Mil-R-1", e), Outcome::Ok);
  EXPECT_EQ(e.xref.notes, "M");
  ASSERT_EQ(x->remove("ac100"), Outcome::Ok);
  EXPECT_EQ(x->count(), 2);
}


TEST_P(LibraryHomes, ACancelledCopyLeavesNoRecordsBehind) {
  auto source = newLibrary(dir, "source.lib");
  ASSERT_TRUE(source);
  for (const char* pn : {"A", "B", "C"}) ASSERT_EQ(source->add(*samplePart(401, false, pn)), Outcome::Ok);
  ASSERT_TRUE(source->close());
  const std::string target = name(".lib");
  kestrel::test::RecordingUi ui;
  ui.cancel = true;
  const CopyOutcome out = copyLibrary(dir.file("source.lib"), target, ui);
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(out.failure.code(), StatusCode::Cancelled);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Cancel copy?"});
  // The new library is gone again from either home.
  StoreMessage error;
  EXPECT_FALSE(PartLibrary::open(target, false, error));
  EXPECT_EQ(error.code, StatusCode::NotFound) << error.text();
  EXPECT_TRUE(out.leftBehind.empty());
}

// A merge cancelled after its first record: a database undoes it whole and
// says so; a file keeps what went in before the question.
TEST_P(LibraryHomes, ACancelledMergeIsUndoneWholeInADatabase) {
  auto input = newLibrary(dir, "input.lib");
  ASSERT_TRUE(input);
  for (const char* pn : {"A", "B", "C"}) ASSERT_EQ(input->add(*samplePart(401, false, pn)), Outcome::Ok);
  ASSERT_TRUE(input->close());
  auto lib = create();
  ASSERT_TRUE(lib);
  kestrel::test::RecordingUi ui;
  ui.cancel = true;
  const MergeOutcome out = mergeLibrary(*lib, dir.file("input.lib"), ui);
  EXPECT_TRUE(out.cancelled);
  const bool database = GetParam() == Home::Database;
  EXPECT_EQ(listed(*lib), database ? std::vector<std::string>{} : std::vector<std::string>{"A"});
  EXPECT_EQ(out.counters.succeed, database ? 0 : 1);
  EXPECT_EQ(ui.logLines.back() == "...Undone: none of the records was kept.", database);
}

// A short slice of the many-users run (library_many_users_stress_test.cpp).
TEST_P(LibraryHomes, ThreeUsersForFiveSecondsLoseAndDuplicateNothing) {
  const ManyUsersFigures f = runManyUsers({name(".lib"), dir.file(""), 3, 5});
  EXPECT_EQ(f.failures, 0) << f.first;
  EXPECT_EQ(f.lost + f.duplicated + f.unexpected, 0) << f.first;
  EXPECT_GT(f.added, 0);
  EXPECT_GT(f.deleted, 0);
}

INSTANTIATE_TEST_SUITE_P(Both, LibraryHomes, ::testing::Values(Home::File, Home::Database),
                         [](const auto& info) { return info.param == Home::File ? "File" : "Database"; });

class DatabaseHome : public LibraryHomes {};

TEST_P(DatabaseHome, PartsAreStoredWithTheFilesBytes) {
  auto lib = create();
  ASSERT_TRUE(lib);
  auto file = newLibrary(dir);
  ASSERT_TRUE(file);
  int n = 0;
  for (bool hybrid : {false, true}) {
    for (std::uint16_t type : registeredTypes(hybrid)) {
      auto part = samplePart(type, hybrid, "P" + std::to_string(++n));
      ASSERT_EQ(lib->addStamped(*part, 1000 + n), Outcome::Ok) << lib->error().text();
      ASSERT_EQ(file->addStamped(*part, 1000 + n), Outcome::Ok);
    }
  }
  LibEntry a, b;
  Outcome oa = lib->first(a), ob = file->first(b);
  for (; oa == Outcome::Ok && ob == Outcome::Ok; oa = lib->next(LibEntry(a), a), ob = file->next(LibEntry(b), b)) {
    EXPECT_EQ(a.pn, b.pn);
    EXPECT_EQ(a.blob, b.blob) << a.pn;
    EXPECT_EQ(a.stamp, b.stamp);
  }
  EXPECT_EQ(oa, Outcome::End);
  EXPECT_EQ(ob, Outcome::End);
}

TEST_P(DatabaseHome, ForeignVersionsAreRefused) {
  ASSERT_TRUE(create());
  const std::string schema = "\"" + where.substr(where.rfind('=') + 1) + "\"";
  struct Case {
    const char* change;
    const char* detail;
  } cases[] = {
      {"version = 50099", "version '50099' is not 50100"},
      {"schema_version = 2", "the library's tables are of version 2, this program reads version 1"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sql("UPDATE " + schema + ".header SET " + c.change));
    StoreMessage error;
    EXPECT_FALSE(PartLibrary::open(where, false, error));
    EXPECT_EQ(error.what, "file version error");
    EXPECT_EQ(error.detail, c.detail);
    ASSERT_TRUE(sql("UPDATE " + schema + ".header SET version = 50100, schema_version = 1"));
  }
  StoreMessage error;
  EXPECT_FALSE(XRefFile::open(where, false, error));
  EXPECT_EQ(error.detail, "'" + where.substr(where.rfind('=') + 1) + "' is a parts library");
}

TEST_P(DatabaseHome, AJobUndoneOrCutOffLeavesTheLibraryAsItWas) {
  auto lib = create();
  ASSERT_TRUE(lib);
  ASSERT_EQ(lib->add(*samplePart(401, false, "KEPT")), Outcome::Ok);
  ASSERT_TRUE(lib->beginJob());
  ASSERT_EQ(lib->add(*samplePart(401, false, "J1")), Outcome::Ok);
  ASSERT_EQ(lib->remove("KEPT"), Outcome::Ok);
  ASSERT_TRUE(lib->endJob(false));
  EXPECT_EQ(listed(*lib), std::vector<std::string>{"KEPT"});

  ASSERT_TRUE(lib->beginJob());
  ASSERT_EQ(lib->add(*samplePart(401, false, "J2")), Outcome::Ok);
  ASSERT_TRUE(sql("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity WHERE application_name LIKE 'kestrel %'"));
  EXPECT_EQ(lib->add(*samplePart(401, false, "J3")), Outcome::Failed);
  EXPECT_EQ(lib->error().context, "'" + where + "'");
  EXPECT_EQ(lib->error().code, StatusCode::Io);
  EXPECT_EQ(lib->error().detail.rfind("the connection to the database was lost: ", 0), 0u) << lib->error().detail;
  EXPECT_NE(lib->error().detail.find("the changes of this job were undone"), std::string::npos);
  EXPECT_FALSE(lib->endJob(true));
  StoreMessage error;
  auto again = PartLibrary::open(where, false, error);
  ASSERT_TRUE(again) << error.text();
  EXPECT_EQ(listed(*again), std::vector<std::string>{"KEPT"});
}


TEST_P(DatabaseHome, ALibraryCopiedIntoTheDatabaseAndBackIsTheSameRecordForRecord) {
  auto source = newLibrary(dir, "source.lib");
  ASSERT_TRUE(source);
  int n = 0;
  for (bool hybrid : {false, true}) {
    for (std::uint16_t type : registeredTypes(hybrid)) {
      ++n;
      ASSERT_EQ(source->addStamped(*samplePart(type, hybrid, "P" + std::to_string(n)), 1000 + n), Outcome::Ok);
    }
  }
  const HeaderTexts texts{"Approved parts", "Owner", "Kept by the reliability group"};
  ASSERT_TRUE(source->writeHeader(texts));
  const std::string there = name(".lib"), back = dir.file("back.lib");
  kestrel::test::RecordingUi ui;
  for (const auto& [from, to] : {std::pair{dir.file("source.lib"), there}, std::pair{there, back}}) {
    const CopyOutcome out = copyLibrary(from, to, ui);
    ASSERT_TRUE(out.ok) << out.failure.message();
    EXPECT_EQ(out.copied, n);
  }
  StoreMessage error;
  for (const std::string& copy : {there, back}) {
    auto lib = PartLibrary::open(copy, false, error);
    ASSERT_TRUE(lib) << error.text();
    HeaderTexts got;
    ASSERT_TRUE(lib->readHeader(got));
    EXPECT_EQ(std::tie(got.description, got.notesTitle, got.notes),
              std::tie(texts.description, texts.notesTitle, texts.notes));
    LibEntry a, b;
    Outcome oa = source->first(a), ob = lib->first(b);
    for (; oa == Outcome::Ok && ob == Outcome::Ok; oa = source->next(LibEntry(a), a), ob = lib->next(LibEntry(b), b)) {
      EXPECT_EQ(std::tie(a.pn, a.pn2, a.type, a.hybrid, a.stamp), std::tie(b.pn, b.pn2, b.type, b.hybrid, b.stamp));
      EXPECT_EQ(a.blob, b.blob) << copy << ": " << a.pn;
    }
    EXPECT_EQ(oa, Outcome::End);
    EXPECT_EQ(ob, Outcome::End) << copy;
  }
}

INSTANTIATE_TEST_SUITE_P(Only, DatabaseHome, ::testing::Values(Home::Database),
                         [](const auto&) { return "Database"; });

}  // namespace
}  // namespace kestrel::library::test
