// The record codec: key types (stored lengths and order), DataList checks
// and checksums, packed records and error texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "store/datalist.hpp"
#include "store/keys.hpp"
#include "store/record_codec.hpp"
#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

using Bytes = std::vector<std::uint8_t>;
const ByteOrder kLittle{false};
const ByteOrder kBig{true};

Bytes str(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }
Bytes pre(const std::string& s) {
  Bytes b{static_cast<std::uint8_t>(s.size())};
  b.insert(b.end(), s.begin(), s.end());
  return b;
}
Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// A number's bytes in the given order (floats by their bit pattern).
template <typename T>
Bytes num(T v, const ByteOrder& o = kLittle) {
  Bytes b(sizeof(T));
  if constexpr (sizeof(T) == 2) o.put16(b.data(), static_cast<std::uint16_t>(v));
  if constexpr (sizeof(T) == 4) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    o.put32(b.data(), bits);
  }
  if constexpr (sizeof(T) == 8) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    o.put64(b.data(), bits);
  }
  return b;
}
int sign(int c) { return (c > 0) - (c < 0); }

struct OrderCase {
  const char* name;
  int type;
  Bytes a, b;
  int expected;  // sign of compare(a, b)
};

class KeyOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(KeyOrder, ComparesAsItsTypeSays) {
  const OrderCase& c = GetParam();
  EXPECT_EQ(sign(compareTyped(c.type, kLittle, c.a, c.b, nullptr)), c.expected);
  EXPECT_EQ(sign(compareTyped(c.type, kLittle, c.b, c.a, nullptr)), -c.expected) << "not antisymmetric";
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    StoreCases, KeyOrder,
    ::testing::Values(
        OrderCase{"StringBytewiseUnsigned", 0, str("a\xe9"), str("az"), 1},
        OrderCase{"StringPrefixFirst", 0, str("AB"), str("ABC"), -1},
        OrderCase{"StringCaseSensitive", 0, str("a"), str("B"), 1},
        OrderCase{"FoldedStringIgnoresAsciiCase", 1, str("abc"), str("ABC"), 0},
        OrderCase{"FoldedStringOrdersFolded", 1, str("a"), str("B"), -1},
        OrderCase{"PrefixedComparesContentNotLength", 2, pre("b"), pre("aa"), 1},
        OrderCase{"PrefixedEqualPrefixShorterFirst", 18, pre("ab"), pre("abc"), -1},
        OrderCase{"Int32ExtremesDoNotOverflow", 3, num<std::int32_t>(INT32_MIN), num<std::int32_t>(INT32_MAX), -1},
        OrderCase{"Int32SignedDifferenceExtremes", 5, num<std::int32_t>(INT32_MAX), num<std::int32_t>(-1), 1},
        OrderCase{"Int32NegativeBeforePositive", 5, num<std::int32_t>(-5), num<std::int32_t>(3), -1},
        OrderCase{"Int16Signed", 4, num<std::uint16_t>(0xFFFF), num<std::uint16_t>(1), -1},
        OrderCase{"UInt16Unsigned", 10, num<std::uint16_t>(0xFFFF), num<std::uint16_t>(1), 1},
        OrderCase{"UInt16NumericNotBytewise", 10, num<std::uint16_t>(256), num<std::uint16_t>(255), 1},
        OrderCase{"FloatNumeric", 6, num<float>(-1.5f), num<float>(0.25f), -1},
        OrderCase{"FloatZeroSignsEqual", 6, num<float>(-0.0f), num<float>(0.0f), 0},
        OrderCase{"FloatNaNAfterNumbers", 6, num<float>(kNaN), num<float>(1e30f), 1},
        OrderCase{"DoubleNumeric", 7, num<double>(1e-300), num<double>(-1e300), 1},
        OrderCase{"SixBytesBytewise", 9, Bytes{1, 2, 3, 4, 5, 6}, Bytes{1, 2, 3, 4, 5, 7}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyOrder, BigEndianNumbersCompareByValue) {
  EXPECT_LT(compareTyped(10, kBig, num<std::uint16_t>(255, kBig), num<std::uint16_t>(256, kBig), nullptr), 0);
  EXPECT_LT(compareTyped(3, kBig, num<std::int32_t>(-2, kBig), num<std::int32_t>(7, kBig), nullptr), 0);
}

TEST(CompoundKey, OrdersSegmentBySegmentDescendingWhereAsked) {
  const SegmentList segs = {{10, 0, 0, false}, {0, 1, 0, true}};
  auto key = [](std::uint16_t n, const std::string& s) {
    const Bytes body = join(num<std::uint16_t>(n), str(s));
    return join(Bytes{static_cast<std::uint8_t>(body.size())}, body);
  };
  EXPECT_LT(compareTyped(8, kLittle, key(1, "Z"), key(2, "A"), &segs), 0);  // first segment decides
  EXPECT_LT(compareTyped(8, kLittle, key(2, "B"), key(2, "A"), &segs), 0);  // second descending
  EXPECT_EQ(compareTyped(8, kLittle, key(2, "A"), key(2, "A"), &segs), 0);
  // A part key (only the first segment) sorts before every full key with it.
  const Bytes part = join(Bytes{2}, num<std::uint16_t>(2));
  EXPECT_LT(compareTyped(8, kLittle, part, key(2, "A"), &segs), 0);
}

struct LengthCase {
  const char* name;
  int type;
  Bytes bytes;
  int length;
};

class StoredKeyLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(StoredKeyLength, FollowsTheType) {
  EXPECT_EQ(storedKeyLength(GetParam().type, GetParam().bytes), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    StoreCases, StoredKeyLength,
    ::testing::Values(LengthCase{"StringToTerminator", 0, Bytes{'a', 'b', 0, 'x'}, 3},
                      LengthCase{"StringWithoutTerminator", 1, Bytes{'a', 'b'}, -1},
                      LengthCase{"PrefixedByFirstByte", 2, Bytes{2, 'a', 'b', 'c'}, 3},
                      LengthCase{"PrefixedRunningPastTheBytes", 20, Bytes{5, 'a'}, -1},
                      LengthCase{"CompoundByFirstByte", 8, Bytes{0}, 1},
                      LengthCase{"FixedInt32", 5, Bytes{1, 2, 3, 4, 5}, 4},
                      LengthCase{"FixedTooShort", 7, Bytes{1, 2, 3}, -1},
                      LengthCase{"EmptyBytes", 0, Bytes{}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyTypes, ElevenToFifteenAndAboveTwentyAreInvalid) {
  for (int t = 0; t <= 31; ++t) EXPECT_EQ(validKeyType(t), t <= 10 || (t >= 16 && t <= 20)) << t;
}


TEST(RecordChecksum, AddsEachByteSignExtendedThenDoubles) {
  // ((0 + 1) * 2 + (-1)) * 2 = 2 ; unsigned: ((0 + 1) * 2 + 255) * 2 = 514
  const Bytes b{0x01, 0xFF};
  EXPECT_EQ(recordChecksum(b, true), 2);
  EXPECT_EQ(recordChecksum(b, false), 514);
  // Sixteen doublings push every earlier byte out: only the last bytes count.
  Bytes x(40, 0x11), y(40, 0x11);
  y[0] = 0x99;
  EXPECT_EQ(recordChecksum(x, true), recordChecksum(y, true));
}

TEST(DataListChecksum, CoversTypeKeyTypeDupFlagAndIndexWithDoubling) {
  DataField f{'S', 0, 'U', 26, 1, nullptr, 0};
  // (((83 * 2 + 0) * 2 + 85) * 2 + 1) * 2 = 1670
  EXPECT_EQ(dataListChecksum({&f, 1}), 1670);
  DataField g = f;
  g.length = 99;  // the length is not part of it
  EXPECT_EQ(dataListChecksum({&g, 1}), 1670);
  g.dup = 'D';
  EXPECT_NE(dataListChecksum({&g, 1}), 1670);
}

struct Fields {
  char name[10] = "ABC";
  std::int32_t count = 0;
  std::uint8_t block[8] = {1, 2, 3};
  double value = 0.0;
  std::array<DataField, 5> list{{{'S', 0, 'U', 10, 1, name, 0},
                                 {'I', kNoKey, 'N', 4, 0, &count, 0},
                                 {'B', kNoKey, 'N', 8, 0, block, 3},
                                 {'D', kNoKey, 'N', 8, 0, &value, 0},
                                 {}}};
  std::span<DataField> fields() { return std::span(list).first(4); }
};

TEST(PackedRecord, LeavesOutEmptyUnindexedFieldsAndEndsWithTheMark) {
  Fields f;
  Bytes rec;
  ASSERT_EQ(packRecord(f.fields(), kLittle, 7, rec, 1000), kOk);
  // flag, field 0 "ABC\0", field 2 length 3 + bytes, end mark; count and value are empty.
  const Bytes body{7, 0, 0, 'A', 'B', 'C', 0, 2, 0, 3, 0, 1, 2, 3, 0xFF, 0xFF};
  ASSERT_EQ(rec.size(), 4 + body.size());
  EXPECT_EQ(Bytes(rec.begin() + 4, rec.end()), body);
  EXPECT_EQ(kLittle.get16(&rec[2]), recordChecksum(body, true));
  std::vector<FieldValue> v;
  ASSERT_EQ(parseRecord(rec, f.fields(), kLittle, true, v), kOk);
  EXPECT_FALSE(v[1].present);
  EXPECT_EQ(v[2].bytes.size(), 3u);
}

TEST(PackedRecord, RoundTripsEveryValueBitForBit) {
  Fields f;
  f.count = -123456;
  f.value = -0.0;  // empty: left out, reads back as +0
  Bytes rec;
  ASSERT_EQ(packRecord(f.fields(), kLittle, 0, rec, 1000), kOk);
  f.value = std::nan("7");
  ASSERT_EQ(packRecord(f.fields(), ByteOrder{true}, 0, rec, 1000), kOk);
  Fields g;
  std::memset(g.name, 'x', sizeof g.name);
  std::vector<FieldValue> v;
  ASSERT_EQ(parseRecord(rec, g.fields(), ByteOrder{true}, true, v), kOk);
  storeValues(g.fields(), v);
  EXPECT_STREQ(g.name, "ABC");
  EXPECT_EQ(g.count, -123456);
  EXPECT_EQ(std::memcmp(&g.value, &f.value, 8), 0);
  EXPECT_EQ(g.list[2].size, 3);
  EXPECT_EQ(packRecord(f.fields(), kLittle, 0, rec, 10), kBufferOverflow);
}

struct DamageCase {
  const char* name;
  std::size_t at;  // byte to change (SIZE_MAX: cut the last byte, SIZE_MAX-1: add one)
  std::uint8_t value;
  int code;
};

class DamagedRecord : public ::testing::TestWithParam<DamageCase> {};

// The record of `Fields` with count = 5: flag, "ABC", count, block, end.
Bytes goodRecord(Fields& f) {
  f.count = 5;
  Bytes rec;
  EXPECT_EQ(packRecord(f.fields(), kLittle, 0, rec, 1000), kOk);
  return rec;
}

void reseal(Bytes& rec) { kLittle.put16(&rec[2], recordChecksum({rec.data() + 4, rec.size() - 4}, true)); }

TEST_P(DamagedRecord, IsRefusedWithItsCode) {
  Fields f;
  Bytes rec = goodRecord(f);
  const DamageCase& c = GetParam();
  if (c.at == SIZE_MAX) {
    rec.pop_back();
  } else if (c.at == SIZE_MAX - 1) {
    rec.push_back(0);
  } else {
    rec[c.at] = c.value;
  }
  if (c.code != kRecordChecksum) reseal(rec);  // the checksum alone would not catch it
  std::vector<FieldValue> v;
  EXPECT_EQ(parseRecord(rec, f.fields(), kLittle, true, v), c.code);
}

// Layout: 0-1 dl sum, 2-3 sum, 4 flag, 5-6 field 0, 7-10 "ABC\0", 11-12 field 1,
// 13-16 count, 17-18 field 2, 19-20 length 3, 21-23 block, 24-25 end mark.
INSTANTIATE_TEST_SUITE_P(
    StoreCases, DamagedRecord,
    ::testing::Values(DamageCase{"ChecksumMismatch", 14, 9, kRecordChecksum},
                      DamageCase{"DataListChecksumMismatch", 0, 0x55, kDataListChecksum},
                      DamageCase{"FieldNumberOutOfOrder", 11, 0, kDataListChecksum},
                      DamageCase{"FieldNumberBeyondTheDataList", 17, 9, kDataListChecksum},
                      DamageCase{"StringWithoutTerminatorRunsIntoTheNextField", 10, 'D', kDataListChecksum},
                      DamageCase{"BlockLongerThanItsField", 19, 9, kDataRecordError},
                      DamageCase{"BlockRunningPastTheEnd", 19, 8, kIncompleteRecord},
                      DamageCase{"CutShort", SIZE_MAX, 0, kIncompleteRecord},
                      DamageCase{"BytesAfterTheEndMark", SIZE_MAX - 1, 0, kIncompleteRecord}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedRecord, StringLongerThanItsFieldIsRefused) {
  Fields f;
  Bytes rec = goodRecord(f);
  Fields g;
  g.list[0].length = 3;  // "ABC\0" needs 4
  std::vector<FieldValue> v;
  EXPECT_EQ(parseRecord(rec, g.fields(), kLittle, false, v), kDataRecordError);
}

struct ListCase {
  const char* name;
  DataField field;
  int code;
};

class DataListCheck : public ::testing::TestWithParam<ListCase> {};

TEST_P(DataListCheck, RefusesTheBadField) {
  static char text[8] = "ok";
  static std::int32_t number = 0;
  FileHeader h;
  h.keyType[1] = 0;
  h.keyType[2] = 5;
  KeyContext kc;
  DataField f = GetParam().field;
  if (f.value == nullptr && f.type == 'S') f.value = text;
  if (f.value == nullptr && f.type == 'L') f.value = &number;
  EXPECT_EQ(validateDataList({&f, 1}, h, kc), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    StoreCases, DataListCheck,
    ::testing::Values(ListCase{"GoodString", {'S', 0, 'U', 8, 1, nullptr, 0}, kOk},
                      ListCase{"GoodNumberKey", {'L', 5, 'D', 4, 2, nullptr, 0}, kOk},
                      ListCase{"UnknownType", {'Q', kNoKey, 'N', 8, 0, nullptr, 0}, kFieldTypeError},
                      ListCase{"KeyTypeNotTheIndexes", {'S', 1, 'U', 8, 1, nullptr, 0}, kKeyTypeError},
                      ListCase{"KeyTypeUnfitForTheField", {'L', 0, 'U', 4, 1, nullptr, 0}, kKeyTypeError},
                      ListCase{"KeyTypeWithoutIndex", {'S', 0, 'N', 8, 0, nullptr, 0}, kKeyTypeError},
                      ListCase{"BadDupFlag", {'S', 0, 'X', 8, 1, nullptr, 0}, kDupFlagError},
                      ListCase{"IndexedFieldTooLong", {'S', 0, 'U', 243, 1, nullptr, 0}, kFieldLengthError},
                      ListCase{"WrongNumberWidth", {'L', kNoKey, 'N', 2, 0, nullptr, 0}, kFieldLengthError},
                      ListCase{"StringLongerThanDeclared", {'S', 0, 'U', 2, 1, nullptr, 0}, kStringLengthError},
                      ListCase{"IndexAboveFifteen", {'S', 0, 'U', 8, 16, nullptr, 0}, kIndexNumberError},
                      ListCase{"CompoundWithoutSegments", {'X', 8, 'U', 242, 1, nullptr, 0}, kKeyTypeError}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataListCheck, TwoFieldsOnOneIndexAreRefused) {
  char a[4] = "a", b[4] = "b";
  DataField list[2] = {{'S', 0, 'U', 4, 1, a, 0}, {'S', 0, 'D', 4, 1, b, 0}};
  FileHeader h;
  KeyContext kc;
  EXPECT_EQ(validateDataList(list, h, kc), kIndexNumberError);
}

TEST(CompoundKeyBuild, SegmentsInOrderAndTooLongIsRefused) {
  char pn[200] = "R1";
  std::uint16_t type = 0x0102, hyb = 1;
  DataField list[4] = {{'S', 0, 'U', 200, 0, pn, 0},
                       {'U', kNoKey, 'N', 2, 0, &type, 0},
                       {'U', kNoKey, 'N', 2, 0, &hyb, 0},
                       {'X', 8, 'U', 242, 3, nullptr, 0}};
  list[0].index = 0;
  list[0].keyType = kNoKey;
  list[0].dup = 'N';
  KeyContext kc;
  kc.type[3] = 8;
  kc.segments[3] = {{10, 2, 0, false}, {10, 1, 0, false}, {0, 0, 0, false}};
  std::vector<FieldValue> v;
  currentValues(list, v);
  std::vector<std::uint8_t> key;
  ASSERT_EQ(buildFieldKey(list, 3, v, kc, key), kOk);
  EXPECT_EQ(key, (std::vector<std::uint8_t>{7, 1, 0, 2, 1, 'R', '1', 0}));
  std::memset(pn, 'x', 199);  // 2 + 2 + 199 + 1 + ... stays below 242 only when cut
  currentValues(list, v);
  kc.segments[3].push_back({0, 0, 0, false});
  EXPECT_EQ(buildFieldKey(list, 3, v, kc, key), kStringLengthError);
}

// The texts the layers above show (others are checked where they are shown);
// a code without a text shows its number.
TEST(ErrorText, KnownCodesHaveTheirMessageAndOthersShowTheNumber) {
  const std::pair<int, const char*> cases[] = {{-1, "fail"},
                                               {-5, "bad index file header rec"},
                                               {-13, "ccheck data integrity error"},
                                               {-301, "invalid key type in cikeycmp"},
                                               {-999, "(-999)"},
                                               {7, "(7)"}};
  for (const auto& [code, text] : cases) EXPECT_EQ(StoreErrorText(code), text) << code;
}

}  // namespace
}  // namespace kestrel::store
