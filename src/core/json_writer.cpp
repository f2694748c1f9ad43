#include "core/json_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace kestrel {

std::string jsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  if (value == 0.0) return std::signbit(value) ? "-0.0" : "0.0";
  // Shortest round-trip digits and decimal exponent, then laid out plainly
  // between 1e-4 and 1e15 and in exponent form outside.
  char sci[64];
  const auto end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific).ptr;
  std::string_view text(sci, static_cast<std::size_t>(end - sci));
  std::string out;
  out.reserve(32);
  if (text.front() == '-') {
    out += '-';
    text.remove_prefix(1);
  }
  const std::size_t e = text.find('e');
  char digitChars[32];
  std::size_t digitCount = 0;
  for (char c : text.substr(0, e)) {
    if (c != '.') digitChars[digitCount++] = c;
  }
  const std::string_view digits(digitChars, digitCount);
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // where the decimal point falls in the digits
  if (k <= n && n <= 15) {
    out += digits;
    out.append(static_cast<std::size_t>(n - k), '0');
    out += ".0";
  } else if (0 < n && n <= 15) {
    out += digits.substr(0, static_cast<std::size_t>(n));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(n));
  } else if (-4 < n && n <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-n), '0');
    out += digits;
  } else {
    out += digits.substr(0, 1);
    if (k > 1) {
      out += '.';
      out += digits.substr(1);
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "e%c%02d", n - 1 < 0 ? '-' : '+', std::abs(n - 1));
    out += exp;
  }
  return out;
}

void appendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  // Runs of bytes that need no escape are copied whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(utf8.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        out += escaped;
      }
    }
  }
  out.append(utf8.data() + run, utf8.size() - run);
  out += '"';
}

std::string jsonString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  appendJsonString(out, utf8);
  return out;
}

void JsonWriter::newline(std::size_t depth) {
  buffer_ += '\n';
  buffer_.append(depth * 2, ' ');
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (counts_.empty()) return;
  if (counts_.back()++ > 0) buffer_ += ',';
  newline(counts_.size());
}

void JsonWriter::key(std::string_view name) {
  if (counts_.back()++ > 0) buffer_ += ',';
  newline(counts_.size());
  appendJsonString(buffer_, name);
  buffer_ += ": ";
  afterKey_ = true;
}

void JsonWriter::raw(std::string_view json) {
  beforeValue();
  buffer_ += json;
  if (buffer_.size() >= 1 << 16) flush();
}

void JsonWriter::string(std::string_view utf8) {
  beforeValue();
  appendJsonString(buffer_, utf8);
}

void JsonWriter::beginObject() {
  beforeValue();
  buffer_ += '{';
  counts_.push_back(0);
}

void JsonWriter::beginCommandDocument(std::string_view command) {
  beginObject();
  key("command");
  string(command);
  key("schema");
  integer(kJsonSchema);
}

void JsonWriter::beginArray() {
  beforeValue();
  buffer_ += '[';
  counts_.push_back(0);
}

void JsonWriter::endObject() {
  const std::size_t count = counts_.back();
  counts_.pop_back();
  if (count > 0) newline(counts_.size());
  buffer_ += '}';
}

void JsonWriter::endArray() {
  const std::size_t count = counts_.back();
  counts_.pop_back();
  if (count > 0) newline(counts_.size());
  buffer_ += ']';
}

void JsonWriter::sortedObject(JsonMembers members) {
  // Positions are sorted, not the members: a record's forty fields then
  // cost no string moves.
  std::vector<std::size_t> order(members.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&members](std::size_t a, std::size_t b) { return members[a].first < members[b].first; });
  beginObject();
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& [name, value] = members[order[i]];
    if (i + 1 < order.size() && members[order[i + 1]].first == name) continue;
    key(name);
    raw(value);
  }
  endObject();
}

void JsonWriter::finish() {
  buffer_ += '\n';
  flush();
}

void JsonWriter::flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

}  // namespace kestrel
