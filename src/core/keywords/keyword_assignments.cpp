#include "core/keywords/keyword_assignments.hpp"

#include <set>

#include "core/circ_header.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/keywords/keyword_reader.hpp"
#include "core/part.hpp"
#include "core/strfmt.hpp"
#include "core/windows1252.hpp"

namespace kestrel {
namespace {

// A definition with every keyword, the given ones mapped to fields 1..n of
// one input record. The values are typed in UTF-8; the record keeps
// Windows-1252, and what it cannot hold becomes '?' with a note in the log.
struct AssignedInput {
  AssignedInput(const std::vector<KeywordAssignment>& values, AssignmentResult& result) {
    record.number = 1;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const int field = static_cast<int>(i) + 1;
      record.setText(field, storedFieldText(values[i].value, record.number, field,
                                            [&result](std::string_view note) {
                                              result.log.emplace_back(note);
                                              ++result.warnings;
                                            }));
      for (CKwd& k : keywords) {
        if (k.name == values[i].keyword) k.fieldNumber = static_cast<float>(field);
      }
    }
  }
  std::vector<CKwd> keywords = defaultKeywordRecords();
  InputRecord record;
};

Status finish(bool ok, const KeywordReader& reader, const std::vector<KeywordAssignment>& values,
              AssignmentResult& result) {
  result.warnings += reader.warnings();
  for (const KeywordAssignment& v : values) {
    if (reader.consulted().count(v.keyword) == 0) result.unused.push_back(v.keyword);
  }
  if (!ok) return Status::error(StatusCode::InvalidArgument, "the fields could not be read (see the log)");
  return Status::ok();
}

}  // namespace

Status parseAssignments(const std::vector<std::string>& texts, std::vector<KeywordAssignment>& out,
                        AssignmentResult* result) {
  out.clear();
  std::set<std::string> seen;
  if (texts.size() > static_cast<std::size_t>(kMaxInputFields)) {
    return Status::error(StatusCode::InvalidArgument,
                         "at most " + std::to_string(kMaxInputFields) + " KEYWORD=VALUE items");
  }
  for (const std::string& text : texts) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
      return Status::error(StatusCode::InvalidArgument, "'" + text + "' is not KEYWORD=VALUE");
    }
    KeywordAssignment a{upperCased(trimmed(std::string_view(text).substr(0, eq))), text.substr(eq + 1)};
    if (findKeyword(a.keyword) == nullptr) {
      return Status::error(StatusCode::InvalidArgument,
                           "'" + a.keyword + "' is not a field keyword (see kestrel keywords)");
    }
    if (!seen.insert(a.keyword).second) {
      return Status::error(StatusCode::InvalidArgument, "'" + a.keyword + "' is given twice");
    }
    if (a.value.size() > kMaxInputText) {
      if (result != nullptr) {
        result->log.push_back(textCutNote(a.keyword, a.value.size(), kMaxInputText) + "...");
        ++result->warnings;
      }
      a.value.resize(kMaxInputText);
    }
    out.push_back(std::move(a));
  }
  return Status::ok();
}

Status assignPartFields(CPart& part, const std::vector<KeywordAssignment>& values, bool smtAllowed,
                        float ambient, AssignmentResult& result) {
  AssignedInput input(values, result);
  KeywordReader reader(input.keywords, [&](std::string_view line) { result.log.emplace_back(line); });
  reader.setRecord(&input.record);
  const bool ok = part.ImportFields(reader, false, smtAllowed, ambient);
  part.normalizeChoices();
  return finish(ok, reader, values, result);
}

Status assignHeaderFields(CCircHeader& header, bool hybrid,
                          const std::vector<KeywordAssignment>& values, AssignmentResult& result) {
  AssignedInput input(values, result);
  KeywordReader reader(input.keywords, [&](std::string_view line) { result.log.emplace_back(line); });
  reader.setRecord(&input.record);
  const bool ok = header.ImportFields(reader, hybrid);
  return finish(ok, reader, values, result);
}

}  // namespace kestrel
