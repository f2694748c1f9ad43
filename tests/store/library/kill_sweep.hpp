// The kill sweep: each command that changes a library, run by the kestrel
// program under strace and killed (SIGKILL) at the entry of one of its
// writes, flushes, renames or deletes. After each kill the library must
// open, check clean (`lib check` and `store check`, which roll an
// interrupted write back), leave no journal behind, and hold every part
// either as it was before the command or as the command left it.
#pragma once

#include <string>

namespace kestrel::library::test {

struct KillSweep {
  // Kill points per command, spread evenly over its calls and starting at a
  // different call for each command (0: every one of them).
  int pointsPerCommand = 0;
  // Commands whose name contains this text ("" for all of them).
  std::string only;
};

struct KillFigures {
  int commands = 0;
  int kills = 0;      // runs that died at the injected signal
  int recovered = 0;  // of those, libraries that opened, checked clean and held old or new parts
};

// Runs the sweep with GoogleTest assertions; prints one line per command.
KillFigures runKillSweep(const KillSweep& sweep);

}  // namespace kestrel::library::test
