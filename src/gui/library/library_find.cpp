#include "gui/library/library_find.hpp"

#include "core/registry.hpp"
#include "core/strfmt.hpp"

namespace kestrel::gui {

bool buildPartTypeMenus(PartTypeMenus& menus, Ui& ui) {
  for (bool hybrid : {false, true}) {
    if (Status s = PartRegistry::instance().buildMenu(hybrid, hybrid ? menus.hybrid : menus.circuit); !s) {
      ui.message(s.message());
      menus = {};
      return false;
    }
  }
  return true;
}

std::optional<std::int32_t> findLibraryRecord(library::PartLibrary& lib, const LibraryFindJob& job,
                                              std::int32_t current, const PartTypeMenus& menus, Ui& ui) {
  library::LibEntry entry;
  library::Outcome o = library::Outcome::NotFound;
  std::string failure, notFound;
  if (job.mode == LibraryFindJob::kPartNumber || job.mode == LibraryFindJob::kPn2) {
    const bool byPn2 = job.mode == LibraryFindJob::kPn2;
    o = lib.search(job.text, byPn2, job.fromCurrent ? current : -1, entry);
    failure = byPn2 ? "Can not find record by PN2" : "Can not find record by PN";
    notFound = strprintf(byPn2 ? "PN2: '%s'\nMatching record was not found." : "PN: '%s'\nMatching record was not found.",
                         job.text.c_str());
  } else {
    const bool hybrid = job.mode == LibraryFindJob::kHybridPartType;
    const auto table = menuTable(hybrid);
    const std::vector<std::string>& menu = hybrid ? menus.hybrid : menus.circuit;
    if (job.menuIndex < 1 || job.menuIndex > table.size() || job.menuIndex >= menu.size()) return std::nullopt;
    const std::uint16_t type = table[job.menuIndex - 1].id;
    o = lib.findType(type, hybrid, entry, store::kFindEqualOrGreater);
    // Equal or greater lands on the next type when there is none of this one.
    if (o == library::Outcome::Ok && (entry.type != type || (entry.hybrid != 0) != hybrid)) {
      o = library::Outcome::NotFound;
    }
    failure = hybrid ? "Can not find record by hybrid part type" : "Can not find record by part type";
    notFound = strprintf("Part Type: '%.25s'\nMatching record was not found.", menu[job.menuIndex].c_str());
  }
  if (o == library::Outcome::Failed) {
    ui.message(failure + "\n" + lib.error().text());
    return std::nullopt;
  }
  if (o != library::Outcome::Ok) {
    ui.message(notFound);
    return std::nullopt;
  }
  return entry.record;
}

}  // namespace kestrel::gui
