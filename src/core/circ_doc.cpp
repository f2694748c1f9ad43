#include "core/circ_doc.hpp"

#include <cmath>

#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"
#include "core/text_lines.hpp"
#include "core/ui.hpp"
#include "core/windows1252.hpp"

namespace kestrel {

bool sortsBefore(const CPart& a, const CPart& b) {
  if (a.PART_TYPE != b.PART_TYPE) return a.PART_TYPE < b.PART_TYPE;
  if (a.PN != b.PN) return a.PN < b.PN;  // std::string compares bytes as unsigned char
  return a.REFDES < b.REFDES;
}

std::string subFilePath(const std::string& parentPath, const std::string& fileName) {
  const auto nameStart = fileName.find_last_of("/\\:");
  // A record keeps the name in its own code page (Windows-1252); the file
  // system names files in UTF-8.
  const std::string name = mixedToUtf8(nameStart == std::string::npos ? fileName : fileName.substr(nameStart + 1));
  const auto dirEnd = parentPath.find_last_of("/\\");
  if (dirEnd == std::string::npos) return name;
  return parentPath.substr(0, dirEnd + 1) + name;
}

CCircDoc::CCircDoc(DocKind kind) : kind_(kind == DocKind::Hybrid ? DocKind::Hybrid : DocKind::Circuit) {
  records_.reserve(64);
}

CCircDoc::~CCircDoc() = default;

void CCircDoc::setPath(std::string path) {
  path_ = std::move(path);
  const auto slash = path_.find_last_of("/\\");
  title_ = slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::size_t CCircDoc::insertSorted(std::unique_ptr<CPart> part) {
  std::size_t pos = 0;
  while (pos < records_.size() && !sortsBefore(*part, *records_[pos])) ++pos;
  records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(part));
  header_.RecordCount = static_cast<std::uint16_t>(records_.size());
  return pos;
}

void CCircDoc::appendLoaded(std::unique_ptr<CPart> part) {
  records_.push_back(std::move(part));
  header_.RecordCount = static_cast<std::uint16_t>(records_.size());
}

std::unique_ptr<CPart> CCircDoc::take(std::size_t index) {
  auto part = std::move(records_.at(index));
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
  header_.RecordCount = static_cast<std::uint16_t>(records_.size());
  return part;
}

void CCircDoc::clear() {
  records_.clear();
  header_.RecordCount = 0;
}

std::optional<std::size_t> CCircDoc::addRecord(std::unique_ptr<CPart> part, Ui& ui) {
  if (records_.size() >= kMaxRecs) {
    ui.message("ADD: circuit list is full.");
    return std::nullopt;
  }
  if (!part) return std::nullopt;
  part->IS_HYBRID = hybridFlag();
  part->normalizeChoices();
  part->Calculate(header_);
  const std::size_t pos = insertSorted(std::move(part));
  header_.CalcFlags = 0;
  modified_ = true;
  return pos;
}

std::optional<std::size_t> CCircDoc::pasteRecord(std::unique_ptr<CPart> part, Ui& ui) {
  if (records_.size() >= kMaxRecs) {
    ui.message("PASTE: circuit list is full.");
    return std::nullopt;
  }
  if (!part) {
    ui.message("PASTE: can not get part object.");
    return std::nullopt;
  }
  return addRecord(std::move(part), ui);
}

std::optional<std::size_t> CCircDoc::replaceRecord(std::optional<std::size_t> selection,
                                                   std::unique_ptr<CPart> edited, Ui& ui) {
  if (!selection || *selection >= records_.size()) {
    ui.message("EDIT: no part selection.");
    return std::nullopt;
  }
  if (!edited) return std::nullopt;
  edited->normalizeChoices();
  edited->Calculate(header_);
  take(*selection);
  const std::size_t pos = insertSorted(std::move(edited));
  header_.CalcFlags = 0;
  modified_ = true;
  return pos;
}

std::optional<std::size_t> CCircDoc::convertRecord(std::optional<std::size_t> selection,
                                                   std::uint16_t typeId, Ui& ui) {
  if (!selection || *selection >= records_.size()) {
    ui.message("CONVERT: no part selection.");
    return std::nullopt;
  }
  auto converted = convertedRecord(*selection, typeId);
  if (!converted) {
    ui.message("CONVERT: can not create part type.");
    return std::nullopt;
  }
  return replaceRecord(selection, std::move(converted), ui);
}

std::unique_ptr<CPart> CCircDoc::convertedRecord(std::size_t index, std::uint16_t typeId) const {
  auto converted = PartRegistry::instance().create(typeId, isHybrid());
  if (converted) {
    converted->copyBaseFieldsExceptType(*records_.at(index));
    converted->IS_HYBRID = hybridFlag();
  }
  return converted;
}

std::optional<std::size_t> CCircDoc::deleteRecord(std::optional<std::size_t> selection, Ui& ui) {
  if (!selection || *selection >= records_.size()) {
    ui.message("DELETE: no part selection.");
    return selection;
  }
  const std::string question = strprintf("PN: '%.25s'\nDelete Record# %d?",
                                         records_[*selection]->PN.c_str(),
                                         static_cast<int>(*selection + 1));
  if (!ui.confirm(question)) return selection;
  take(*selection);
  header_.CalcFlags = 0;
  modified_ = true;
  if (records_.empty()) return std::nullopt;
  return std::min(*selection, records_.size() - 1);
}

double CCircDoc::shareBase() const {
  if (header_.CalcFlags == 0) return -1.0;
  if (isHybrid()) return header_.SUMCHIPS;
  // The sum of TFR plus the solder-joint term: the circuit total before the
  // header correction factor, formed again rather than divided out (a factor
  // of 0 must not give 0/0).
  double sum = 0.0;
  for (const auto& part : records_) sum += part->TFR();
  if (header_.HASSMT != 0) sum += header_.LargestFRSMT;
  return sum;
}

std::string CCircDoc::selectionTitle(std::size_t index) const {
  const std::string position = strprintf("Record: %d of %u", static_cast<int>(index + 1),
                                         static_cast<unsigned>(records_.size()));
  return lineprintf("%s    %s", isHybrid() ? "Hybrid Parts List" : "Circuit Parts List",
                    position.c_str());
}

std::string CCircDoc::detailText(std::size_t index) const {
  if (index >= records_.size()) return {};
  return partDetailText(*records_[index], shareBase());
}

std::vector<std::string> CCircDoc::resultLines(bool mission) const {
  const CCircHeader& h = header_;
  std::vector<std::string> lines;
  lines.push_back(lineprintf("'%s' Calculation Results:", upperCased(title_).c_str()));
  lines.push_back(lineprintf("FR=%s fpmh   MTBF=%s hrs.   Parts=%s",
                             formatNumber(h.TotalFR, 12, 6).c_str(), formatNumber(h.MTBF, 12, 6).c_str(),
                             strprintf("%.0f", static_cast<double>(h.PartsCount)).c_str()));
  if (mission) {
    lines.push_back(lineprintf("MissionMTBF=%s hrs.", formatNumber(h.MissionMTBF, 12, 6).c_str()));
    lines.push_back(lineprintf("MissionR=%s   BasicR=%s", formatNumber(h.MissionR, 8, 6).c_str(),
                               formatNumber(h.BasicR, 8, 6).c_str()));
  }
  return lines;
}

void CCircDoc::recalculateRecords() {
  for (auto& part : records_) part->Calculate(header_);
}

}  // namespace kestrel
