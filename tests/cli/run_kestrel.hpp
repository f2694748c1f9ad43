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

// `wrapper` runs the program under another one ("strace -o /dev/null ...").
RunResult runKestrel(const std::vector<std::string>& args, const std::string& input = {},
                     const std::vector<std::string>& wrapper = {});

}  // namespace kestrel::test
