// Registers the passive-part and discrete-semiconductor classes.
#pragma once

namespace kestrel {
void registerPassiveSemisParts();
}
