#include "core/keywords/catalogue.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.hpp"
#include "core/keywords/keyword_record.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

TEST(KeywordCatalogue, HoldsExactly295Keywords) {
  EXPECT_EQ(keywordCatalogue().size(), 295u);
  EXPECT_EQ(kCatalogueSize, 295u);
}

TEST(KeywordCatalogue, NamesAreUniqueUpperCaseAndFitTheirSlot) {
  std::set<std::string_view> seen;
  for (const KeywordInfo& k : keywordCatalogue()) {
    EXPECT_TRUE(seen.insert(k.name).second) << "duplicate " << k.name;
    EXPECT_LE(k.name.size(), 32u) << k.name;
    EXPECT_EQ(std::string(k.name), upperCased(k.name)) << k.name;
  }
  EXPECT_EQ(seen.count(kCatalogueEndMarker), 0u);
}

TEST(KeywordCatalogue, EveryValueTypeIsTextNumOrChoice) {
  for (const KeywordInfo& k : keywordCatalogue()) {
    const auto type = static_cast<int>(k.type);
    EXPECT_TRUE(type >= 1 && type <= 3) << k.name << " has type " << type;
  }
}

TEST(KeywordCatalogue, RangesAreOrderedAndOnlyOnNumbers) {
  for (const KeywordInfo& k : keywordCatalogue()) {
    if (k.type == KeywordType::Num) {
      EXPECT_LE(k.lo, k.hi) << k.name;
    } else {
      EXPECT_EQ(k.lo, 0.0) << k.name;
      EXPECT_EQ(k.hi, 0.0) << k.name;
    }
  }
}

TEST(KeywordCatalogue, HeaderBaseAndCrossReferenceKeywordsComeFirstInOrder) {
  const std::vector<std::string_view> expected = {
      "HEADER_FILETYPE", "HEADER_DESCR", "HEADER_ENV", "HEADER_TEMP", "HEADER_CF",
      "HEADER_MODEL", "HEADER_#REQ", "HEADER_HYBFUNC", "HEADER_HYBLEARN", "HEADER_HYBYEARS",
      "HEADER_HYBQU", "HEADER_HYBQUCUSTOM", "HEADER_HASSMT", "HEADER_SMTLIFE", "HEADER_SMTEQUIP",
      "HEADER_SMTCYCLERATE", "HEADER_SMTBOARD", "HEADER_BOARDTCE", "HEADER_SMTDIFFMODE",
      "HEADER_TEMPDIFF", "HEADER_NOTESTITLE", "HEADER_NOTES", "PART_TYPE", "IS_HYBRID", "PN",
      "NEWPN", "PN2", "REFDES", "DESCR", "LCN", "QTY", "CF", "TEMPLIMIT", "STRESSLIMIT", "IS_SMT",
      "SMT_PKG", "SMT_LEAD", "SMT_DIST", "SMT_HT", "SMT_TRISEMODE", "SMT_TEMPRISE", "NOTESTITLE",
      "NOTES", "XREF_HEADER_DESCR", "XREF_HEADER_NOTESTITLE", "XREF_HEADER_NOTES", "XREF_PN",
      "XREF_LIBPN", "XREF_NOTESTITLE", "XREF_NOTES"};
  ASSERT_EQ(expected.size(), 50u);
  const auto catalogue = keywordCatalogue();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(catalogue[i].name, expected[i]) << "position " << i;
    EXPECT_EQ(catalogue[i].className, "") << catalogue[i].name;
  }
}

struct Group {
  std::string_view prefix;
  std::size_t count;
  std::string_view className;
};

// The part-class groups follow the first 50 keywords, contiguous, in this order.
TEST(KeywordCatalogue, ClassGroupsFollowInOrderWithTheirSizesAndOwners) {
  const std::vector<Group> groups = {
      {"IC_", 21, "CIC_Logic"},     {"VLSI_", 17, "CVLSI"},         {"MMIC_", 17, "CMMIC"},
      {"BUB_", 10, "CBubble"},      {"SAW_", 1, "CSAWDevice"},      {"TR_", 16, "CTransistor"},
      {"DIO_", 18, "CDiode"},       {"MTR_", 20, "CMTrans"},        {"OPTO_", 13, "COpto"},
      {"LASDIO_", 8, "CLaserDiode"}, {"RES_", 9, "CResistor"},      {"POT_", 9, "CPotentiometer"},
      {"CAP_", 10, "CCapacitor"},   {"IND_", 3, "CInductive"},      {"ROTATE_", 7, "CRotate"},
      {"RELAY_", 12, "CRelay"},     {"SW_", 10, "CSwitch"},         {"CONN_", 8, "CConnector"},
      {"BD_", 5, "CCircuitBoard"},  {"CX_", 2, "CConnections"},     {"TUBE_", 7, "CTube"},
      {"METER_", 3, "CMeter"},      {"CRYS_", 2, "CCrystal"},       {"LAMP_", 3, "CLamp"},
      {"FILT_", 3, "CFilter"},      {"MDEV_", 2, "CMDev"},          {"MISC_", 5, "CMisc"},
      {"SUBCIRC_", 2, "CSubCircuit"}, {"SUBHYB_", 2, "CSubHybrid"}};
  const auto catalogue = keywordCatalogue();
  std::size_t pos = 50;
  for (const Group& g : groups) {
    for (std::size_t i = 0; i < g.count; ++i, ++pos) {
      ASSERT_LT(pos, catalogue.size()) << g.prefix;
      EXPECT_TRUE(catalogue[pos].name.starts_with(g.prefix))
          << "position " << pos << ": " << catalogue[pos].name << " in group " << g.prefix;
      EXPECT_EQ(catalogue[pos].className, g.className) << catalogue[pos].name;
    }
  }
  EXPECT_EQ(pos, catalogue.size());
}

// Within a group the keywords follow the class's field order; these pairs
// are neighbours where the order is easiest to get wrong.
TEST(KeywordCatalogue, KeywordsFollowTheirClassFieldOrder) {
  const std::vector<std::pair<std::string_view, std::string_view>> neighbours = {
      {"IC_DESLIFE", "IC_TEMPMODE"}, {"IC_TEMPMODE", "IC_PD"},   {"IC_PD", "IC_RJC"},
      {"IC_TCA", "IC_TJA"},          {"IC_TJA", "IC_TEMP"},      {"IC_TEMP", "VLSI_TYPE"},
      {"VLSI_VOLTS", "VLSI_TEMPMODE"}, {"TR_PMAX", "TR_VCEO"},   {"TR_VCEO", "TR_VCE"},
      {"DIO_VSTRESS", "DIO_TEMPMODE"}, {"MTR_DC", "MTR_QU"},     {"RES_STRESSMODE", "RES_PSTRESS"},
      {"RES_PSTRESS", "RES_TRISE"},  {"CAP_QU", "CAP_CIRCR"},    {"BD_QU", "CX_TYPE"},
      {"METER_FUNCTION", "METER_QU"}, {"NOTES", "XREF_HEADER_DESCR"}, {"SUBCIRC_DC", "SUBHYB_FILENAME"}};
  for (const auto& [first, second] : neighbours) {
    const auto a = keywordIndex(first);
    const auto b = keywordIndex(second);
    ASSERT_TRUE(a && b) << first << " / " << second;
    EXPECT_EQ(*a + 1, *b) << first << " should be directly followed by " << second;
  }
}

struct TypeCase {
  std::string_view keyword;
  KeywordType type;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.keyword; }

class KeywordValueType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(KeywordValueType, MatchesTheFieldItFills) {
  const KeywordInfo* info = findKeyword(GetParam().keyword);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->type, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordCatalogue, KeywordValueType,
    ::testing::Values(TypeCase{"HEADER_FILETYPE", KeywordType::Choice},
                      TypeCase{"HEADER_DESCR", KeywordType::Text},
                      TypeCase{"HEADER_ENV", KeywordType::Choice},
                      TypeCase{"HEADER_TEMP", KeywordType::Num},
                      TypeCase{"HEADER_#REQ", KeywordType::Num},
                      TypeCase{"HEADER_HASSMT", KeywordType::Num},
                      TypeCase{"HEADER_SMTBOARD", KeywordType::Choice},
                      TypeCase{"PART_TYPE", KeywordType::Text},
                      TypeCase{"IS_HYBRID", KeywordType::Num},
                      TypeCase{"NEWPN", KeywordType::Text}, TypeCase{"QTY", KeywordType::Num},
                      TypeCase{"IS_SMT", KeywordType::Num},
                      TypeCase{"SMT_LEAD", KeywordType::Choice},
                      TypeCase{"SMT_TEMPRISE", KeywordType::Num},
                      TypeCase{"XREF_LIBPN", KeywordType::Text},
                      TypeCase{"IC_COMPLEX", KeywordType::Num},
                      TypeCase{"IC_TEMPMODE", KeywordType::Choice},
                      TypeCase{"IC_TEMP", KeywordType::Num},
                      TypeCase{"DIO_CONTACTS", KeywordType::Choice},
                      TypeCase{"RELAY_RATING", KeywordType::Choice},
                      TypeCase{"CONN_CYCLE", KeywordType::Choice},
                      TypeCase{"CX_QTY", KeywordType::Num},
                      TypeCase{"MDEV_RATING", KeywordType::Choice},
                      TypeCase{"MISC_TNORMAL", KeywordType::Num},
                      TypeCase{"SUBCIRC_FILENAME", KeywordType::Text},
                      TypeCase{"SUBHYB_DC", KeywordType::Num}),
    [](const auto& info) {
      std::string name(info.param.keyword);
      for (char& c : name) {
        if (c == '#') c = 'N';
      }
      return name;
    });

struct LookupCase {
  const char* label;
  std::string_view query;
  std::optional<std::string_view> found;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.label; }

class KeywordLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(KeywordLookup, FindsByUpperCasedExactName) {
  const LookupCase& c = GetParam();
  const KeywordInfo* info = findKeyword(c.query);
  const auto index = keywordIndex(c.query);
  if (!c.found) {
    EXPECT_EQ(info, nullptr);
    EXPECT_FALSE(index.has_value());
    return;
  }
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->name, *c.found);
  ASSERT_TRUE(index.has_value());
  EXPECT_EQ(&keywordCatalogue()[*index], info);
}

INSTANTIATE_TEST_SUITE_P(
    KeywordCatalogue, KeywordLookup,
    ::testing::Values(LookupCase{"UpperCase", "RES_PSTRESS", "RES_PSTRESS"},
                      LookupCase{"LowerCase", "res_pstress", "RES_PSTRESS"},
                      LookupCase{"MixedCase", "Header_#Req", "HEADER_#REQ"},
                      LookupCase{"ShortNameNotAPrefixMatch", "pn", "PN"},
                      LookupCase{"LastEntry", "subhyb_dc", "SUBHYB_DC"},
                      LookupCase{"PrefixOnly", "RES_", std::nullopt},
                      LookupCase{"TrailingBlank", "PN ", std::nullopt},
                      LookupCase{"EndMarkerIsNoKeyword", "LAST_DUMMY", std::nullopt},
                      LookupCase{"Empty", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(KeywordRecords, NewDefinitionHasOneUnmappedRecordPerKeywordInOrder) {
  const std::vector<CKwd> records = defaultKeywordRecords();
  const auto catalogue = keywordCatalogue();
  ASSERT_EQ(records.size(), catalogue.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].name, catalogue[i].name);
    EXPECT_EQ(records[i].valueType, static_cast<std::uint8_t>(catalogue[i].type));
    EXPECT_EQ(records[i].fieldNumber, 0.0f) << records[i].name;
    EXPECT_EQ(records[i].subStart, 0.0f);
    EXPECT_EQ(records[i].subLength, 0.0f);
    EXPECT_EQ(records[i].valueOption, 0);
  }
}

TEST(KeywordRecords, SerializeWritesFieldsInOrderAndReadsThemBack) {
  CKwd out;
  out.name = "IC_TEMP";
  out.valueType = 2;
  out.fieldNumber = 12.0f;
  out.subStart = 3.0f;
  out.subLength = 4.0f;
  out.valueOption = 2;
  Archive writer = Archive::forWriting();
  out.Serialize(writer);
  const std::vector<std::uint8_t>& bytes = writer.bytes();
  // 1 length byte + 7 characters, type byte, three floats, option byte.
  ASSERT_EQ(bytes.size(), 1u + 7u + 1u + 12u + 1u);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 8), "IC_TEMP");
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes[9 + 4 + 4 + 4], 2);  // the option comes last

  Archive reader = Archive::forReading(bytes, "test");
  CKwd in;
  in.Serialize(reader);
  ASSERT_TRUE(reader.ok()) << reader.error();
  EXPECT_EQ(in.name, out.name);
  EXPECT_EQ(in.valueType, out.valueType);
  EXPECT_EQ(in.fieldNumber, out.fieldNumber);
  EXPECT_EQ(in.subStart, out.subStart);
  EXPECT_EQ(in.subLength, out.subLength);
  EXPECT_EQ(in.valueOption, out.valueOption);
  EXPECT_EQ(reader.remaining(), 0u);
}

}  // namespace
}  // namespace kestrel
