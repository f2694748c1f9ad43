// The throwaway PostgreSQL server the library tests run against: it starts
// as this user may start it, a client reaches it over its socket, and it is
// gone afterwards.
#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <filesystem>

#include "support/pg_cluster.hpp"

namespace kestrel::test {
namespace {

TEST(ThrowawayCluster, StartsAnswersOverItsSocketAndIsGoneAfterwards) {
  std::string folder;
  {
    ThrowawayCluster cluster;
    folder = cluster.folder();
    PGconn* conn = PQconnectdb(cluster.conninfo().c_str());
    ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PGresult* result = PQexec(conn, "CREATE DATABASE parts");
    EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(conn);
    PQclear(result);
    PQfinish(conn);
    // The database made is reachable by its own name.
    conn = PQconnectdb(cluster.conninfo("parts").c_str());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PQfinish(conn);
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace kestrel::test
