#include "reports/text_device.hpp"

namespace kestrel {

void TextDevice::emitPage(const GridPage& page) {
  if (pages_ > 0) out_ += '\f';
  for (const GridRow& row : page.rows) {
    out_ += rowText(row);
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
