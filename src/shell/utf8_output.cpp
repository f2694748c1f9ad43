#include "shell/utf8_output.hpp"

#include "core/windows1252.hpp"

namespace kestrel {
namespace {

// Bytes at the end of `text` that start a UTF-8 sequence not yet complete.
std::size_t openSequenceTail(const std::string& text) {
  const std::size_t n = text.size();
  for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto c = static_cast<unsigned char>(text[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back && c >= 0xC2 && c <= 0xF4 ? back : 0;
  }
  return 0;
}

}  // namespace

Utf8OutputBuffer::~Utf8OutputBuffer() { pass(true); }

Utf8OutputBuffer::int_type Utf8OutputBuffer::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  pending_.push_back(traits_type::to_char_type(ch));
  if (ch == '\n') pass(false);
  return ch;
}

std::streamsize Utf8OutputBuffer::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  // Only the new bytes are looked at: a long line written piece by piece stays linear.
  if (std::string_view(s, static_cast<std::size_t>(n)).find('\n') != std::string_view::npos) pass(false);
  return n;
}

int Utf8OutputBuffer::sync() {
  pass(false);
  return target_->pubsync();
}

void Utf8OutputBuffer::pass(bool all) {
  if (pending_.empty()) return;
  const std::size_t keep = all ? 0 : openSequenceTail(pending_);
  const std::string out = mixedToUtf8(std::string_view(pending_).substr(0, pending_.size() - keep));
  target_->sputn(out.data(), static_cast<std::streamsize>(out.size()));
  pending_.erase(0, pending_.size() - keep);
}

Utf8Output::Utf8Output(std::ostream& stream)
    : stream_(stream), original_(stream.rdbuf()), buffer_(original_) {
  stream_.rdbuf(&buffer_);
}

Utf8Output::~Utf8Output() {
  stream_.flush();
  buffer_.pubsync();
  stream_.rdbuf(original_);
}

}  // namespace kestrel
