// The JSON document of a command whose result is a few counts (and a list
// of files): "command", "schema", the counts in the order given, then the list.
#pragma once

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/document_json.hpp"
#include "core/windows1252.hpp"

namespace kestrel::cli {

inline void printJsonResult(std::string_view command, const JsonMembers& members, std::string_view listKey = {},
                            const std::vector<std::string>& list = {}) {
  JsonWriter out(std::cout);
  out.beginCommandDocument(command);
  for (const auto& [key, value] : members) {
    out.key(key);
    out.raw(value);
  }
  if (!listKey.empty()) {
    out.key(listKey);
    out.beginArray();
    for (const std::string& item : list) out.string(mixedToUtf8(item));
    out.endArray();
  }
  out.endObject();
  out.finish();
}

}  // namespace kestrel::cli
