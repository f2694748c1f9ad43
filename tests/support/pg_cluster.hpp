// A PostgreSQL server of a test's own: a cluster made by initdb in a
// temporary folder, listening only on a Unix socket in that folder, stopped
// and removed at the end. Nothing of the machine's own servers is touched.
// Run as root, the server runs as the "postgres" user (it refuses root).
#pragma once

#include <string>

namespace kestrel::test {

class ThrowawayCluster {
 public:
  // Starts the server; throws std::runtime_error holding the server's log
  // when it can not (a test that needs the server then fails, never skips).
  ThrowawayCluster();
  ~ThrowawayCluster();
  ThrowawayCluster(const ThrowawayCluster&) = delete;
  ThrowawayCluster& operator=(const ThrowawayCluster&) = delete;

  // libpq connection parameters of a database of the cluster.
  std::string conninfo(const std::string& database = "postgres") const;
  const std::string& folder() const { return folder_; }

 private:
  std::string run(const std::string& command) const;  // as the server's user; the output
  std::string folder_;
  std::string bin_;
  std::string asUser_;  // "runuser -u postgres -- " when run as root
};

}  // namespace kestrel::test
