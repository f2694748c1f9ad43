#include "models/micro_electromech/register.hpp"

#include "core/registry.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connections.hpp"
#include "models/micro_electromech/connector.hpp"
#include "models/micro_electromech/microcircuit_family.hpp"
#include "models/micro_electromech/mmic.hpp"
#include "models/micro_electromech/relay.hpp"
#include "models/micro_electromech/rotating_device.hpp"
#include "models/micro_electromech/tube.hpp"
#include "models/micro_electromech/saw_device.hpp"
#include "models/micro_electromech/switch.hpp"
#include "models/micro_electromech/vlsi.hpp"

namespace kestrel {

void registerMicroElectromechParts() {
  // The seven microcircuit classes are rows of one table; each other class
  // of this family adds one registerClass line here.
  registerMicrocircuitFamily();
  if (auto& r = PartRegistry::instance(); !r.isRegistered(108)) (void)r.registerClass(108, CVLSI::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(122)) (void)r.registerClass(122, CMMIC::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(123)) (void)r.registerClass(123, CBubble::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(124)) (void)r.registerClass(124, CSAWDevice::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(502)) (void)r.registerClass(502, CRelay::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(503)) (void)r.registerClass(503, CSwitch::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(504)) (void)r.registerClass(504, CConnector::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(505)) (void)r.registerClass(505, CCircuitBoard::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(506)) (void)r.registerClass(506, CConnections::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(501)) (void)r.registerClass(501, CRotate::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(601)) (void)r.registerClass(601, CTube::kClass);
}

}  // namespace kestrel
