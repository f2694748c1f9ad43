#include "store/library/store_message.hpp"

#include "core/strfmt.hpp"

namespace kestrel::library {

std::string StoreMessage::text() const {
  return strprintf("%s...\n...%s...\n...%s.", context.c_str(), what.c_str(), detail.c_str());
}

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

}  // namespace kestrel::library
