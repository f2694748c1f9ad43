// kestrel keywords: the field keyword catalogue, with class, type and range.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/listing_options.hpp"
#include "core/document_json.hpp"
#include "core/keywords/catalogue.hpp"
#include "core/number_format.hpp"
#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::cli {
namespace {

struct KeywordsJob {
  bool json = false;
  std::string prefix;  // only keywords starting with this text
  ListingRequest listing;
};

std::string rangeText(const KeywordInfo& k) {
  if (k.type != KeywordType::Num || (k.lo == 0.0 && k.hi == 0.0)) return {};
  return formatNumber(k.lo, 12, 6) + ".." + formatNumber(k.hi, 12, 6);
}

std::string menuNameOf(std::string_view className) {
  const PartType* t = findPartTypeByClass(className);
  return t ? std::string(t->menuName) : std::string();
}

int runKeywords(const KeywordsJob& job) {
  const std::string prefix = upperCased(job.prefix);
  const ListingPage shown = listingPageOf(job.listing);
  JsonWriter json(std::cout);
  if (job.json) {
    json.beginCommandDocument("keywords");
    json.key("keywords");
    json.beginArray();
  }
  std::size_t index = 0;
  for (const KeywordInfo& k : keywordCatalogue()) {
    if (!prefix.empty() && std::string_view(k.name).substr(0, prefix.size()) != prefix) continue;
    if (!shown.shows(index++)) continue;
    const std::string type(kKeywordTypeNames[static_cast<int>(k.type)]);
    if (job.json) {
      JsonMembers row = {{"keyword", jsonString(k.name)}, {"type", jsonString(type)}, {"class", jsonString(k.className)}};
      if (k.type == KeywordType::Num && (k.lo != 0.0 || k.hi != 0.0)) {
        row.emplace_back("min", jsonNumber(k.lo));
        row.emplace_back("max", jsonNumber(k.hi));
      }
      json.sortedObject(std::move(row));
    } else {
      const std::string owner = k.className.empty() ? std::string("-")
                                                    : std::string(k.className) + " (" +
                                                          menuNameOf(k.className) + ")";
      std::printf("%-26s %-7s %-36s %s\n", std::string(k.name).c_str(), type.c_str(), owner.c_str(),
                  rangeText(k).c_str());
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

void addKeywordsCommand(CLI::App& app, const GlobalOptions&, int& exitCode) {
  auto job = std::make_shared<KeywordsJob>();
  CLI::App* cmd = app.add_subcommand("keywords", "List the field keyword catalogue in its order");
  cmd->add_flag("--json", job->json, "Write the catalogue as JSON");
  addListingOptions(cmd, job->listing);
  cmd->add_option("--prefix", job->prefix, "Only keywords starting with this text (e.g. HEADER_)");
  cmd->callback([job, &exitCode] { exitCode = runKeywords(*job); });
}

}  // namespace kestrel::cli
