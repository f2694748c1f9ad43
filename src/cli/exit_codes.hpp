// Exit codes of the command line.
#pragma once

namespace kestrel::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitUserError = 1,  // bad arguments, refused command, failed calculation
  kExitBadInput = 2,   // an input file that cannot be read
};

}  // namespace kestrel::cli
