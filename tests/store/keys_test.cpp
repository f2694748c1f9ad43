// Key types: stored lengths and order.
#include "store/keys.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace kestrel::store {
namespace {

using Bytes = std::vector<std::uint8_t>;
const ByteOrder kLittle{false};
const ByteOrder kBig{true};

Bytes str(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}
Bytes pre(const std::string& s) {
  Bytes b(s.size() + 1);
  b[0] = static_cast<std::uint8_t>(s.size());
  std::memcpy(b.data() + 1, s.data(), s.size());
  return b;
}
Bytes join(const Bytes& a, const Bytes& b) {
  Bytes out(a.size() + b.size());
  std::memcpy(out.data(), a.data(), a.size());
  std::memcpy(out.data() + a.size(), b.data(), b.size());
  return out;
}
Bytes i32(std::int32_t v, const ByteOrder& o = kLittle) {
  Bytes b(4);
  o.puti32(b.data(), v);
  return b;
}
Bytes u16(std::uint16_t v, const ByteOrder& o = kLittle) {
  Bytes b(2);
  o.put16(b.data(), v);
  return b;
}
Bytes f32(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  Bytes b(4);
  kLittle.put32(b.data(), bits);
  return b;
}
Bytes f64(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  Bytes b(8);
  kLittle.put64(b.data(), bits);
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
        OrderCase{"Int32ExtremesDoNotOverflow", 3, i32(INT32_MIN), i32(INT32_MAX), -1},
        OrderCase{"Int32SignedDifferenceExtremes", 5, i32(INT32_MAX), i32(-1), 1},
        OrderCase{"Int32NegativeBeforePositive", 5, i32(-5), i32(3), -1},
        OrderCase{"Int16Signed", 4, u16(0xFFFF), u16(1), -1},
        OrderCase{"UInt16Unsigned", 10, u16(0xFFFF), u16(1), 1},
        OrderCase{"UInt16NumericNotBytewise", 10, u16(256), u16(255), 1},
        OrderCase{"FloatNumeric", 6, f32(-1.5f), f32(0.25f), -1},
        OrderCase{"FloatZeroSignsEqual", 6, f32(-0.0f), f32(0.0f), 0},
        OrderCase{"FloatNaNAfterNumbers", 6, f32(kNaN), f32(1e30f), 1},
        OrderCase{"DoubleNumeric", 7, f64(1e-300), f64(-1e300), 1},
        OrderCase{"SixBytesBytewise", 9, Bytes{1, 2, 3, 4, 5, 6}, Bytes{1, 2, 3, 4, 5, 7}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyOrder, BigEndianNumbersCompareByValue) {
  EXPECT_LT(compareTyped(10, kBig, u16(255, kBig), u16(256, kBig), nullptr), 0);
  EXPECT_LT(compareTyped(3, kBig, i32(-2, kBig), i32(7, kBig), nullptr), 0);
}

TEST(CompoundKey, OrdersSegmentBySegmentDescendingWhereAsked) {
  const SegmentList segs = {{10, 0, 0, false}, {0, 1, 0, true}};
  auto key = [](std::uint16_t n, const std::string& s) {
    const Bytes body = join(u16(n), str(s));
    return join(Bytes{static_cast<std::uint8_t>(body.size())}, body);
  };
  EXPECT_LT(compareTyped(8, kLittle, key(1, "Z"), key(2, "A"), &segs), 0);  // first segment decides
  EXPECT_LT(compareTyped(8, kLittle, key(2, "B"), key(2, "A"), &segs), 0);  // second descending
  EXPECT_EQ(compareTyped(8, kLittle, key(2, "A"), key(2, "A"), &segs), 0);
  // A part key (only the first segment) sorts before every full key with it.
  const Bytes part = join(Bytes{2}, u16(2));
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

}  // namespace
}  // namespace kestrel::store
