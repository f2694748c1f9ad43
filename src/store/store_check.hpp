// The store file checker behind `kestrel store check`: walks every tree level
// by level and reports each fault with its node number: nodes that do not
// parse, wrong levels, broken sibling links, loops, nodes in two places or in
// none, keys out of order or outside their parent's range, entries in the
// wrong tree, broken chunk chains, record checksums, counts against the
// header, index entries naming records that do not exist, and the free chain.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "store/file_format.hpp"
#include "store/keys.hpp"
#include "store/store_file.hpp"

namespace kestrel::store {

// The layout of one record field, when the caller knows it.
struct FieldShape {
  char type = 'S';
  std::uint16_t length = 0;
};

struct CheckOptions {
  // Segments of compound indexes; without them compound keys compare bytewise.
  std::array<SegmentList, kIndexes> segments;
  // The record layout: with it every data record must parse completely.
  std::vector<FieldShape> fields;
  int maxFaults = 200;
};

struct CheckFault {
  std::int32_t node = -1;  // -1: the header
  int code = 0;
  std::string detail;
};

struct CheckReport {
  std::vector<CheckFault> faults;
  int moreFaults = 0;  // beyond maxFaults
  long records = 0;
  long nodesInUse = 0;
  long nodesPresent = 0;
  int trees = 0;
  std::array<long, kIndexes> entries{};
  bool clean() const { return faults.empty(); }
};

// "node 12: tree: key sequence error (index 1, entry 3)".
std::string describeFault(const CheckFault& f);

// Checks an open file. The result is 0 when the walk ran (faults or not).
int checkStoreFile(StoreFile& file, const CheckOptions& options, CheckReport& report);
// Opens `path`, waits for a writer to finish (the update lock, held during
// the check) and checks it. -1 when the file cannot be opened.
int checkStore(const std::string& path, const CheckOptions& options, CheckReport& report,
               StoreFileSystem* fs = nullptr);

}  // namespace kestrel::store
