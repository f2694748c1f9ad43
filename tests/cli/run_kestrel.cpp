#include "run_kestrel.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kestrel::test {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string shellQuoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

RunResult runKestrel(const std::vector<std::string>& args, const std::string& input,
                     const std::vector<std::string>& wrapper) {
  char dir[] = "/tmp/kestrel-cli-XXXXXX";
  if (::mkdtemp(dir) == nullptr) return {};
  const std::string base(dir);
  {
    std::ofstream(base + "/in") << input;
  }
  // Settings and the operation log go to the run's own folder, never the user's.
  // A run that hangs is cut off (exit code 124) instead of stopping the tests.
  std::string cmd = "XDG_CONFIG_HOME=" + shellQuoted(base) + " timeout 60";
  // Leak checking can not run in a traced process: it would fail every run.
  if (!wrapper.empty()) cmd = "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" " + cmd;
  for (const std::string& w : wrapper) cmd += " " + shellQuoted(w);
  cmd += " " + shellQuoted(KESTREL_BIN);
  for (const std::string& a : args) cmd += " " + shellQuoted(a);
  cmd += " <" + base + "/in >" + base + "/out 2>" + base + "/err";
  const int status = std::system(cmd.c_str());
  RunResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(base + "/out");
  r.err = slurp(base + "/err");
  std::system(("rm -rf " + shellQuoted(base)).c_str());
  return r;
}

}  // namespace kestrel::test
