#include "cli/io_program.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/exit_codes.hpp"

namespace kestrel::cli {

int runIoProgram(char** argv) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::path(".") : self.parent_path();
  const fs::path beside = folder / KESTREL_IO_PROGRAM;
  const fs::path installed = (folder / KESTREL_IO_FROM_BIN / KESTREL_IO_PROGRAM).lexically_normal();
  const fs::path& program = fs::exists(beside, ec) ? beside : installed;
  ::execv(program.c_str(), argv);
  std::fprintf(stderr, "kestrel: this command needs %s, which cannot be run: %s.\n", program.c_str(),
               std::strerror(errno));
  return kExitUserError;
}

}  // namespace kestrel::cli
