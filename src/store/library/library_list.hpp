// The list views of libraries and cross-reference files: their header lines,
// one line per record, and pages of records fetched by position in list
// order without reading the whole file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

// Style 2: part number, PN2, type name; any other: part number, type name, date.
std::string libraryListLine(const LibEntry& entry, int style);
// "Description: %s", "Library File: %s" (upper case), "Library Parts List    Records: %ld".
std::vector<std::string> libraryHeaderLines(PartLibrary& lib);
std::string xrefListLine(const XRefEntry& entry);
// "Description: %s", "Cross-Reference List    Records: %ld".
std::vector<std::string> xrefHeaderLines(XRefFile& xref);

// Pages of a library in list order. Remembers where the last page ended, so
// paging on (or back) costs one step per record shown, whatever the size
// of the library.
class LibraryPager {
 public:
  explicit LibraryPager(PartLibrary& lib) : lib_(lib) {}
  // The entries at positions position .. position + count - 1 (0-based;
  // fewer at the end). Failed with the library's error set.
  Outcome page(long position, std::size_t count, std::vector<LibEntry>& out);

 private:
  Outcome moveTo(long position, LibEntry& entry);

  PartLibrary& lib_;
  long anchorPosition_ = -1;
  LibEntry anchor_;
};

}  // namespace kestrel::library
