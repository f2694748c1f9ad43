// The list views of libraries and cross-reference files: their header lines,
// one line per record, and pages of records fetched by position in list
// order without reading the whole file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "store/library/keyed_file.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

// Style 2: part number, PN2, type name; any other: part number, type name, date.
std::string libraryListLine(const LibEntry& entry, int style);
// "Description: %s", "Library File: %s" (the path as given: on a
// case-sensitive file system another case names another file), "Library Parts List    Records: %ld".
std::vector<std::string> libraryHeaderLines(PartLibrary& lib);
std::string xrefListLine(const XRefEntry& entry);
// "Description: %s", "Cross-Reference List    Records: %ld".
std::vector<std::string> xrefHeaderLines(XRefFile& xref);

// The 0-based place of a record in a keyed file's list `index` (NotFound
// when the file has no such record): the keys are counted, no record read.
Outcome keyedListPosition(KeyedFile& file, int index, std::int32_t record, long& position);

// What a walk of a whole file in list order came to.
struct ListWalk {
  long listed = 0;   // entries visited, damaged ones included
  long damaged = 0;  // records listed from their key: they can not be read
  long recovered = 0;  // records the trees did not reach, read block by block
  long count = 0;    // records the file says it holds
  // Records that could not be read at all or only from their key.
  long unreadable() const { return damaged + (count > listed ? count - listed : 0); }
};

// Pages of a library (or of a cross-reference file) in list order.
// Remembers where the last page ended, so paging on (or back) costs one step
// per record shown, whatever the size of the file; with the count known, a
// page nearer the end than the top or the last page is reached from the end.
template <typename File, typename Entry>
class ListPager {
 public:
  explicit ListPager(File& file) : file_(file) {}
  // The number of entries, when known (-1: not known).
  void setCount(long count) { count_ = count; }
  // The entries at positions position .. position + count - 1 (0-based;
  // fewer at the end). Failed with the file's error set.
  Outcome page(long position, std::size_t count, std::vector<Entry>& out);
  // As `page`, but when the index breaks on the way (the page fails, comes
  // short or holds a damaged record) the page comes from one walk of the
  // whole list that reads past the damage, kept for the pages after it;
  // Failed, with the file's error, when that walk found damage.
  Outcome readablePage(long position, std::size_t count, std::vector<Entry>& out);
  // What the walk past the damage could not read (all zero without one).
  const ListWalk& damage() const { return walk_; }

 private:
  Outcome moveTo(long position, Entry& entry);

  File& file_;
  long count_ = -1;
  long anchorPosition_ = -1;
  Entry anchor_;
  bool walked_ = false;
  Outcome walkOutcome_ = Outcome::Ok;
  ListWalk walk_;
  std::vector<Entry> whole_;
};

// Visits every entry of a file in list order (a damaged record listed from
// its key) until `visit` returns false. When the list index breaks or ends
// before it has listed as many records as the file holds, the records it
// did not reach follow in record-number order (read block by block, as a
// damaged record the key names is too), and the walk ends Failed with the
// file's error naming the file and saying how many were listed: a damaged
// index never passes for a short file nor hides what can be read.
template <typename File, typename Entry>
Outcome walkList(File& file, const std::function<bool(const Entry&)>& visit, ListWalk& walk);
extern template Outcome walkList(PartLibrary&, const std::function<bool(const LibEntry&)>&, ListWalk&);
extern template Outcome walkList(XRefFile&, const std::function<bool(const XRefEntry&)>&, ListWalk&);

using LibraryPager = ListPager<PartLibrary, LibEntry>;
using XRefPager = ListPager<XRefFile, XRefEntry>;
extern template class ListPager<PartLibrary, LibEntry>;
extern template class ListPager<XRefFile, XRefEntry>;

}  // namespace kestrel::library
