// The six document kinds and the clipboard format names.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kestrel {

struct DocumentKind {
  std::string_view name;       // "Circuit"
  std::string_view filter;     // "Circuit Files (*.cir)"
  std::string_view extension;  // ".cir"
  // "\nCircuit\nCircuit\nCircuit Files (*.cir)\n.cir\nKestrel.Circuit\nKestrel Circuit"
  std::string typeString() const;
};

std::span<const DocumentKind> documentKinds();

inline constexpr std::string_view kApplicationTitle = "Kestrel";
inline constexpr std::string_view kHandbookName = "MIL-HDBK-217F, Notice 2";

// "Kestrel CircPart (50100)", "Kestrel HybPart (50100)", "Kestrel XRefObj".
std::string circuitPartClipboardFormat();
std::string hybridPartClipboardFormat();
inline constexpr std::string_view kXRefClipboardFormat = "Kestrel XRefObj";

}  // namespace kestrel
