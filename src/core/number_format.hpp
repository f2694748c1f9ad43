// The number formatter every printed number goes through.
//
// formatNumber(value, width, precision):
//   - non-finite values and |value| > 1e70 print as `width` asterisks;
//   - the precision is capped by magnitude: at most 6 below 1, at most 5 from
//     1 to below 10, at most 4 from 10 on; zero uses precision 1, and a
//     precision of 0 becomes 1;
//   - from that precision down to 1, the first "%.*f" text that fits in
//     `width` characters is the result; if none fits, `width` asterisks.
// formatPadded appends blanks after a reduced precision, while the text is
// shorter than `width` and has fewer than `precision` characters after the
// decimal point, so that decimal points line up in columns.
#pragma once

#include <string>

namespace kestrel {

std::string formatNumber(double value, int width, int precision);
std::string formatPadded(double value, int width, int precision);

}  // namespace kestrel
