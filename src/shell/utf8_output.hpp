// The terminal is UTF-8, while the lines the system prints join its stored
// texts (Windows-1252) with file names and typed arguments (UTF-8). A stream
// put through this buffer hands on only valid UTF-8: well-formed sequences
// as they are, every other byte read as Windows-1252.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace kestrel {

class Utf8OutputBuffer final : public std::streambuf {
 public:
  explicit Utf8OutputBuffer(std::streambuf* target) : target_(target) {}
  ~Utf8OutputBuffer() override;

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Hands on what is pending, keeping back the start of a sequence whose
  // remaining bytes may still come (unless `all`).
  void pass(bool all);

  std::streambuf* target_;
  std::string pending_;
};

// Puts `stream` through a Utf8OutputBuffer for as long as the returned
// guard lives.
class Utf8Output {
 public:
  explicit Utf8Output(std::ostream& stream);
  ~Utf8Output();
  Utf8Output(const Utf8Output&) = delete;
  Utf8Output& operator=(const Utf8Output&) = delete;

 private:
  std::ostream& stream_;
  std::streambuf* original_;
  Utf8OutputBuffer buffer_;
};

}  // namespace kestrel
