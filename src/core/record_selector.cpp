#include "core/record_selector.hpp"

#include <charconv>

#include "core/circ_doc.hpp"
#include "core/strfmt.hpp"

namespace kestrel {

Status parseRecordSelector(const std::string& text, RecordSelector& out) {
  out = RecordSelector{};
  out.written = text;
  const auto eq = text.find('=');
  if (eq == std::string::npos) {
    const std::string_view digits = trimmed(text);
    std::size_t n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || n == 0) {
      return Status::error(StatusCode::InvalidArgument,
                           "'" + text + "' is not a record number (from 1), PN=... or REFDES=...");
    }
    out.number = n;
    return Status::ok();
  }
  const std::string key = upperCased(trimmed(std::string_view(text).substr(0, eq)));
  if (key == "PN") {
    out.by = RecordSelector::By::Pn;
  } else if (key == "REFDES") {
    out.by = RecordSelector::By::RefDes;
  } else {
    return Status::error(StatusCode::InvalidArgument, "'" + text + "': records are chosen by number, PN= or REFDES=");
  }
  out.text = upperCased(text.substr(eq + 1));
  return Status::ok();
}

std::vector<std::size_t> selectedRecords(const CCircDoc& doc, const RecordSelector& selector) {
  std::vector<std::size_t> hits;
  if (selector.by == RecordSelector::By::Number) {
    if (selector.number <= doc.count()) hits.push_back(selector.number - 1);
    return hits;
  }
  for (std::size_t i = 0; i < doc.count(); ++i) {
    const CPart& part = doc.record(i);
    const std::string& field = selector.by == RecordSelector::By::Pn ? part.PN : part.REFDES;
    if (upperCased(field) == selector.text) hits.push_back(i);
  }
  return hits;
}

std::vector<std::size_t> findEveryRecord(const CCircDoc& doc, RecordFindJob job, std::string& notFound) {
  std::vector<std::size_t> hits;
  job.fromCurrent = false;
  RecordFindResult r = findRecord(doc, job, std::nullopt);
  if (!r.found) {
    notFound = r.message;
    return hits;
  }
  job.fromCurrent = true;
  while (r.found) {
    hits.push_back(*r.found);
    r = findRecord(doc, job, r.found);
  }
  return hits;
}

}  // namespace kestrel
