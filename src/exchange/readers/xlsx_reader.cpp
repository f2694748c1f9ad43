// Office Open XML workbooks (.xlsx): a zip (minizip) holding the workbook's
// sheet list, its relations, the shared strings and one XML part per sheet
// (pugixml). Every part is size-checked before it is unpacked, so a zip bomb
// is refused by name instead of filling the memory.
#include <unzip.h>

#include <charconv>
#include <pugixml.hpp>
#include <vector>

#include "core/strfmt.hpp"
#include "exchange/readers/path_readers.hpp"

namespace kestrel {
namespace {

constexpr std::uint64_t kMaxPartSize = 512ull * 1024 * 1024;

struct Zip {
  explicit Zip(const std::string& path) : handle(unzOpen64(path.c_str())) {}
  ~Zip() {
    if (handle != nullptr) unzClose(handle);
  }
  Zip(const Zip&) = delete;
  Zip& operator=(const Zip&) = delete;

  // The part named `name` (case ignored); false with `error` set when it
  // is missing, encrypted, too large or damaged.
  bool read(const std::string& name, std::string& bytes, std::string& error, bool required = true) {
    bytes.clear();
    if (unzLocateFile(handle, name.c_str(), 2) != UNZ_OK) {
      if (required) error = "missing part " + name;
      return false;
    }
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
      error = "damaged entry of " + name;
      return false;
    }
    if ((info.flag & 1u) != 0) {
      error = "the part " + name + " is encrypted";
      return false;
    }
    if (info.uncompressed_size > kMaxPartSize) {
      error = strprintf("the part %s unpacks to %llu bytes (at most %llu)", name.c_str(),
                        static_cast<unsigned long long>(info.uncompressed_size),
                        static_cast<unsigned long long>(kMaxPartSize));
      return false;
    }
    if (unzOpenCurrentFile(handle) != UNZ_OK) {
      error = "can not unpack " + name;
      return false;
    }
    bytes.resize(static_cast<std::size_t>(info.uncompressed_size));
    std::size_t got = 0;
    for (;;) {
      char probe[4096];
      const bool full = got == bytes.size();
      char* into = full ? probe : bytes.data() + got;
      const unsigned room = full ? sizeof probe : static_cast<unsigned>(std::min<std::size_t>(bytes.size() - got, 1u << 20));
      const int n = unzReadCurrentFile(handle, into, room);
      if (n < 0) {
        unzCloseCurrentFile(handle);
        error = "damaged data in " + name;
        return false;
      }
      if (n == 0) break;
      if (full) {  // more data than the entry declared
        unzCloseCurrentFile(handle);
        error = "the part " + name + " is longer than its entry says";
        return false;
      }
      got += static_cast<std::size_t>(n);
    }
    const bool crcOk = unzCloseCurrentFile(handle) == UNZ_OK;
    if (got != bytes.size() || !crcOk) {
      error = "damaged data in " + name;
      return false;
    }
    return true;
  }

  unzFile handle;
};

// "AB12" -> column 27 (0-based 27), or -1.
long columnOf(const char* ref) {
  long col = 0;
  int letters = 0;
  for (; *ref >= 'A' && *ref <= 'Z'; ++ref) {
    if (++letters > 3) return -1;
    col = col * 26 + (*ref - 'A' + 1);
  }
  return letters == 0 ? -1 : col - 1;
}

class XlsxReader final : public TableReader {
 public:
  XlsxReader(std::vector<std::string> shared, std::string sheet, ReaderOptions options)
      : shared_(std::move(shared)), sheetBytes_(std::move(sheet)), options_(std::move(options)) {}

  bool load(std::string& error) {
    const pugi::xml_parse_result parsed = doc_.load_buffer_inplace(sheetBytes_.data(), sheetBytes_.size());
    if (!parsed) {
      error = strprintf("the worksheet XML is damaged (%s at byte %td)", parsed.description(), parsed.offset);
      return false;
    }
    row_ = doc_.child("worksheet").child("sheetData").child("row");
    return true;
  }

  RowStatus next(TableRow& row) override {
    for (; row_; row_ = row_.next_sibling("row")) {
      row.clear();
      const long r = rowNumber_ + 1;
      bool any = false;
      long nextCol = 0;
      for (pugi::xml_node c = row_.child("c"); c; c = c.next_sibling("c")) {
        const pugi::xml_attribute ref = c.attribute("r");
        long col = ref ? columnOf(ref.value()) : nextCol;
        if (col < 0) col = nextCol;
        nextCol = col + 1;
        if (col >= static_cast<long>(kMaxTableFields)) {
          warn(options_, strprintf("   ...XLSX: too many fields (R%ld/F%ld)...", r, col + 1));
          continue;
        }
        TableCell cell = value(c);
        if (cell.kind == TableCell::Kind::Empty) continue;
        if (row.size() <= static_cast<std::size_t>(col)) row.resize(static_cast<std::size_t>(col) + 1);
        row[static_cast<std::size_t>(col)] = std::move(cell);
        any = true;
      }
      if (!any) continue;
      row_ = row_.next_sibling("row");
      ++rowNumber_;
      return RowStatus::Row;
    }
    row.clear();
    return RowStatus::End;
  }

 private:
  TableCell value(const pugi::xml_node& c) const {
    const std::string_view type = c.attribute("t").value();
    const char* v = c.child_value("v");
    if (type == "s") {
      std::size_t index = 0;
      const std::string_view s(v);
      const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), index);
      if (ec != std::errc{} || index >= shared_.size()) return errorCell();
      return shared_[index].empty() ? TableCell{} : TableCell::ofText(shared_[index]);
    }
    if (type == "inlineStr") {
      std::string text;
      for (pugi::xpath_node t : c.child("is").select_nodes(".//t")) text += t.node().child_value();
      return text.empty() ? TableCell{} : TableCell::ofText(std::move(text));
    }
    const std::string_view s(v);
    if (s.empty()) return {};
    if (type == "str" || type == "d") return TableCell::ofText(std::string(s));
    if (type == "e") return errorCell();
    double number = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), number);
    if (ec != std::errc{} || end != s.data() + s.size()) return errorCell();
    return TableCell::ofNumber(number);
  }
  static TableCell errorCell() {
    TableCell c;
    c.kind = TableCell::Kind::Error;
    return c;
  }

  std::vector<std::string> shared_;
  std::string sheetBytes_;
  ReaderOptions options_;
  pugi::xml_document doc_;
  pugi::xml_node row_;
};

bool parseXml(pugi::xml_document& doc, const std::string& bytes, const char* part, std::string& error) {
  const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
  if (!parsed) error = strprintf("%s is damaged (%s)", part, parsed.description());
  return static_cast<bool>(parsed);
}

// The zip path of the chosen sheet, from the sheet list and its relations;
// `missing` tells a sheet that is not there from a damaged workbook.
bool sheetPart(Zip& zip, const std::string& wanted, std::string& part, std::string& error, bool& missing) {
  std::string bytes;
  pugi::xml_document workbook, rels;
  if (!zip.read("xl/workbook.xml", bytes, error) || !parseXml(workbook, bytes, "xl/workbook.xml", error)) return false;
  if (!zip.read("xl/_rels/workbook.xml.rels", bytes, error) ||
      !parseXml(rels, bytes, "xl/_rels/workbook.xml.rels", error)) {
    return false;
  }
  std::string id;
  for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
    if (wanted.empty() || upperCased(sheet.attribute("name").value()) == upperCased(wanted)) {
      id = sheet.attribute("r:id").value();
      break;
    }
  }
  if (id.empty()) {
    error = wanted.empty() ? std::string("the workbook has no worksheet") : "no worksheet '" + wanted + "'";
    missing = true;
    return false;
  }
  for (pugi::xml_node rel : rels.child("Relationships").children("Relationship")) {
    if (id == rel.attribute("Id").value()) {
      const std::string target = rel.attribute("Target").value();
      part = !target.empty() && target.front() == '/' ? target.substr(1) : "xl/" + target;
      return true;
    }
  }
  error = "the worksheet has no relation " + id;
  return false;
}

bool sharedStrings(Zip& zip, std::vector<std::string>& shared, std::string& error) {
  std::string bytes;
  if (!zip.read("xl/sharedStrings.xml", bytes, error, false)) return error.empty();
  pugi::xml_document doc;
  if (!parseXml(doc, bytes, "xl/sharedStrings.xml", error)) return false;
  for (pugi::xml_node si : doc.child("sst").children("si")) {
    std::string text = si.child("t").child_value();
    for (pugi::xml_node r : si.children("r")) text += r.child("t").child_value();
    shared.push_back(std::move(text));
  }
  return true;
}

}  // namespace

Status openXlsxReader(const std::string& path, const ReaderOptions& options, std::unique_ptr<TableReader>& out) {
  Zip zip(path);
  if (zip.handle == nullptr) {
    return Status::error(StatusCode::Corrupt,
                         strprintf("XLSX: can not open file (%s): not a zip", path.c_str()));
  }
  std::string part, sheet, error;
  std::vector<std::string> shared;
  bool missing = false;
  if (!sheetPart(zip, options.table, part, error, missing) || !sharedStrings(zip, shared, error) ||
      !zip.read(part, sheet, error)) {
    return Status::error(missing ? StatusCode::NotFound : StatusCode::Corrupt,
                         strprintf("XLSX: %s (%s)", error.c_str(), path.c_str()));
  }
  auto reader = std::make_unique<XlsxReader>(std::move(shared), std::move(sheet), options);
  if (!reader->load(error)) {
    return Status::error(StatusCode::Corrupt, strprintf("XLSX: %s (%s)", error.c_str(), path.c_str()));
  }
  out = std::move(reader);
  return Status::ok();
}

}  // namespace kestrel
