#include "many_users.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "core/strfmt.hpp"
#include "library_fixture.hpp"
#include "store/library/library_list.hpp"

namespace kestrel::library::test {
namespace {

constexpr long kShared = 20;  // records every process edits, none deletes

std::string sharedNumber(long i) { return strprintf("S-%02ld", i); }
std::string logOf(const ManyUsers& run, int id) { return run.logFolder + strprintf("/user%d.log", id); }

// One user's session: mixed operations until the time is up. Its log gets a
// line per change, written as soon as the library has said yes: "+PN" added,
// "-PN" deleted, "e" edited or replaced, "r" refused under another user's
// lock, "! why" for anything else that failed.
int work(const ManyUsers& run, int id) {
  std::ofstream log(logOf(run, id));
  StoreMessage error;
  auto lib = PartLibrary::open(run.library, true, error);
  if (!lib) return 1;
  std::mt19937 random(static_cast<unsigned>(id) * 7919u + 1u);
  auto part = samplePart(401, false, "X");
  std::vector<std::string> mine;  // own records still standing
  long serial = 0;
  auto said = [&](Outcome o, const std::string& line, const std::string& what) {
    if (o == Outcome::Ok) log << line << std::endl;
    else if (o == Outcome::Failed && lib->error().code == StatusCode::Locked) log << "r\n";
    else log << "! " << what << ": " << oneLine(lib->error().text()) << '\n';
    return o == Outcome::Ok;
  };
  auto editUnderLock = [&](const std::string& pn) {
    LibEntry e;
    const Outcome found = lib->findPn(pn, e);
    said(found == Outcome::Ok ? lib->edit(e.record, [&](CPart& p) {
      p.DESCR = strprintf("edited by %d", id);
      return true;
    }) : found, "e", "edit " + pn);
  };
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(run.seconds);
       std::chrono::steady_clock::now() < end;) {
    const unsigned choice = random() % 8;
    const std::string own = mine.empty() ? std::string() : mine[random() % mine.size()];
    if (choice <= 1 || own.empty()) {
      part->PN = strprintf("U%d-%ld", id, ++serial);
      if (said(lib->add(*part), "+" + part->PN, "add")) mine.push_back(part->PN);
    } else if (choice == 2) {
      if (said(lib->remove(own), "-" + own, "delete")) std::erase(mine, own);
    } else if (choice == 3) {
      part->PN = own;
      part->DESCR = strprintf("replaced by %d", id);
      said(lib->replace(*part), "e", "replace " + own);
    } else if (choice == 4 || choice == 5) {
      editUnderLock(choice == 4 ? sharedNumber(1 + static_cast<long>(random() % kShared)) : own);
    } else if (LibEntry e; choice == 6 && lib->findPn(own, e) != Outcome::Ok) {
      log << "! a standing record is not found: " << own << '\n';
    } else if (std::vector<LibEntry> page; choice == 7 && LibraryPager(*lib).page(random() % 200, 40, page) == Outcome::Failed) {
      log << "! list: " << oneLine(lib->error().text()) << '\n';
    }
  }
  return lib->close() && log.good() ? 0 : 1;
}

}  // namespace

ManyUsersFigures runManyUsers(const ManyUsers& run) {
  ManyUsersFigures f;
  auto fault = [&f](const std::string& why) {
    ++f.failures;
    if (f.first.empty()) f.first = why;
  };
  std::set<std::string> standing;
  StoreMessage error;
  if (auto lib = PartLibrary::create(run.library, error)) {
    for (long i = 1; i <= kShared; ++i) {
      if (lib->add(*samplePart(403, false, sharedNumber(i))) == Outcome::Ok) standing.insert(sharedNumber(i));
    }
    lib->close();
  }
  std::fflush(nullptr);
  std::vector<pid_t> children;
  for (int id = 0; id < run.processes; ++id) {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(work(run, id));
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      fault(strprintf("user process %ld did not end cleanly", static_cast<long>(pid)));
    }
  }
  for (int id = 0; id < run.processes; ++id) {
    std::ifstream log(logOf(run, id));
    for (std::string line; std::getline(log, line);) {
      const char kind = line.empty() ? ' ' : line[0];
      if (kind == '+') standing.insert(line.substr(1));
      if (kind == '-') standing.erase(line.substr(1));
      f.added += kind == '+';
      f.deleted += kind == '-';
      f.edited += kind == 'e';
      f.refused += kind == 'r';
      if (kind == '!') fault(strprintf("user %d: %s", id, line.c_str()));
    }
  }
  auto lib = PartLibrary::open(run.library, false, error);
  if (!lib) {
    fault(oneLine(error.text()));
    return f;
  }
  std::map<std::string, int> seen;
  ListWalk walk;
  if (walkList<PartLibrary, LibEntry>(*lib, [&](const LibEntry& e) {
        ++seen[e.pn];
        return true;
      }, walk) != Outcome::Ok) {
    fault(oneLine(lib->error().text()));
  }
  for (const std::string& pn : standing) f.lost += seen.count(pn) == 0;
  for (const auto& [pn, times] : seen) {
    f.duplicated += times > 1;
    f.unexpected += standing.count(pn) == 0;
  }
  if (f.lost + f.duplicated + f.unexpected > 0 && f.first.empty()) f.first = "the library differs from the logs";
  return f;
}

}  // namespace kestrel::library::test
