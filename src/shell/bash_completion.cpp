#include "shell/bash_completion.hpp"

#include <string_view>

#include "core/keywords/catalogue.hpp"
#include "core/registry.hpp"
#include "shell/class_help.hpp"

namespace kestrel {
namespace {

std::string joined(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

bool isOneWord(std::string_view name) {
  return !name.empty() && name.find_first_of(" \t'\"\\/,()&") == std::string_view::npos;
}

// The names a part class is given by on the command line: class name, shown
// name (when it is one word) and type id.
std::vector<std::string> classNames(const PartType& type) {
  std::vector<std::string> names{std::string(type.className)};
  if (isOneWord(type.menuName) && type.menuName != type.className) names.emplace_back(type.menuName);
  names.push_back(std::to_string(type.id));
  return names;
}

// The keywords every part reads (identity, quantity, limits, surface mount,
// notes) or a header reads.
std::vector<std::string> sharedKeywords(bool header) {
  std::vector<std::string> out;
  for (const KeywordInfo& k : keywordCatalogue()) {
    if (!k.className.empty() || std::string_view(k.name).starts_with("HEADER_") != header) continue;
    out.emplace_back(k.name);
  }
  return out;
}

}  // namespace

std::string bashCompletionScript(const std::vector<CompletionCommand>& commands) {
  std::vector<std::string> top, allClasses;
  std::string groups;
  for (const CompletionCommand& c : commands) {
    top.push_back(c.name);
    if (!c.subcommands.empty()) groups += "    " + c.name + ") subs=\"" + joined(c.subcommands) + "\" ;;\n";
  }
  std::string classCases;
  const PartRegistry& registry = PartRegistry::instance();
  for (const PartType& type : allPartTypes()) {
    if (!registry.isRegistered(type.id)) continue;
    const std::vector<std::string> names = classNames(type);
    allClasses.insert(allClasses.end(), names.begin(), names.end());
    std::string pattern;
    for (const std::string& n : names) pattern += (pattern.empty() ? "" : "|") + n;
    classCases += "    " + pattern + ") echo \"" + joined(classKeywords(type)) + "\" ;;\n";
  }

  std::string s = "# bash completion for kestrel, made by `kestrel completion bash`.\n";
  s += "_kestrel_class_keywords() {\n  case \"$1\" in\n" + classCases + "  esac\n}\n\n";
  s += "_kestrel() {\n"
       "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} subs=\"\" i\n"
       "  local -a words=()\n"
       "  COMPREPLY=()\n"
       "  # A value after KEYWORD= is the user's own.\n"
       "  [[ $cur == = || $prev == = ]] && return\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    case ${COMP_WORDS[i]} in -*|=) ;; *) [[ ${COMP_WORDS[i+1]} == = || ${COMP_WORDS[i-1]} == = ]] || words+=(\"${COMP_WORDS[i]}\") ;; esac\n"
       "  done\n"
       "  if ((${#words[@]} == 0)); then\n"
       "    COMPREPLY=($(compgen -W \"" + joined(top) + "\" -- \"$cur\"))\n"
       "    return\n"
       "  fi\n"
       "  case ${words[0]} in\n" + groups + "  esac\n"
       "  if [[ -n $subs ]]; then\n"
       "    if ((${#words[@]} == 1)); then COMPREPLY=($(compgen -W \"$subs\" -- \"$cur\")); return; fi\n"
       "    # lib add LIB TYPE ... reads like add FILE TYPE ...\n"
       "    words=(\"${words[@]:1}\")\n"
       "  fi\n"
       "  local classes=\"" + joined(allClasses) + "\"\n"
       "  case ${words[0]} in\n"
       "    add)\n"
       "      if ((${#words[@]} == 2)); then COMPREPLY=($(compgen -W \"$classes\" -- \"$cur\")); return; fi\n"
       "      if ((${#words[@]} >= 3)); then\n"
       "        COMPREPLY=($(compgen -S = -W \"$(_kestrel_class_keywords \"${words[2]}\") " +
       joined(sharedKeywords(false)) + "\" -- \"$cur\"))\n"
       "        compopt -o nospace 2>/dev/null\n"
       "        return\n"
       "      fi ;;\n"
       "    help)\n"
       "      if ((${#words[@]} == 1)); then COMPREPLY=($(compgen -W \"$classes\" -- \"$cur\")); return; fi ;;\n"
       "    new|set)\n"
       "      if [[ ${words[0]} == new ]] && ((${#words[@]} == 1)); then\n"
       "        COMPREPLY=($(compgen -W \"circuit hybrid\" -- \"$cur\"))\n"
       "        return\n"
       "      fi\n"
       "      local first=2\n"
       "      [[ ${words[0]} == new ]] && first=3\n"
       "      if ((${#words[@]} >= first)); then\n"
       "        COMPREPLY=($(compgen -S = -W \"" + joined(sharedKeywords(true)) + "\" -- \"$cur\"))\n"
       "        compopt -o nospace 2>/dev/null\n"
       "        [[ ${#COMPREPLY[@]} -gt 0 ]] && return\n"
       "      fi ;;\n"
       "  esac\n"
       "  COMPREPLY=($(compgen -f -- \"$cur\"))\n"
       "}\n"
       "complete -o filenames -F _kestrel kestrel\n";
  return s;
}

}  // namespace kestrel
