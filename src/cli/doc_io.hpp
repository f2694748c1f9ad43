// Opening and saving documents for the subcommands, with the messages and
// exit codes of the command line.
#pragma once

#include <memory>
#include <string>

#include "core/circ_doc.hpp"

namespace kestrel::cli {

class TerminalUi;

// Loads a circuit or hybrid file; on failure prints "kestrel: 'FILE': ..." and
// returns null (exit code 2).
std::unique_ptr<CCircDoc> openDocument(const std::string& path);
// Saves; on failure prints the message and returns false (exit code 1).
bool saveDocumentTo(CCircDoc& doc, const std::string& path);
// Prints a message about a file on stderr.
void fileMessage(const std::string& path, const std::string& text);

}  // namespace kestrel::cli
