// Cross-reference files as export sources, read first to last in
// cross-reference number order.
//
// Record layout (a plain one): a header row "XREF", file version, record
// count, description, notes title, notes; then per record the
// cross-reference number, the library number, the notes title and the notes.
// Keyword layout: the columns XREF_HEADER_DESCR, XREF_HEADER_NOTESTITLE,
// XREF_HEADER_NOTES, XREF_PN, XREF_LIBPN, XREF_NOTESTITLE, XREF_NOTES, the
// header's texts repeated on every row, so that an import of the table
// builds the same cross-reference file again.
#include "core/keywords/catalogue.hpp"
#include "core/strfmt.hpp"
#include "exchange/export/row_source.hpp"
#include "store/library/library_list.hpp"
#include "store/library/xref_file.hpp"

namespace kestrel {
namespace {

using library::Outcome;
using library::XRefEntry;
using library::XRefFile;

ExportCell text(const std::string& t) { return ExportCell::ofText(t); }

class XRefSource final : public RowSource {
 public:
  XRefSource(std::unique_ptr<XRefFile> file, std::string path, RowFilters filters)
      : file_(std::move(file)), path_(std::move(path)), filters_(std::move(filters)) {}

  long count() override { return file_->count(); }

  Status shape(bool keywords, WriterOptions& options) override {
    if (!keywords) {
      options.columns = 6;  // the header row is the widest
      return Status::ok();
    }
    for (const char* name : kKeywords) {
      if (const auto index = keywordIndex(name)) layout_.use({{*index, ExportCell{}}});
    }
    options.columns = layout_.columns();
    options.columnNames = layout_.names();
    return Status::ok();
  }

  Status headerRow(bool keywords, Ui&, std::optional<ExportRow>& row) override {
    if (Status s = readHeader(); !s) return s;
    if (keywords) return Status::ok();  // the header's texts go on every row
    row = ExportRow{text("XREF"), ExportCell::integer(library::kXRefVersion), ExportCell::integer(file_->count()),
                    text(texts_.description), text(texts_.notesTitle), text(texts_.notes)};
    return Status::ok();
  }

  Status forEachRow(bool keywords, const RowFn& fn) override {
    if (keywords) {
      if (Status s = readHeader(); !s) return s;
    }
    damage_ = {};
    library::ListWalk walk;
    const Outcome o = library::walkList<library::XRefFile, XRefEntry>(*file_, [&](const XRefEntry& entry) {
      if (!entry.damaged.empty()) {
        damage_.lines.push_back(strprintf("'%s' R%ld: %s", path_.c_str(), static_cast<long>(entry.record),
                                          entry.damaged.c_str()));
        return true;
      }
      const library::CXRef& x = entry.xref;
      if (!filters_.pn.empty() && x.pn.rfind(filters_.pn, 0) != 0) return fn(nullptr);
      const ExportRow row = keywords ? keywordRow(x) : ExportRow{text(x.pn), text(x.libPn), text(x.notesTitle),
                                                                 text(x.notes)};
      return fn(&row);
    }, walk);
    if (o == Outcome::Failed) damage_.lines.push_back(file_->error().context + ": " + file_->error().what + ": " + file_->error().detail);
    damage_.unreadable = walk.unreadable();
    return Status::ok();
  }

  SourceDamage damage() const override { return damage_; }

 private:
  static constexpr const char* kKeywords[] = {"XREF_HEADER_DESCR", "XREF_HEADER_NOTESTITLE", "XREF_HEADER_NOTES",
                                              "XREF_PN",           "XREF_LIBPN",             "XREF_NOTESTITLE",
                                              "XREF_NOTES"};

  Status readHeader() {
    if (headerRead_) return Status::ok();
    if (!file_->readHeader(texts_)) {
      return Status::error(file_->error().code, strprintf("Can not read header: '%s': %s", path_.c_str(),
                                                          library::oneLine(file_->error().text()).c_str()));
    }
    headerRead_ = true;
    return Status::ok();
  }

  ExportRow keywordRow(const library::CXRef& x) const {
    const std::string* values[] = {&texts_.description, &texts_.notesTitle, &texts_.notes, &x.pn,
                                   &x.libPn,            &x.notesTitle,      &x.notes};
    KeywordCells cells;
    for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
      if (const auto index = keywordIndex(kKeywords[i])) cells[*index] = text(*values[i]);
    }
    return layout_.row(cells);
  }

  std::unique_ptr<XRefFile> file_;
  std::string path_;
  RowFilters filters_;
  KeywordLayout layout_;
  library::HeaderTexts texts_;
  bool headerRead_ = false;
  SourceDamage damage_;
};

}  // namespace

Status openXRefSource(const std::string& path, const RowFilters& filters, std::unique_ptr<RowSource>& source) {
  std::string startError;
  // The store's buffers could not be set up: none of the file kinds.
  if (!library::startStore(startError)) return Status::error(StatusCode::Failed, startError);
  library::StoreMessage error;
  auto file = XRefFile::open(path, false, error);
  if (!file) return error.status("Can not open input cross-reference file: ");
  if (file->count() < 0) {
    return file->error().status("Input cross-reference file error: ");
  }
  source = std::make_unique<XRefSource>(std::move(file), path, filters);
  return Status::ok();
}

}  // namespace kestrel
