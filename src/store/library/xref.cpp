#include "store/library/xref.hpp"

#include "core/archive.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/strfmt.hpp"
#include "store/library/header_texts.hpp"
#include "store/library/part_library.hpp"

namespace kestrel::library {
namespace {

constexpr std::string_view kClassName = "CXRef";
constexpr std::uint16_t kNewClassTag = 0xFFFF;

void serialize(Archive& ar, CXRef& x) {
  ar.io(x.pn);
  ar.io(x.libPn);
  ar.io(x.notesTitle);
  ar.io(x.notes);
}

}  // namespace

Status encodeXRef(const CXRef& xref, std::vector<std::uint8_t>& blob) {
  Archive ar = Archive::forWriting();
  std::uint16_t tag = kNewClassTag, schema = 0, length = static_cast<std::uint16_t>(kClassName.size());
  ar.io(tag);
  ar.io(schema);
  ar.io(length);
  for (char c : kClassName) {
    std::uint8_t b = static_cast<std::uint8_t>(c);
    ar.io(b);
  }
  CXRef copy = xref;
  serialize(ar, copy);
  if (ar.bytes().size() > kMaxXRefBlob) {
    return Status::error(
        StatusCode::InvalidArgument,
        strprintf("the cross-reference takes %zu bytes, more than %zu", ar.bytes().size(), kMaxXRefBlob));
  }
  blob = ar.bytes();
  return Status::ok();
}

Status decodeXRef(std::span<const std::uint8_t> blob, const std::string& source, CXRef& xref) {
  Archive ar = Archive::forReading(blob, source);
  std::uint16_t tag = 0, schema = 0, length = 0;
  ar.io(tag);
  ar.io(schema);
  ar.io(length);
  if (!ar.ok() || tag != kNewClassTag || schema != 0 || length != kClassName.size() || ar.remaining() < length) {
    return Status::error(StatusCode::Corrupt, source + ": not a cross-reference object");
  }
  std::string name(length, '\0');
  for (char& c : name) {
    std::uint8_t b = 0;
    ar.io(b);
    c = static_cast<char>(b);
  }
  if (name != kClassName) {
    return Status::error(StatusCode::Corrupt, source + ": object of class '" + name + "', not CXRef");
  }
  CXRef read;
  serialize(ar, read);
  if (!ar.ok()) return Status::error(StatusCode::Corrupt, source + ": " + ar.error());
  if (ar.remaining() != 0) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("%s: %zu bytes after the object", source.c_str(), ar.remaining()));
  }
  xref = std::move(read);
  return Status::ok();
}

std::vector<std::string> holdXRefTexts(CXRef& xref) {
  std::vector<std::string> log;
  const struct {
    const char* keyword;
    std::string* text;
    std::size_t limit;
  } texts[] = {{"XREF_PN", &xref.pn, kNumberLength},
               {"XREF_LIBPN", &xref.libPn, kNumberLength},
               {"XREF_NOTESTITLE", &xref.notesTitle, kHeaderReadLimit[3] - 1},
               {"XREF_NOTES", &xref.notes, kHeaderReadLimit[4] - 1}};
  for (const auto& t : texts) {
    if (t.text->size() <= t.limit) continue;
    log.push_back(textCutNote(t.keyword, t.text->size(), t.limit) + "...");
    t.text->resize(t.limit);
  }
  return log;
}

}  // namespace kestrel::library
