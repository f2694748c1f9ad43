// Range checks of numbers kept in 32-bit record fields.
//
// A documented bound such as 0.000001 or 0.1 has no exact binary form: the
// entry "0.1" becomes the float nearest 0.1, which lies a hair beside the
// double 0.1. Entries and bounds are therefore compared as the floats they are
// stored as, so a value entered exactly at its bound is in range, whether it
// comes from a page, a keyword, or a record read back from a file.
#pragma once

#include <cmath>

namespace kestrel {

enum class RangeSide { Inside, Below, Above };

// Where `value` lies against lo..hi in stored precision; not a number is Below.
inline RangeSide storedRangeSide(double value, double lo, double hi) {
  if (std::isnan(value)) return RangeSide::Below;
  const float v = static_cast<float>(value);
  if (v < static_cast<float>(lo)) return RangeSide::Below;
  if (v > static_cast<float>(hi)) return RangeSide::Above;
  return RangeSide::Inside;
}

inline bool inStoredRange(double value, double lo, double hi) {
  return storedRangeSide(value, lo, hi) == RangeSide::Inside;
}

// `value` held inside lo..hi: the nearer bound for a value outside (lo for
// not a number), the value itself when it is in range.
inline double heldInRange(double value, double lo, double hi) {
  switch (storedRangeSide(value, lo, hi)) {
    case RangeSide::Below:
      return lo;
    case RangeSide::Above:
      return hi;
    case RangeSide::Inside:
      break;
  }
  return value;
}

}  // namespace kestrel
