#include "models/micro_electromech/register.hpp"

#include "core/registry.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connections.hpp"
#include "models/micro_electromech/connector.hpp"
#include "models/micro_electromech/ic_linear.hpp"
#include "models/micro_electromech/ic_logic.hpp"
#include "models/micro_electromech/ic_micro.hpp"
#include "models/micro_electromech/ic_pla.hpp"
#include "models/micro_electromech/ic_prom.hpp"
#include "models/micro_electromech/ic_ram.hpp"
#include "models/micro_electromech/ic_rom.hpp"
#include "models/micro_electromech/mmic.hpp"
#include "models/micro_electromech/relay.hpp"
#include "models/micro_electromech/rotating_device.hpp"
#include "models/micro_electromech/tube.hpp"
#include "models/micro_electromech/saw_device.hpp"
#include "models/micro_electromech/switch.hpp"
#include "models/micro_electromech/vlsi.hpp"

namespace kestrel {

void registerMicroElectromechParts() {
  // Each class of this family adds one registerClass line here.
  if (auto& r = PartRegistry::instance(); !r.isRegistered(101)) (void)r.registerClass(101, CIC_Logic::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(102)) (void)r.registerClass(102, CIC_PLA::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(103)) (void)r.registerClass(103, CIC_Micro::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(104)) (void)r.registerClass(104, CIC_RAM::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(105)) (void)r.registerClass(105, CIC_ROM::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(106)) (void)r.registerClass(106, CIC_PROM::kClass);
  if (auto& r = PartRegistry::instance(); !r.isRegistered(107)) (void)r.registerClass(107, CIC_Linear::kClass);
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
