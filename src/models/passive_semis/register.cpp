#include "models/passive_semis/register.hpp"

#include "core/registry.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/passive_semis/transistor.hpp"
#include "models/passive_semis/diode.hpp"
#include "models/passive_semis/potentiometer.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/inductive.hpp"

namespace kestrel {

void registerPassiveSemisParts() {
  // Each class of this family adds one registerClass line here.
  if (auto& r = PartRegistry::instance(); !r.isRegistered(301)) (void)r.registerClass(301, CTransistor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(302)) (void)r.registerClass(302, CDiode::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(401)) (void)r.registerClass(401, CResistor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(402)) (void)r.registerClass(402, CPotentiometer::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(403)) (void)r.registerClass(403, CCapacitor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(404)) (void)r.registerClass(404, CInductive::kClass);
}

}  // namespace kestrel
