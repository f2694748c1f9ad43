#include "models/passive_semis/register.hpp"

#include "core/registry.hpp"
#include "models/passive_semis/resistor.hpp"
#include "models/passive_semis/transistor.hpp"
#include "models/passive_semis/diode.hpp"
#include "models/passive_semis/potentiometer.hpp"
#include "models/passive_semis/capacitor.hpp"
#include "models/passive_semis/inductive.hpp"
#include "models/passive_semis/crystal.hpp"
#include "models/passive_semis/filter.hpp"
#include "models/passive_semis/fuse.hpp"
#include "models/passive_semis/lamp.hpp"
#include "models/passive_semis/meter.hpp"
#include "models/passive_semis/microwave_device.hpp"
#include "models/passive_semis/microwave_transistor.hpp"
#include "models/passive_semis/opto.hpp"
#include "models/passive_semis/laser_diode.hpp"

namespace kestrel {

void registerPassiveSemisParts() {
  // Each class of this family adds one registerClass line here.
  if (auto& r = PartRegistry::instance(); !r.isRegistered(301)) (void)r.registerClass(301, CTransistor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(302)) (void)r.registerClass(302, CDiode::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(303)) (void)r.registerClass(303, CMTrans::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(304)) (void)r.registerClass(304, COpto::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(305)) (void)r.registerClass(305, CLaserDiode::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(401)) (void)r.registerClass(401, CResistor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(402)) (void)r.registerClass(402, CPotentiometer::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(403)) (void)r.registerClass(403, CCapacitor::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(404)) (void)r.registerClass(404, CInductive::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(603)) (void)r.registerClass(603, CMeter::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(604)) (void)r.registerClass(604, CCrystal::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(605)) (void)r.registerClass(605, CLamp::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(606)) (void)r.registerClass(606, CFilter::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(607)) (void)r.registerClass(607, CFuse::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(608)) (void)r.registerClass(608, CMDev::kClass);
}

}  // namespace kestrel
