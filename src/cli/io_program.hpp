// The commands that need the import, export, report and chart libraries run
// in a second program, kestrel-io, which holds the whole command line. The
// small kestrel starts without those libraries and hands such a command over
// with the same arguments.
#pragma once

namespace kestrel::cli {

// Replaces this process by kestrel-io with the same arguments. It is looked
// for beside this program (a build folder) and then where `cmake --install`
// puts it relative to this program. Returns only when it cannot be run,
// after naming the file on stderr; the result is then the exit code.
int runIoProgram(char** argv);

}  // namespace kestrel::cli
