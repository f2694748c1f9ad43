// The library command groups of `kestrel`: lib and xref (library_cmds.cpp),
// recall, transfer and update (recall_cmds.cpp). addLibraryCommands adds them all.
#pragma once

#include "cli/commands.hpp"
#include <string>
#include <string_view>

#include "store/library/part_library.hpp"
#include "store/library/store_message.hpp"

namespace kestrel::cli {

void addRecallTransferCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
// lib edit, convert and delete; xref edit and delete (library_edit_cmds.cpp),
// added to the lib and xref commands.
void addLibraryEditCommands(CLI::App& app, int& exitCode);
// lib copy and xref copy (library_copy_cmds.cpp).
void addLibraryCopyCommands(CLI::App& app, const GlobalOptions& global, int& exitCode);
// Prints a library failure on stderr as "kestrel: <context>: <what>: <detail>".
void printStoreMessage(const library::StoreMessage& message);
// The counters of lib add and xref add: "Succeed:1  DuplicatePN:0" (or
// "ReplaceDuplicatePN" with --replace), or their JSON document.
void printAddCounts(const std::string& file, bool replace, bool json, std::string_view command,
                    const library::StoreCounters& counters);

}  // namespace kestrel::cli
