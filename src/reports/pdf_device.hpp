// The PDF file device, drawn with cairo: letter or A4 pages in points, the
// report fonts found through fontconfig ("Courier New" and "Arial" resolve
// to their metric-compatible Liberation fonts) and embedded as subsets.
// Text widths come from the fonts' own glyph advances.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "reports/page_device.hpp"

namespace kestrel {

class PdfDevice final : public FileDevice {
 public:
  explicit PdfDevice(const Paper& paper = kLetterPaper);
  ~PdfDevice() override;
  PdfDevice(const PdfDevice&) = delete;
  PdfDevice& operator=(const PdfDevice&) = delete;

  void createFont(FontRole role, const FontSpec& font, int height) override;
  double textWidth(FontRole role, std::string_view text) const override;
  double ascent(FontRole role) const override;

  void startJob(std::string_view title, std::uint32_t pages) override;
  void startPage() override {}
  void text(int x, int y, FontRole role, std::string_view text) override;
  void rule(int x, int y, int width, int height) override;
  void endPage() override;

  // Ends the document; fails when cairo could not draw or write it.
  Status finish(std::string& bytes) override;

 private:
  struct Cairo;
  std::unique_ptr<Cairo> cairo_;
};

}  // namespace kestrel
