// Registers the microcircuit, electromechanical and other part classes.
#pragma once

namespace kestrel {
void registerMicroElectromechParts();
}
