// Exit codes of the command line.
#pragma once

namespace kestrel::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitUserError = 1,  // bad arguments, refused command, failed calculation
  kExitBadInput = 2,   // an input file that cannot be read
  kExitRecordsLost = 3,  // store recover: the new file was written, but records were lost
};

}  // namespace kestrel::cli
