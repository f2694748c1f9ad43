#include "core/record_find.hpp"

#include "core/circ_doc.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

bool holds(const std::string& field, const std::string& upperText) {
  return upperCased(field).find(upperText) != std::string::npos;
}

}  // namespace

bool recordHoldsText(const CPart& part, const RecordFindFields& fields, const std::string& text) {
  const std::string wanted = upperCased(text);
  return (fields.pn && holds(part.PN, wanted)) || (fields.pn2 && holds(part.PN2, wanted)) ||
         (fields.refDes && holds(part.REFDES, wanted)) || (fields.descr && holds(part.DESCR, wanted)) ||
         (fields.lcn && holds(part.LCN, wanted)) ||
         (fields.notes && (holds(part.NOTESTITLE, wanted) || holds(part.NOTES, wanted)));
}

RecordFindResult findRecord(const CCircDoc& doc, const RecordFindJob& job,
                            std::optional<std::size_t> current) {
  const bool afterCurrent = job.fromCurrent && current.has_value();
  const std::size_t start = afterCurrent ? *current + 1 : 0;
  const std::string text = job.text.substr(0, kFindTextLength);
  RecordFindResult result;
  for (std::size_t i = start; i < doc.count(); ++i) {
    const CPart& part = doc.record(i);
    const bool hit = job.mode == RecordFindMode::Text ? recordHoldsText(part, job.fields, text)
                                                      : part.PART_TYPE == job.typeId;
    if (hit) {
      result.found = i;
      return result;
    }
  }
  const char* from = afterCurrent ? "current" : "top";
  if (job.mode == RecordFindMode::Text) {
    result.message = strprintf("Text: '%s'\nMatching record was not found (from %s).", text.c_str(), from);
  } else {
    const std::string name = typeName(job.typeId, doc.isHybrid(), nullptr);
    result.message =
        strprintf("Part Type: '%.25s'\nMatching record was not found (from %s).", name.c_str(), from);
  }
  return result;
}

}  // namespace kestrel
