#include "many_users.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "core/strfmt.hpp"
#include "library_fixture.hpp"
#include "store/library/library_list.hpp"

namespace kestrel::library::test {
namespace {

constexpr int kShared = 20;  // records every process edits, none deletes

std::string sharedNumber(long i) { return strprintf("S-%02ld", i); }

// What one process did, as its log's last line says.
struct Tally {
  long operations = 0, added = 0, deleted = 0, edited = 0, refused = 0, failures = 0;
};

// One user's session: mixed operations until the time is up. Its log holds
// "+PN" for each record it added, "-PN" for each it deleted (written as
// soon as the library said so), "! why" for each fault it saw, and the tally.
int work(const ManyUsers& run, int id, const std::string& logPath) {
  std::ofstream log(logPath);
  Tally t;
  auto fault = [&](const std::string& why) {
    ++t.failures;
    log << "! " << why << '\n';
  };
  StoreMessage error;
  auto lib = PartLibrary::open(run.library, true, error);
  if (!lib) {
    log << "! " << oneLine(error.text()) << '\n';
    return 1;
  }
  std::mt19937 random(static_cast<unsigned>(id) * 7919u + 1u);
  auto part = samplePart(401, false, "X");
  std::vector<std::string> mine;  // own records still standing
  long serial = 0;
  // A change another user's lock refuses is fine; any other failure is a fault.
  auto refusedOrFault = [&](Outcome o, const std::string& what) {
    if (o == Outcome::Failed && lib->error().code == StatusCode::Locked) {
      ++t.refused;
    } else {
      fault(what + ": " + oneLine(lib->error().text()));
    }
  };
  auto editUnderLock = [&](const std::string& pn) {
    LibEntry e;
    if (lib->findPn(pn, e) != Outcome::Ok) return fault("can not find " + pn);
    const Outcome o = lib->edit(e.record, [&](CPart& p) {
      p.DESCR = strprintf("edited by %d", id);
      return true;
    });
    if (o == Outcome::Ok) ++t.edited;
    else refusedOrFault(o, "edit " + pn);
  };
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(run.seconds);
  while (std::chrono::steady_clock::now() < end) {
    ++t.operations;
    const unsigned choice = random() % 8;
    const std::string own = mine.empty() ? std::string() : mine[random() % mine.size()];
    if (choice <= 1 || own.empty()) {
      part->PN = strprintf("U%d-%ld", id, ++serial);
      const Outcome o = lib->add(*part);
      if (o == Outcome::Ok) {
        log << '+' << part->PN << std::endl;
        mine.push_back(part->PN);
        ++t.added;
      } else {
        refusedOrFault(o, "add " + part->PN);
      }
    } else if (choice == 2) {
      const Outcome o = lib->remove(own);
      if (o == Outcome::Ok) {
        log << '-' << own << std::endl;
        std::erase(mine, own);
        ++t.deleted;
      } else {
        refusedOrFault(o, "delete " + own);
      }
    } else if (choice == 3) {
      part->PN = own;
      part->DESCR = strprintf("replaced by %d", id);
      const Outcome o = lib->replace(*part);
      if (o == Outcome::Ok) ++t.edited;
      else refusedOrFault(o, "replace " + own);
    } else if (choice == 4) {
      editUnderLock(sharedNumber(1 + static_cast<long>(random() % kShared)));
    } else if (choice == 5) {
      editUnderLock(own);
    } else if (choice == 6) {
      LibEntry e;
      if (lib->findPn(own, e) != Outcome::Ok) fault("a standing record is not found: " + own);
    } else {
      LibraryPager pager(*lib);
      std::vector<LibEntry> page;
      if (pager.page(static_cast<long>(random() % 200), 40, page) == Outcome::Failed) {
        fault("list: " + oneLine(lib->error().text()));
      }
    }
  }
  if (!lib->close()) fault("close: " + oneLine(lib->error().text()));
  log << "= " << t.operations << ' ' << t.added << ' ' << t.deleted << ' ' << t.edited << ' ' << t.refused << ' '
      << t.failures << '\n';
  return log.good() ? 0 : 1;
}

}  // namespace

ManyUsersFigures runManyUsers(const ManyUsers& run) {
  ManyUsersFigures f;
  auto note = [&f](const std::string& why) {
    if (f.first.empty()) f.first = why;
  };
  std::set<std::string> standing;
  {
    StoreMessage error;
    auto lib = PartLibrary::create(run.library, error);
    if (!lib) {
      f.failures = 1;
      f.first = oneLine(error.text());
      return f;
    }
    for (long i = 1; i <= kShared; ++i) {
      if (lib->add(*samplePart(403, false, sharedNumber(i))) == Outcome::Ok) standing.insert(sharedNumber(i));
    }
    lib->close();
  }
  std::fflush(nullptr);
  std::vector<pid_t> children;
  for (int id = 0; id < run.processes; ++id) {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(work(run, id, run.logFolder + strprintf("/user%d.log", id)));
    if (pid > 0) children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      ++f.failures;
      note(strprintf("process %ld did not end cleanly", static_cast<long>(pid)));
    }
  }
  if (static_cast<int>(children.size()) != run.processes) ++f.failures;
  for (int id = 0; id < run.processes; ++id) {
    std::ifstream log(run.logFolder + strprintf("/user%d.log", id));
    for (std::string line; std::getline(log, line);) {
      if (line.empty()) continue;
      if (line[0] == '+') standing.insert(line.substr(1));
      if (line[0] == '-') standing.erase(line.substr(1));
      if (line[0] == '!') note(strprintf("user %d: %s", id, line.c_str() + 2));
      if (line[0] == '=') {
        std::istringstream in(line.substr(1));
        long ops = 0, added = 0, deleted = 0, edited = 0, refused = 0, failures = 0;
        in >> ops >> added >> deleted >> edited >> refused >> failures;
        f.operations += ops;
        f.added += added;
        f.deleted += deleted;
        f.edited += edited;
        f.refused += refused;
        f.failures += failures;
      }
    }
  }
  StoreMessage error;
  auto lib = PartLibrary::open(run.library, false, error);
  if (!lib) {
    ++f.failures;
    note(oneLine(error.text()));
    return f;
  }
  std::map<std::string, int> seen;
  ListWalk walk;
  if (walkList<PartLibrary, LibEntry>(*lib, [&](const LibEntry& e) {
        ++seen[e.pn];
        return true;
      }, walk) != Outcome::Ok) {
    ++f.failures;
    note(oneLine(lib->error().text()));
  }
  for (const std::string& pn : standing) {
    if (seen.count(pn) == 0) {
      ++f.lost;
      note("lost: " + pn);
    }
  }
  for (const auto& [pn, times] : seen) {
    if (times > 1) {
      ++f.duplicated;
      note("listed twice: " + pn);
    }
    if (standing.count(pn) == 0) {
      ++f.unexpected;
      note("no log accounts for: " + pn);
    }
  }
  return f;
}

}  // namespace kestrel::library::test
