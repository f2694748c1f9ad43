// A small in-memory circuit of miscellaneous parts: what `kestrel demo`
// calculates, so a newcomer sees the calculation before any file exists.
#pragma once

#include <memory>

#include "core/circ_doc.hpp"

namespace kestrel {

std::unique_ptr<CCircDoc> makeSampleCircuit();

}  // namespace kestrel
