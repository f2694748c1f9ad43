// The plain-text file device: each page as lines of text on a character
// grid, pages separated by form feeds. Rules are graphics and leave no text.
#pragma once

#include <string>

#include "reports/grid_device.hpp"

namespace kestrel {

class TextDevice final : public GridDevice {
 public:
  explicit TextDevice(const Paper& paper = kLetterPaper) : GridDevice(paper) {}

  Status finish(std::string& bytes) override;
  std::size_t pageCount() const { return pages_; }

 protected:
  void emitPage(const GridPage& page) override;

 private:
  std::string out_;
  std::size_t pages_ = 0;
};

}  // namespace kestrel
