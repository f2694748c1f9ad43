// Opening and saving documents for the subcommands, with the messages and
// exit codes of the command line.
#pragma once

#include <memory>
#include <string>

#include "core/circ_doc.hpp"
#include "core/document_lock.hpp"
#include "core/registry.hpp"

namespace kestrel::cli {

class TerminalUi;

// Loads a circuit or hybrid file; on failure prints "kestrel: 'FILE': ..." and
// returns null (exit code 2).
std::unique_ptr<CCircDoc> openDocument(const std::string& path);
// Saves; on failure prints the message and returns false (exit code 1).
bool saveDocumentTo(CCircDoc& doc, const std::string& path);
// Takes the lock of a document (any kind) that is about to be read, changed
// and saved, waiting a little for another program to let it go; on failure
// prints "kestrel: 'FILE': locked by ...; try again later" and returns
// false (exit code 1). Keep `lock` until the document is saved.
bool lockForChange(const std::string& path, DocumentLock& lock);
// The part type named by a class, type id or menu name, one the document's
// kind can hold; null after printing why.
const PartType* partTypeFor(const CCircDoc& doc, const std::string& name, const std::string& path);
// Prints a message about a file on stderr.
void fileMessage(const std::string& path, const std::string& text);

}  // namespace kestrel::cli
