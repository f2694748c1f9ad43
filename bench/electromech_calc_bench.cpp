// The basic calculation of circuits of MaxRecs electromechanical and
// interconnect records: one circuit per class (relays, switches, connectors,
// circuit boards, connections, bubble memories, SAW devices) with mixed
// choices, environments and stresses, and one circuit of all of them mixed.
// Items processed = records, so the rate reads as the per-record cost.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/ui.hpp"
#include "models/micro_electromech/bubble_memory.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connections.hpp"
#include "models/micro_electromech/connector.hpp"
#include "models/micro_electromech/relay.hpp"
#include "models/micro_electromech/saw_device.hpp"
#include "models/micro_electromech/switch.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

using Maker = std::function<std::unique_ptr<CPart>(std::size_t)>;

std::unique_ptr<CPart> relay(std::size_t i) {
  auto p = std::make_unique<CRelay>();
  p->PART_TYPE = 502;
  p->TYPE = static_cast<std::uint8_t>(1 + i % 14);
  p->CONSTR = static_cast<std::uint8_t>(1 + i % 2);
  p->CONTACT = static_cast<std::uint8_t>(1 + i % 9);
  p->RATING = static_cast<std::uint8_t>(1 + i % 2);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  p->LOAD = static_cast<std::uint8_t>(1 + i % 3);
  p->ISTRESS = static_cast<float>(i % 100);
  p->RATE = static_cast<float>(i % 2000) * 0.75f;
  p->TRISE = static_cast<float>(i % 40);
  return p;
}

std::unique_ptr<CPart> switchPart(std::size_t i) {
  auto p = std::make_unique<CSwitch>();
  p->PART_TYPE = 503;
  p->TYPE = static_cast<std::uint8_t>(1 + i % 15);
  p->CONTACT = static_cast<std::uint8_t>(1 + i % 4);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  p->LOAD = static_cast<std::uint8_t>(1 + i % 3);
  p->POWER = static_cast<std::uint8_t>(1 + i % 2);
  p->ISTRESS = static_cast<float>(i % 100);
  return p;
}

std::unique_ptr<CPart> connector(std::size_t i) {
  auto p = std::make_unique<CConnector>();
  p->PART_TYPE = 504;
  p->FAMILY = static_cast<std::uint8_t>(1 + i % 10);
  p->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->GAUGE = static_cast<std::uint8_t>(1 + i % 9);
  p->AMPS = static_cast<float>(i % 20) * 0.5f;
  p->PINS = static_cast<float>(1 + i % 200);
  p->CYCLE = static_cast<std::uint8_t>(1 + i % 5);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  p->TRISE = static_cast<float>(i % 30);
  return p;
}

std::unique_ptr<CPart> board(std::size_t i) {
  auto p = std::make_unique<CCircuitBoard>();
  p->PART_TYPE = 505;
  p->TYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->LAYERS = static_cast<float>(1 + i % 20);
  p->N1 = static_cast<float>(i % 5000);
  p->N2 = static_cast<float>(i % 50);
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> connections(std::size_t i) {
  auto p = std::make_unique<CConnections>();
  p->PART_TYPE = 506;
  p->TYPE = static_cast<std::uint8_t>(1 + i % 9);
  p->N = static_cast<float>(i % 3000);
  return p;
}

std::unique_ptr<CPart> bubble(std::size_t i) {
  auto p = std::make_unique<CBubble>();
  p->PART_TYPE = 123;
  p->CHIPS = static_cast<float>(1 + i % 8);
  p->GENTYPE = static_cast<std::uint8_t>(1 + i % 2);
  p->LEARN = static_cast<std::uint8_t>(1 + i % 2);
  p->YEARS = 0.5f;
  p->DC = static_cast<float>(1 + i % 100);
  p->RW = static_cast<float>(1 + i % 3000);
  p->TRISE = static_cast<float>(i % 40);
  return p;
}

std::unique_ptr<CPart> saw(std::size_t i) {
  auto p = std::make_unique<CSAWDevice>();
  p->PART_TYPE = 124;
  p->QU = static_cast<std::uint8_t>(1 + i % 2);
  return p;
}

std::unique_ptr<CPart> mixed(std::size_t i) {
  static const Maker makers[] = {relay, switchPart, connector, board, connections, bubble, saw};
  return makers[i % 7](i / 7);
}

void calcMaxRecs(benchmark::State& state, const Maker& make) {
  registerAllParts();
  CCircDoc doc;
  doc.header().ENV = 6;
  doc.header().TEMP = 45.0f;
  for (std::size_t i = 0; i < kMaxRecs; ++i) {
    auto part = make(i);
    part->PN = "EM" + std::to_string(1000 + i % 977);
    doc.appendLoaded(std::move(part));
  }
  SilentUi ui;
  CalcContext context{ui};
  for (auto _ : state) {
    const bool ok = doc.BasicCalc(context, 0, 8760.0);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kMaxRecs));
}

BENCHMARK_CAPTURE(calcMaxRecs, Relays, Maker(relay))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Switches, Maker(switchPart))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Connectors, Maker(connector))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, CircuitBoards, Maker(board))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Connections, Maker(connections))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, BubbleMemories, Maker(bubble))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, SawDevices, Maker(saw))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcMaxRecs, Mixed, Maker(mixed))->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
