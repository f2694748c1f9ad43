// Registers the part classes that live in the core (miscellaneous parts;
// sub-circuits and sub-hybrids join them). Safe to call more than once.
#pragma once

namespace kestrel {
void registerCoreParts();
}
