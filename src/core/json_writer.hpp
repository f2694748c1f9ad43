// A JSON document written as it is made, value by value, into a stream: a
// 10 000-record circuit prints without a document tree in memory. The layout
// is two-blank indentation, one member or element per line, "{}" and "[]"
// for empty ones; numbers are the shortest text that reads back to the same
// double, with ".0" on whole numbers, and non-finite numbers are null.
// The writer does not order keys: callers write an object's keys in the
// order they want them read.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

// The version of the layout of every JSON document of the command line; it
// grows when a key changes meaning or goes away (new keys do not change it).
inline constexpr int kJsonSchema = 1;

// The JSON text of one scalar.
std::string jsonNumber(double value);
std::string jsonString(std::string_view utf8);
void appendJsonString(std::string& out, std::string_view utf8);
inline std::string jsonInteger(long long value) { return std::to_string(value); }
inline std::string jsonBool(bool value) { return value ? "true" : "false"; }

// Members of a small flat object: key and JSON text of the value.
using JsonMembers = std::vector<std::pair<std::string, std::string>>;

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  ~JsonWriter() { flush(); }
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void beginObject();
  // Opens the object of a command's whole output: "command" and "schema".
  void beginCommandDocument(std::string_view command);
  void endObject();
  void beginArray();
  void endArray();
  // The key of the next member of the open object.
  void key(std::string_view name);
  // A scalar already in JSON text (jsonNumber, jsonString, ...).
  void raw(std::string_view json);

  void string(std::string_view utf8);
  void number(double value) { raw(jsonNumber(value)); }
  void integer(long long value) { raw(jsonInteger(value)); }
  void boolean(bool value) { raw(jsonBool(value)); }
  void null() { raw("null"); }
  // An object of scalar members in byte order of their keys; of a key given
  // twice the last value counts.
  void sortedObject(JsonMembers members);
  // Ends the document with a line end and hands everything to the stream.
  void finish();
  void flush();

 private:
  void beforeValue();
  void newline(std::size_t depth);

  std::ostream& out_;
  std::string buffer_;
  std::vector<std::size_t> counts_;  // members or elements so far, per open level
  bool afterKey_ = false;
};

}  // namespace kestrel
