#include "cli/stored_text_arg.hpp"

#include <iostream>

#include "core/windows1252.hpp"
#include "store/library/library_location.hpp"

namespace kestrel::cli {

CLI::Validator storedText() {
  return CLI::Validator(
      [](std::string& value) {
        Windows1252Text stored = utf8ToWindows1252(value);
        if (!stored.lossless()) {
          std::cerr << "kestrel: warning: '" << stored.replacedChars
                    << "' character(s) not in Windows-1252 replaced by '?' in '" << stored.text << "'\n";
        }
        value = std::move(stored.text);
        return std::string();
      },
      "", "Windows-1252");
}

CLI::Validator existingFileOrAddress() {
  return CLI::Validator(
      [](std::string& value) {
        if (isDatabaseAddress(value)) return std::string();
        return CLI::ExistingFile(value);
      },
      "FILE", "ExistingFileOrAddress");
}

}  // namespace kestrel::cli
