#include "store/library/header_texts.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/strfmt.hpp"
#include "store/salvage_scan.hpp"

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
  // A reader of a damaged tree still finds the texts block by block.
  if (rc < 0) return s.ReadOnly() && salvagedHeaderText(s, name, sequence, text) ? store::kOk : rc;
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

bool salvagedHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string& text) {
  store::SalvageScan scan;
  if (s.RawFile() == nullptr || store::scanStoreFile(*s.RawFile(), scan) != store::kOk) return false;
  for (const store::SalvagedCopy& c : scan.copies) {  // best copy first
    if (c.index != store::kNamedIndex || c.number != static_cast<std::uint32_t>(sequence) ||
        c.key.size() != name.size() + 1 || std::memcmp(c.key.data(), name.data(), name.size()) != 0) {
      continue;
    }
    const std::size_t limit = kHeaderReadLimit[std::clamp(sequence, 1, 4)] - 1;
    const auto* bytes = reinterpret_cast<const char*>(c.data.data());
    text.assign(bytes, strnlen(bytes, std::min(limit, c.data.size())));
    return true;
  }
  return false;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string cut(std::string_view text, std::size_t max) { return std::string(text.substr(0, max)); }

int initialiseKeyedFile(store::RecordStore& s, std::string_view name, std::span<const int> trees,
                        std::uint32_t version, std::string_view description, std::string& what) {
  int rc = store::kOk;
  for (std::size_t i = 0; i < trees.size() && rc == store::kOk; ++i) {
    rc = s.AddTree(trees[i], trees[i]);
    if (rc != store::kOk) what = strprintf("can not add index#%d root", static_cast<int>(i));
  }
  if (rc == store::kOk) {
    rc = writeHeaderText(s, name, 1, std::to_string(version));
    if (rc != store::kOk) what = "can not write header rec#1";
  }
  if (rc == store::kOk) rc = writeHeaderRecords(s, name, {std::string(description), "", ""}, what);
  return rc;
}

bool checkKeyedFileVersion(store::RecordStore& s, std::string_view name, std::uint32_t version,
                           const std::string& path, StoreMessage& error) {
  std::string text;
  const int rc = readHeaderText(s, name, 1, text);
  if (rc != store::kOk) {
    error = {quoted(path), "can not read header rec#1", store::StoreErrorText(rc), statusCodeOf(rc)};
    return false;
  }
  if (text != std::to_string(version)) {
    error = {quoted(path), "file version error", "version '" + text + "' is not " + std::to_string(version),
             StatusCode::Corrupt};
    return false;
  }
  return true;
}

}  // namespace kestrel::library
