// Arguments checked as they are parsed: texts typed on the command line
// that become stored texts (part numbers, descriptions, notes, the company
// line: the terminal types UTF-8, the files keep Windows-1252), and the
// names of files that must exist.
#pragma once

#include <CLI/CLI.hpp>

namespace kestrel::cli {

// Converts the option's value to Windows-1252 as it is parsed; a character
// the code page cannot hold becomes '?' with a warning on stderr.
CLI::Validator storedText();

// A file that exists, or a library's database address (whose server says
// whether it exists when it is opened).
CLI::Validator existingFileOrAddress();

}  // namespace kestrel::cli
