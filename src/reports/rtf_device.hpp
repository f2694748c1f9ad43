// The RTF file device: a Rich Text file that word processors open, on the
// report's paper with its margins. Every page row is one paragraph of exact
// line height, so the pages break where the report's pages do (an explicit
// page break ends each page); body lines in "Courier New" 9 pt, the column
// heading in bold, the title "Arial" 12 pt and the small lines "Arial" 9 pt.
// Further items of a row stand at tab stops on their character columns, and
// rules are paragraph borders under the row above them.
#pragma once

#include <string>

#include "reports/grid_device.hpp"

namespace kestrel {

class RtfDevice final : public GridDevice {
 public:
  explicit RtfDevice(const Paper& paper = kLetterPaper) : GridDevice(paper) {}

  void startJob(std::string_view title, std::uint32_t pages) override;
  Status finish(std::string& bytes) override;

 protected:
  void emitPage(const GridPage& page) override;

 private:
  int twips(double units) const;

  std::string body_;
  std::string title_;
  bool haveOrigin_ = false;
  int originX_ = 0;
  int originY_ = 0;
  std::size_t pages_ = 0;
};

// Text as RTF: "\", "{" and "}" escaped, bytes above 127 as \'hh.
std::string rtfEscaped(std::string_view text);

}  // namespace kestrel
