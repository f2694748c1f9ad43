// Library and cross-reference listings as JSON for scripts: the file's
// description and record count, then one object per entry in list order.
// Texts are stored Windows-1252 and written UTF-8.
#pragma once

#include <string_view>

#include "core/json_writer.hpp"
#include "store/library/part_library.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel::library {

// Opens the document object: "command", "schema", "file", "description",
// "records" (the file's record count). The caller adds its members and
// closes the object.
void beginLibraryJson(JsonWriter& out, std::string_view command, LibraryHome& file);

// {"PN", "PN2", "type", "typeId", "hybrid", "date" (YYYY-MM-DD, or null), "record"}
// and "damaged" (why the record can not be read) when it can not.
void writeLibraryEntryJson(JsonWriter& out, const LibEntry& entry);
// {"XREFPN", "LIBPN", "notesTitle", "notes", "record"} and "damaged" when unreadable.
void writeXRefEntryJson(JsonWriter& out, const XRefEntry& entry);

}  // namespace kestrel::library
