// kestrel types: the part classes linked into the program, with type id,
// class name, display name and where the circuit and hybrid menus place them.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/listing_options.hpp"
#include "core/document_json.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"

namespace kestrel::cli {
namespace {

struct TypesJob {
  bool json = false;
  ListingRequest listing;
};

// 1-based index of a type in the menu of a document kind, or 0 when that
// menu does not offer it.
std::size_t menuIndexOf(const PartType& type, bool hybrid) {
  if (hybrid && !type.inHybridMenu) return 0;
  const std::size_t position = typePosition(type.id, hybrid, nullptr);
  return position == kUnknownTypeSlot ? 0 : position + 1;
}

std::string menuText(std::size_t index) { return index == 0 ? std::string("-") : std::to_string(index); }

int runTypes(const TypesJob& job) {
  const PartRegistry& registry = PartRegistry::instance();
  const ListingPage shown = listingPageOf(job.listing);
  JsonWriter json(std::cout);
  if (job.json) {
    json.beginCommandDocument("types");
    json.key("types");
    json.beginArray();
  } else {
    std::printf("%-5s %-16s %-22s %-8s %-7s\n", "ID", "CLASS", "NAME", "CIRCUIT", "HYBRID");
  }
  std::size_t index = 0;
  for (const PartType& t : allPartTypes()) {
    if (!registry.isRegistered(t.id) || !shown.shows(index++)) continue;
    auto part = registry.create(t.id, false);
    const std::string name = part ? part->GetTypeName() : std::string(t.menuName);
    const std::size_t circuit = menuIndexOf(t, false);
    const std::size_t hybrid = menuIndexOf(t, true);
    if (job.json) {
      json.sortedObject({{"id", jsonInteger(t.id)},
                         {"class", jsonString(t.className)},
                         {"name", jsonString(name)},
                         {"circuitMenu", jsonInteger(static_cast<long long>(circuit))},
                         {"hybridMenu", hybrid == 0 ? "null" : jsonInteger(static_cast<long long>(hybrid))}});
    } else {
      std::printf("%-5u %-16s %-22s %-8s %-7s\n", static_cast<unsigned>(t.id), std::string(t.className).c_str(),
                  name.c_str(), menuText(circuit).c_str(), menuText(hybrid).c_str());
    }
  }
  if (job.json) {
    json.endArray();
    json.endObject();
    json.finish();
  }
  return kExitOk;
}

}  // namespace

void addTypesCommand(CLI::App& app, const GlobalOptions&, int& exitCode) {
  auto job = std::make_shared<TypesJob>();
  CLI::App* cmd = app.add_subcommand("types", "List the registered part classes with their type ids and menus");
  cmd->add_flag("--json", job->json, "Write the list as JSON");
  addListingOptions(cmd, job->listing);
  cmd->callback([job, &exitCode] { exitCode = runTypes(*job); });
}

}  // namespace kestrel::cli
