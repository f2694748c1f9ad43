// A record's or header's fields, factors and results as JSON for scripts.
#pragma once

#include <nlohmann/json.hpp>

#include "core/circ_doc.hpp"

namespace kestrel::cli {

nlohmann::json partJson(CPart& part, const CCircDoc& doc);
nlohmann::json headerJson(CCircHeader& header, bool hybrid);
nlohmann::json documentJson(CCircDoc& doc);

}  // namespace kestrel::cli
