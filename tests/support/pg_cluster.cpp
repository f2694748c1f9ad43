#include "support/pg_cluster.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

// The newest installed server's programs.
std::string serverPrograms() {
  fs::path best;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
    const fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && (best.empty() || bin > best)) best = bin;
  }
  if (best.empty()) throw std::runtime_error("no PostgreSQL server installed under /usr/lib/postgresql");
  return best.string();
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace

ThrowawayCluster::ThrowawayCluster() : bin_(serverPrograms()) {
  char name[] = "/tmp/kestrel-pg-XXXXXX";
  if (::mkdtemp(name) == nullptr) throw std::runtime_error("no temporary folder for the test server");
  folder_ = name;
  if (::geteuid() == 0) {
    asUser_ = "runuser -u postgres -- ";
    if (std::system(("chown postgres '" + folder_ + "'").c_str()) != 0) {
      throw std::runtime_error("can not hand " + folder_ + " to the postgres user");
    }
  }
  run("'" + bin_ + "/initdb' -D '" + folder_ + "/data' -A trust -U kestrel -E UTF8 --no-sync --no-instructions");
  // Only a socket in the folder: no port of the machine is taken.
  run("'" + bin_ + "/pg_ctl' -D '" + folder_ + "/data' -l '" + folder_ + "/server.log' -w -t 60 -o \"-k '" +
      folder_ + "' -c listen_addresses='' -c fsync=off -c full_page_writes=off\" start");
}

ThrowawayCluster::~ThrowawayCluster() {
  try {
    run("'" + bin_ + "/pg_ctl' -D '" + folder_ + "/data' -m immediate -w stop");
  } catch (const std::exception&) {
    // The folder goes anyway; a server left running has lost its files.
  }
  std::error_code error;
  fs::remove_all(folder_, error);
}

std::string ThrowawayCluster::conninfo(const std::string& database) const {
  return "host=" + folder_ + " port=5432 user=kestrel dbname=" + database;
}

std::string ThrowawayCluster::run(const std::string& command) const {
  const std::string output = folder_ + "/command.out";
  const int status = std::system((asUser_ + command + " > '" + output + "' 2>&1").c_str());
  std::string text = slurp(output);
  std::error_code error;
  fs::remove(output, error);
  if (status != 0) {
    throw std::runtime_error("test server: '" + command + "' failed:\n" + text + slurp(folder_ + "/server.log"));
  }
  return text;
}

}  // namespace kestrel::test
