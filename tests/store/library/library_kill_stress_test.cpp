// The full kill sweep (ctest label "slow"): every command that changes a
// library killed at each of its writes, flushes, renames and deletes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kill_sweep.hpp"

namespace kestrel::library::test {
namespace {

TEST(LibraryCommandsStress, KilledAtEveryWriteLeaveALibraryThatOpensAndChecksClean) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  const KillFigures figures = runKillSweep(KillSweep{});
  EXPECT_EQ(figures.commands, 7);
  EXPECT_GE(figures.kills, 100);
  EXPECT_EQ(figures.recovered, figures.kills);
}

}  // namespace
}  // namespace kestrel::library::test
