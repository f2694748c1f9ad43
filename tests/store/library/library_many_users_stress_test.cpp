// The long run of many users on one database library (ctest label "slow"):
// KESTREL_USERS processes (8) for KESTREL_USERS_SECONDS seconds (60).
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "library_fixture.hpp"
#include "many_users.hpp"
#include "support/pg_cluster.hpp"

namespace kestrel::library::test {
namespace {

int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

TEST(ManyUsersStress, ProcessesOnOneDatabaseLibraryLoseAndDuplicateNothing) {
  kestrel::test::ThrowawayCluster server;
  ScratchDir dir;
  ManyUsers run{"postgresql:///postgres?host=" + server.folder() + "&user=kestrel&library=many",
                dir.file(""), fromEnvironment("KESTREL_USERS", 8), fromEnvironment("KESTREL_USERS_SECONDS", 60)};
  const ManyUsersFigures f = runManyUsers(run);
  std::cout << run.processes << " processes x " << run.seconds << " s: " << f.added << " added, " << f.deleted << " deleted, " << f.edited << " edited, " << f.refused
            << " refused (locked), lost " << f.lost << ", duplicated " << f.duplicated << ", unexpected "
            << f.unexpected << ", faults " << f.failures << '\n';
  EXPECT_EQ(f.failures, 0) << f.first;
  EXPECT_EQ(f.lost + f.duplicated + f.unexpected, 0) << f.first;
  EXPECT_GT(f.added, 0);
  EXPECT_GT(f.edited, 0);
}

}  // namespace
}  // namespace kestrel::library::test
