// What libraries and cross-reference files share on top of the store: the
// node cache start-up, and the named header records (version, description,
// notes title, notes) read bounded and terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "store/library/store_message.hpp"
#include "store/record_store.hpp"

namespace kestrel::library {

// Sets up the process's node cache of 50 buffers once ("DB Init error:
// buffers setup (%d)." in `error` when it cannot).
bool startStore(std::string& error);

struct HeaderTexts {
  std::string description;
  std::string notesTitle;
  std::string notes;
};

// Read limits of the header records 1..4 (with the terminator).
inline constexpr std::size_t kHeaderReadLimit[5] = {0, 100, 133, 80, 544};

// Reads named record `sequence` of `name`: at most the limit's bytes, up to
// the first zero byte, never more than limit - 1 characters. A positive store
// result (no such record) reads as empty text.
int readHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string& text);
// The text of named record `sequence` found by reading the file block by
// block (see store/salvage_scan.hpp): for readers of a file whose tree is
// damaged. False when no whole copy is found.
bool salvagedHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string& text);
// Writes the text with its terminator, cut to fit the record's read limit.
int writeHeaderText(store::RecordStore& s, std::string_view name, int sequence, std::string_view text);

// Writes records 2..4; `what` receives "can not write header rec#N" on failure.
int writeHeaderRecords(store::RecordStore& s, std::string_view name, const HeaderTexts& texts, std::string& what);
int readHeaderRecords(store::RecordStore& s, std::string_view name, HeaderTexts& texts, std::string& what);

// The first steps of a new library or cross-reference file: its index
// trees, the version text in header record 1, then records 2..4 with
// `description`; `what` says which step failed.
int initialiseKeyedFile(store::RecordStore& s, std::string_view name, std::span<const int> trees,
                        std::uint32_t version, std::string_view description, std::string& what);
// Header record 1 must hold `version`; otherwise `error` says why, for `path`.
bool checkKeyedFileVersion(store::RecordStore& s, std::string_view name, std::uint32_t version,
                           const std::string& path, StoreMessage& error);

// "'%s'" for a file name.
std::string quoted(const std::string& path);
// A copy of a text cut to `max` characters.
std::string cut(std::string_view text, std::size_t max);

}  // namespace kestrel::library
