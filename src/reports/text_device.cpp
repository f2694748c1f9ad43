#include "reports/text_device.hpp"

#include "core/windows1252.hpp"

namespace kestrel {

void TextDevice::emitPage(const GridPage& page) {
  if (pages_ > 0) out_ += '\f';
  for (const GridRow& row : page.rows) {
    out_ += windows1252ToUtf8(rowText(row));  // text files are UTF-8
    out_ += '\n';
  }
  ++pages_;
}

Status TextDevice::finish(std::string& bytes) {
  bytes = std::move(out_);
  out_.clear();
  pages_ = 0;
  return Status::ok();
}

}  // namespace kestrel
