// What Transfer and Update share: the part type and part number filters, the
// option texts of their confirmations, and the circuit files an input file
// pattern names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {
class CPart;
}

namespace kestrel::library {

struct PartFilters {
  bool typeOn = false;
  std::uint16_t type = 0;
  bool pnOn = false;
  std::string pn;  // at most 40 characters; a record passes when its PN begins with it

  bool passes(const CPart& part) const;
  // "- Part Type Filter: %s" and "- PN Filter: OFF" / "- PN Filter: '%.40s'".
  std::vector<std::string> lines() const;
};

// "YES" or "NO".
const char* yesNo(bool on);

// The files a file pattern names: a plain path, or a folder and a file
// name with * and ? (case ignored), sorted by name.
std::vector<std::string> matchingFiles(const std::string& filePattern);

}  // namespace kestrel::library
