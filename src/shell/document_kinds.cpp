#include "shell/document_kinds.hpp"

#include "core/circ_header.hpp"
#include "core/strfmt.hpp"

namespace kestrel {
namespace {

constexpr DocumentKind kKinds[] = {
    {"Circuit", "Circuit Files (*.cir)", ".cir"},   {"Hybrid", "Hybrid Files (*.hyb)", ".hyb"},
    {"Library", "Library Files (*.lib)", ".lib"},   {"Project", "Project Files (*.prj)", ".prj"},
    {"Cross-Reference", "Cross-Ref Files (*.xrf)", ".xrf"}, {"Import", "Import Files (*.imp)", ".imp"},
};

}  // namespace

std::string DocumentKind::typeString() const {
  const std::string n(name);
  return "\n" + n + "\n" + n + "\n" + std::string(filter) + "\n" + std::string(extension) +
         "\nKestrel." + n + "\nKestrel " + n;
}

std::span<const DocumentKind> documentKinds() { return kKinds; }

std::string circuitPartClipboardFormat() { return strprintf("Kestrel CircPart (%d)", kFileVersion); }
std::string hybridPartClipboardFormat() { return strprintf("Kestrel HybPart (%d)", kFileVersion); }

}  // namespace kestrel
