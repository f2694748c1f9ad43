#include "core/archive.hpp"

#include <gtest/gtest.h>

#include <random>

#include "core/circ_header.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

std::vector<std::uint8_t> encodeText(const std::string& text) {
  Archive ar = Archive::forWriting();
  std::string copy = text;
  ar.io(copy);
  return ar.bytes();
}

struct PrefixCase {
  std::size_t length;
  std::vector<std::uint8_t> prefix;
};

class TextPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(TextPrefix, UsesTheShortestFormAndReadsBack) {
  const std::string text(GetParam().length, 'k');
  const auto bytes = encodeText(text);
  const auto& prefix = GetParam().prefix;
  ASSERT_EQ(bytes.size(), prefix.size() + text.size());
  EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin()));
  Archive in = Archive::forReading(bytes, "t");
  std::string back;
  in.io(back);
  EXPECT_TRUE(in.ok());
  EXPECT_EQ(back, text);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, TextPrefix,
    ::testing::Values(PrefixCase{0, {0x00}}, PrefixCase{9, {0x09}}, PrefixCase{254, {0xFE}},
                      PrefixCase{255, {0xFF, 0xFF, 0x00}}, PrefixCase{65533, {0xFF, 0xFD, 0xFF}},
                      PrefixCase{65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                      PrefixCase{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

TEST(Archive, ReadsWideText) {
  const std::vector<std::uint8_t> bytes = {0xFF, 0xFE, 0xFF, 0x03, 'A', 0, 'b', 0, 0x34, 0x12};
  Archive in = Archive::forReading(bytes, "t");
  std::string text;
  in.io(text);
  ASSERT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(text, "Ab?");
}

struct DamagedCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
};

class DamagedText : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedText, FailsWithoutReadingPastTheEnd) {
  Archive in = Archive::forReading(GetParam().bytes, "t");
  std::string text;
  in.io(text);
  EXPECT_FALSE(in.ok());
  EXPECT_TRUE(text.empty());
  std::uint32_t after = 7;
  in.io(after);  // a failed archive reads zeros from then on
  EXPECT_EQ(after, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedText,
    ::testing::Values(DamagedCase{"Empty", {}}, DamagedCase{"ShortBody", {0x05, 'a', 'b'}},
                      DamagedCase{"CutPrefix", {0xFF, 0x10}},
                      DamagedCase{"HugeLength", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
                      DamagedCase{"WideTooLong", {0xFF, 0xFE, 0xFF, 0x09, 'A', 0}},
                      DamagedCase{"WideTwice", {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartObjects, SecondRecordOfAClassUsesItsIndexTag) {
  test::registerTestParts();
  Archive out = Archive::forWriting();
  auto a = test::fixedPart(1.0, "A");
  auto b = test::fixedPart(2.0, "B");
  writePartObject(out, *a);
  const std::size_t firstSize = out.bytes().size();
  writePartObject(out, *b);
  const auto& bytes = out.bytes();
  // new class: FFFF, schema 0, name length 5, "CMisc"
  const std::vector<std::uint8_t> head = {0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00, 'C', 'M', 'i', 's', 'c'};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  // the class took index 1, so the second record's tag is 0x8001 (bytes 01 80)
  EXPECT_EQ(bytes[firstSize], 0x01);
  EXPECT_EQ(bytes[firstSize + 1], 0x80);

  Archive in = Archive::forReading(bytes, "t");
  auto ra = readPartObject(in);
  auto rb = readPartObject(in);
  ASSERT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(ra->PN, "A");
  EXPECT_EQ(static_cast<CMisc&>(*rb).BASEFR, 2.0f);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(PartObjects, RefusesUnknownClassAndBadTags) {
  test::registerTestParts();
  const std::vector<std::vector<std::uint8_t>> cases = {
      {0xFF, 0xFF, 0x00, 0x00, 0x04, 0x00, 'C', 'Z', 'Z', 'Z'},  // class not registered
      {0x05, 0x80},                                              // index never named
      {0x00, 0x00},                                              // empty entry
      {0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00, 'C', 'M', 'i', 's', 'c'},  // unknown schema
      {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF},                           // name runs past the end
  };
  for (const auto& bytes : cases) {
    Archive in = Archive::forReading(bytes, "t");
    EXPECT_EQ(readPartObject(in), nullptr);
    EXPECT_FALSE(in.ok());
  }
}

TEST(PartObjects, OutOfListChoiceIsClampedAndFlagged) {
  test::registerTestParts();
  auto part = test::fixedPart(1.0);
  part->METHOD = 77;
  part->SMT_LEAD = 0;
  Archive out = Archive::forWriting();
  writePartObject(out, *part);
  Archive in = Archive::forReading(out.bytes(), "t");
  auto back = readPartObject(in);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(static_cast<CMisc&>(*back).METHOD, 2);
  EXPECT_EQ(back->SMT_LEAD, 1);
  EXPECT_NE(back->OverFlags & EntryOverRange, 0u);
}

// Random damage to a valid record list never crashes or hangs the reader.
TEST(PartObjects, SurvivesRandomMutation) {
  test::registerTestParts();
  Archive out = Archive::forWriting();
  for (int i = 0; i < 4; ++i) writePartObject(out, *test::fixedPart(i, "P" + std::to_string(i)));
  const auto good = out.bytes();
  std::mt19937 rng(1234);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = good;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
    if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
    Archive in = Archive::forReading(bytes, "t");
    for (int i = 0; i < 4 && in.ok(); ++i) (void)readPartObject(in);
    EXPECT_LE(in.position(), bytes.size());
  }
}

TEST(HeaderArchive, RoundTripsEveryField) {
  CCircHeader h;
  h.DESCR = "Power supply";
  h.ENV = 7;
  h.TEMP = -40.5f;
  h.HASSMT = 1;
  h.SMTBOARD = 23;
  h.TotalFR = 12.25;
  h.TypeList[3] = 401;
  h.TypeFRShare[75] = 3.5f;
  h.RecordCount = 2;
  Archive out = Archive::forWriting();
  h.Serialize(out, 16000);
  Archive in = Archive::forReading(out.bytes(), "t");
  CCircHeader back;
  back.Serialize(in, 16000);
  ASSERT_TRUE(in.ok()) << in.error();
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_EQ(back.DESCR, "Power supply");
  EXPECT_EQ(back.ENV, 7);
  EXPECT_FLOAT_EQ(back.TEMP, -40.5f);
  EXPECT_EQ(back.SMTBOARD, 23);
  EXPECT_DOUBLE_EQ(back.TotalFR, 12.25);
  EXPECT_EQ(back.TypeList[3], 401);
  EXPECT_FLOAT_EQ(back.TypeFRShare[75], 3.5f);
  // 6 u16 + 7 texts-or-bytes ... the whole header is a fixed layout once texts are known
  EXPECT_EQ(out.bytes().size(), 2u + 2 + 2 + 13 + 1 + 4 + 4 + 1 + 4 + 4 + 1 + 1 + 1 + 1 + 4 + 1 + 4 +
                                    8 + 4 * 4 + 2 + 4 + 1 + 4 + 1 + 4 + 1 + 4 + 8 * 3 + 4 + 8 * 6 +
                                    76 * 2 + 76 * 4 * 4);
}

struct HeaderCheckCase {
  std::uint16_t version;
  std::uint16_t count;
  const char* message;
};

class HeaderChecks : public ::testing::TestWithParam<HeaderCheckCase> {};

TEST_P(HeaderChecks, RefuseVersionAndCountWithTheirMessages) {
  CCircHeader h;
  h.FileVersion = GetParam().version;
  h.RecordCount = GetParam().count;
  Archive out = Archive::forWriting();
  h.Serialize(out, 16000);
  Archive in = Archive::forReading(out.bytes(), "t");
  CCircHeader back;
  back.Serialize(in, 16000);
  EXPECT_EQ(in.error(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderChecks,
    ::testing::Values(
        HeaderCheckCase{50099, 1, "File version error...\n...InVer=50099, ReqVer=50100."},
        HeaderCheckCase{50101, 1, "File version error...\n...InVer=50101, ReqVer=50100."},
        HeaderCheckCase{50100, 16001, "Too many records...\n...InRecs=16001, MaxRecs=16000."},
        HeaderCheckCase{50100, 16000, ""}));

TEST(HeaderArchive, NonFiniteResultsStillLoad) {
  CCircHeader h;
  h.MTBF = std::numeric_limits<double>::infinity();
  h.TotalFR = std::numeric_limits<double>::quiet_NaN();
  Archive out = Archive::forWriting();
  h.Serialize(out, 16000);
  Archive in = Archive::forReading(out.bytes(), "t");
  CCircHeader back;
  back.Serialize(in, 16000);
  EXPECT_TRUE(in.ok());
  EXPECT_TRUE(std::isinf(back.MTBF));
  EXPECT_TRUE(std::isnan(back.TotalFR));
}

}  // namespace
}  // namespace kestrel
