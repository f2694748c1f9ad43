#include "store/library/library_json.hpp"

#include <ctime>

#include "core/document_json.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"
#include "store/library/header_texts.hpp"

namespace kestrel::library {
namespace {

// The record number an entry was read from, and what is damaged in it.
void endEntry(JsonWriter& out, long record, const std::string& damaged) {
  out.key("record");
  out.integer(record);
  if (!damaged.empty()) {
    out.key("damaged");
    out.string(mixedToUtf8(damaged));
  }
  out.endObject();
}

}  // namespace

void beginLibraryJson(JsonWriter& out, std::string_view command, LibraryHome& file) {
  HeaderTexts texts;
  file.readHeader(texts);
  out.beginCommandDocument(command);
  out.key("file");
  out.string(mixedToUtf8(file.path()));
  out.key("description");
  out.string(windows1252ToUtf8(texts.description));
  out.key("records");
  out.integer(file.count());
}

void writeLibraryEntryJson(JsonWriter& out, const LibEntry& entry) {
  out.beginObject();
  out.key("PN");
  out.string(windows1252ToUtf8(entry.pn));
  out.key("PN2");
  out.string(windows1252ToUtf8(entry.pn2));
  out.key("type");
  out.string(typeName(entry.type, entry.hybrid != 0, nullptr));
  out.key("typeId");
  out.integer(entry.type);
  out.key("hybrid");
  out.boolean(entry.hybrid != 0);
  out.key("date");
  if (entry.stamp > 0 && entry.damaged.empty()) {
    const std::time_t t = entry.stamp;
    std::tm local{};
    localtime_r(&t, &local);
    out.string(strprintf("%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
  } else {
    out.null();
  }
  endEntry(out, entry.record, entry.damaged);
}

void writeXRefEntryJson(JsonWriter& out, const XRefEntry& entry) {
  out.beginObject();
  out.key("XREFPN");
  out.string(windows1252ToUtf8(entry.damaged.empty() ? entry.xref.pn : entry.pn));
  out.key("LIBPN");
  out.string(windows1252ToUtf8(entry.xref.libPn));
  out.key("notesTitle");
  out.string(windows1252ToUtf8(entry.xref.notesTitle));
  out.key("notes");
  out.string(windows1252ToUtf8(entry.xref.notes));
  endEntry(out, entry.record, entry.damaged);
}

}  // namespace kestrel::library
