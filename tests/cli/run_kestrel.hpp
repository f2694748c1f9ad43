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

RunResult runKestrel(const std::vector<std::string>& args, const std::string& input = {});

}  // namespace kestrel::test
