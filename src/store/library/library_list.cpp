#include "store/library/library_list.hpp"

#include <cstdlib>
#include <ctime>

#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::library {

std::string libraryListLine(const LibEntry& entry, int style) {
  const std::string type = typeName(entry.type, entry.hybrid != 0, nullptr);
  if (style == 2) {
    return lineprintf("%s%-25.25s  %-15.15s  %-25.25s", " ", entry.pn.c_str(), entry.pn2.c_str(), type.c_str());
  }
  const std::time_t t = entry.stamp > 0 ? entry.stamp : 0;
  std::tm local{};
  localtime_r(&t, &local);
  const std::string date = strprintf("%02d/%02d/%4d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  return lineprintf("%s%-25.25s  %-25.25s  %-10s", " ", entry.pn.c_str(), type.c_str(), date.c_str());
}

std::vector<std::string> libraryHeaderLines(PartLibrary& lib) {
  HeaderTexts texts;
  lib.readHeader(texts);
  return {lineprintf("Description: %s", texts.description.c_str()),
          lineprintf("Library File: %s", upperCased(lib.path()).c_str()),
          lineprintf("%s    %s", "Library Parts List", strprintf("Records: %ld", lib.count()).c_str())};
}

std::string xrefListLine(const XRefEntry& entry) {
  return lineprintf("%s%-25.25s  %-25.25s", " ", entry.xref.pn.c_str(), entry.xref.libPn.c_str());
}

std::vector<std::string> xrefHeaderLines(XRefFile& xref) {
  HeaderTexts texts;
  xref.readHeader(texts);
  return {lineprintf("Description: %s", texts.description.c_str()),
          lineprintf("%s    %s", "Cross-Reference List", strprintf("Records: %ld", xref.count()).c_str())};
}

Outcome LibraryPager::moveTo(long position, LibEntry& entry) {
  long at = anchorPosition_;
  LibEntry here = anchor_;
  // From the remembered place when it is nearer than the top.
  if (at < 0 || position < std::labs(position - at)) {
    const Outcome o = lib_.first(entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    at = 0;
  }
  while (at < position) {
    const Outcome o = lib_.next(here, entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    ++at;
  }
  while (at > position) {
    const Outcome o = lib_.previous(here, entry);
    if (o != Outcome::Ok) return o;
    here = entry;
    --at;
  }
  entry = here;
  return Outcome::Ok;
}

Outcome LibraryPager::page(long position, std::size_t count, std::vector<LibEntry>& out) {
  out.clear();
  if (position < 0 || count == 0) return Outcome::Ok;
  LibEntry entry;
  Outcome o = moveTo(position, entry);
  if (o == Outcome::End) return Outcome::Ok;
  if (o != Outcome::Ok) return o;
  out.push_back(entry);
  while (out.size() < count) {
    LibEntry following;
    o = lib_.next(out.back(), following);
    if (o == Outcome::End) break;
    if (o != Outcome::Ok) return o;
    out.push_back(std::move(following));
  }
  anchorPosition_ = position + static_cast<long>(out.size()) - 1;
  anchor_ = out.back();
  anchor_.blob.clear();
  return Outcome::Ok;
}

}  // namespace kestrel::library
