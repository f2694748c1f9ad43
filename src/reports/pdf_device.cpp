#include "reports/pdf_device.hpp"

#include <cairo-pdf.h>
#include <cairo.h>

#include <vector>

#include "core/strfmt.hpp"
#include "core/windows1252.hpp"

// fontconfig keeps its configuration and font patterns for the life of the
// process and never frees them; a leak-checking build is told so, so that
// only real leaks fail it.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace kestrel {
namespace {

constexpr double kPointsPerInch = 72.0;

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// Bytes of the UTF-8 form of a Windows-1252 byte.
int utf8Length(unsigned char byte) {
  const std::uint32_t cp = windows1252CodePoint(byte);
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3;
}

}  // namespace

struct PdfDevice::Cairo {
  struct Font {
    cairo_font_face_t* face = nullptr;
    double size = 0.0;
    double ascent = 0.0;
    std::array<double, 256> advance{};           // per byte of Windows-1252 text
    std::array<unsigned long, 256> glyph{};      // glyph index per byte
  };

  std::string bytes;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  std::array<Font, kFontRoleCount> fonts{};
  int currentRole = -1;
  // Buffers of the text being drawn, kept between texts.
  std::vector<cairo_glyph_t> glyphs;
  std::vector<cairo_text_cluster_t> clusters;
  std::string utf8;
  bool titled = false;
  bool finished = false;

  ~Cairo() {
    for (Font& font : fonts) {
      if (font.face != nullptr) cairo_font_face_destroy(font.face);
    }
    if (cr != nullptr) cairo_destroy(cr);
    if (surface != nullptr) cairo_surface_destroy(surface);
  }

  void select(FontRole role) {
    const int index = static_cast<int>(role);
    if (index == currentRole || fonts[static_cast<std::size_t>(index)].face == nullptr) return;
    const Font& font = fonts[static_cast<std::size_t>(index)];
    cairo_set_font_face(cr, font.face);
    cairo_set_font_size(cr, font.size);
    currentRole = index;
  }
};

PdfDevice::PdfDevice(const Paper& paper) : FileDevice(paper), cairo_(std::make_unique<Cairo>()) {
  const double scale = kPointsPerInch / kDpi;
  cairo_->surface = cairo_pdf_surface_create_for_stream(appendToString, &cairo_->bytes,
                                                        paper.widthInches * kPointsPerInch,
                                                        paper.heightInches * kPointsPerInch);
  cairo_->cr = cairo_create(cairo_->surface);
  // Draw in device units, with (0, 0) at the corner of the printable area.
  cairo_scale(cairo_->cr, scale, scale);
  cairo_translate(cairo_->cr, caps().offsetLeft, caps().offsetTop);
  cairo_set_source_rgb(cairo_->cr, 0.0, 0.0, 0.0);
  cairo_pdf_surface_set_metadata(cairo_->surface, CAIRO_PDF_METADATA_CREATOR, "Kestrel");
}

PdfDevice::~PdfDevice() = default;

void PdfDevice::createFont(FontRole role, const FontSpec& wanted, int height) {
  Cairo::Font& font = cairo_->fonts[static_cast<std::size_t>(role)];
  if (font.face != nullptr) cairo_font_face_destroy(font.face);
  const std::string face(wanted.face);
  font.face = cairo_toy_font_face_create(face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                                         wanted.weight >= 700 ? CAIRO_FONT_WEIGHT_BOLD
                                                            : CAIRO_FONT_WEIGHT_NORMAL);
  font.size = height;
  cairo_->currentRole = -1;
  cairo_->select(role);
  cairo_font_extents_t extents;
  cairo_font_extents(cairo_->cr, &extents);
  font.ascent = extents.ascent;
  // cairo places glyphs by their advances without kerning, so a text's
  // width is the sum of its characters' advances.
  // Each character's glyph is looked up once, so drawing a text is a walk
  // over its bytes.
  cairo_scaled_font_t* scaled = cairo_get_scaled_font(cairo_->cr);
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte < 0x20 ? ' ' : byte);
    const std::string utf8 = windows1252ToUtf8(std::string_view(&c, 1));
    cairo_text_extents_t te;
    cairo_text_extents(cairo_->cr, utf8.c_str(), &te);
    font.advance[static_cast<std::size_t>(byte)] = te.x_advance;
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(scaled, 0.0, 0.0, utf8.c_str(), static_cast<int>(utf8.size()), &glyphs,
                                         &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
        count == 1) {
      font.glyph[static_cast<std::size_t>(byte)] = glyphs[0].index;
    }
    cairo_glyph_free(glyphs);
  }
}

double PdfDevice::textWidth(FontRole role, std::string_view text) const {
  const Cairo::Font& font = cairo_->fonts[static_cast<std::size_t>(role)];
  double width = 0.0;
  for (char c : text) width += font.advance[static_cast<unsigned char>(c)];
  return width;
}

double PdfDevice::ascent(FontRole role) const {
  return cairo_->fonts[static_cast<std::size_t>(role)].ascent;
}

void PdfDevice::startJob(std::string_view title, std::uint32_t) {
  if (cairo_->titled) return;
  const std::string text = windows1252ToUtf8(title);
  cairo_pdf_surface_set_metadata(cairo_->surface, CAIRO_PDF_METADATA_TITLE, text.c_str());
  cairo_->titled = true;
}

void PdfDevice::text(int x, int y, FontRole role, std::string_view text) {
  if (text.empty()) return;
  cairo_->select(role);
  const Cairo::Font& font = cairo_->fonts[static_cast<std::size_t>(role)];
  const double baseline = y + font.ascent;
  // The glyphs with the text they stand for (one character each), so that
  // the PDF keeps the text for searching and copying.
  cairo_->utf8 = windows1252ToUtf8(text);
  cairo_->glyphs.clear();
  cairo_->clusters.clear();
  double pen = x;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    cairo_->glyphs.push_back({font.glyph[byte], pen, baseline});
    cairo_->clusters.push_back({utf8Length(byte), 1});
    pen += font.advance[byte];
  }
  cairo_show_text_glyphs(cairo_->cr, cairo_->utf8.data(), static_cast<int>(cairo_->utf8.size()),
                         cairo_->glyphs.data(), static_cast<int>(cairo_->glyphs.size()),
                         cairo_->clusters.data(), static_cast<int>(cairo_->clusters.size()),
                         static_cast<cairo_text_cluster_flags_t>(0));
}

void PdfDevice::rule(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  cairo_rectangle(cairo_->cr, x, y, width, height);
  cairo_fill(cairo_->cr);
}

void PdfDevice::endPage() { cairo_show_page(cairo_->cr); }

Status PdfDevice::finish(std::string& bytes) {
  if (cairo_->finished) {
    return Status::error(StatusCode::InvalidArgument, "the PDF document was finished already");
  }
  cairo_->finished = true;
  const cairo_status_t drawing = cairo_status(cairo_->cr);
  cairo_surface_finish(cairo_->surface);
  cairo_status_t status = drawing != CAIRO_STATUS_SUCCESS ? drawing : cairo_surface_status(cairo_->surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    // The document is drawn in memory: its failure is none of the file kinds.
    return Status::error(StatusCode::Failed, strprintf("PDF error: %s", cairo_status_to_string(status)));
  }
  bytes = std::move(cairo_->bytes);
  cairo_->bytes.clear();
  return Status::ok();
}

}  // namespace kestrel
