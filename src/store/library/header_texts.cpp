#include "store/library/header_texts.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/strfmt.hpp"

namespace kestrel::library {

bool startStore(std::string& error) {
  const int rc = store::StoreStartup(50);
  if (rc == store::kOk) return true;
  error = strprintf("DB Init error: buffers setup (%d).", rc);
  return false;
}

int readHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string& text) {
  text.clear();
  const std::size_t limit = kHeaderReadLimit[std::clamp(sequence, 1, 4)];
  std::vector<std::uint8_t> buffer(limit, 0);
  std::size_t length = 0;
  const int rc = s.ReadNamed(7, name, sequence, buffer, &length);
  if (rc < 0) return rc;
  if (rc > 0) return store::kOk;
  length = std::min(length, limit - 1);
  const auto* bytes = reinterpret_cast<const char*>(buffer.data());
  text.assign(bytes, strnlen(bytes, length));
  return store::kOk;
}

int writeHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string_view text) {
  const std::size_t limit = kHeaderReadLimit[std::clamp(sequence, 1, 4)];
  std::vector<std::uint8_t> bytes(text.begin(), text.begin() + static_cast<long>(std::min(text.size(), limit - 1)));
  std::replace(bytes.begin(), bytes.end(), std::uint8_t{0}, std::uint8_t{' '});
  bytes.push_back(0);
  return s.WriteNamed(7, name, sequence, bytes);
}

int writeHeaderRecords(store::RecordStore& s, std::string_view name, const HeaderTexts& texts, std::string& what) {
  const std::string* values[] = {&texts.description, &texts.notesTitle, &texts.notes};
  for (int i = 0; i < 3; ++i) {
    const int rc = writeHeaderText(s, name, i + 2, *values[i]);
    if (rc != store::kOk) {
      what = strprintf("can not write header rec#%d", i + 2);
      return rc;
    }
  }
  return store::kOk;
}

int readHeaderRecords(store::RecordStore& s, std::string_view name, HeaderTexts& texts, std::string& what) {
  std::string* values[] = {&texts.description, &texts.notesTitle, &texts.notes};
  for (int i = 0; i < 3; ++i) {
    const int rc = readHeaderText(s, name, i + 2, *values[i]);
    if (rc != store::kOk) {
      what = strprintf("can not read header rec#%d", i + 2);
      return rc;
    }
  }
  return store::kOk;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string cut(std::string_view text, std::size_t max) { return std::string(text.substr(0, max)); }

}  // namespace kestrel::library
