#include "models/micro_electromech/register.hpp"

#include "core/registry.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connections.hpp"
#include "models/micro_electromech/connector.hpp"
#include "models/micro_electromech/relay.hpp"
#include "models/micro_electromech/saw_device.hpp"
#include "models/micro_electromech/switch.hpp"

namespace kestrel {

void registerMicroElectromechParts() {
  // Each class of this family adds one registerClass line here.
  if (auto& r = PartRegistry::instance(); !r.isRegistered(123)) (void)r.registerClass(123, CBubble::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(124)) (void)r.registerClass(124, CSAWDevice::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(502)) (void)r.registerClass(502, CRelay::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(503)) (void)r.registerClass(503, CSwitch::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(504)) (void)r.registerClass(504, CConnector::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(505)) (void)r.registerClass(505, CCircuitBoard::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(506)) (void)r.registerClass(506, CConnections::kClass);
}

}  // namespace kestrel
