// Runs the kestrel program with arguments and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace kestrel::test {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The whole contents of a file ("" when it can not be read).
std::string slurp(const std::string& path);
// `arg` as one word for a POSIX shell, in single quotes.
std::string shellQuoted(const std::string& arg);

// `wrapper` runs the program under another one ("strace -o /dev/null ...").
RunResult runKestrel(const std::vector<std::string>& args, const std::string& input = {},
                     const std::vector<std::string>& wrapper = {});

}  // namespace kestrel::test
