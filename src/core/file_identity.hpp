// Which file a name leads to: its device and inode, so that a symbolic link,
// a hard link, a path through "..", and the one name in another case are
// all the same file. Walks down a sub-file hierarchy keep the documents they
// are inside of as identities: a child that is one of them closes a cycle
// whatever its name, and a file met twice under two names is met once.
#pragma once

#include <compare>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kestrel {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  // A name that can not be asked (no such file yet): the whole path with
  // "." and ".." taken out, upper-cased as names are compared.
  std::string unresolved;

  auto operator<=>(const FileIdentity&) const = default;
};

FileIdentity fileIdentity(const std::string& path);

// The documents a walk is inside of, outermost first.
class IdentityPath {
 public:
  // Whether `path` is one of the documents on the path.
  bool contains(const std::string& path) const;

  void push(const std::string& path) { files_.push_back(fileIdentity(path)); }
  void pop() { files_.pop_back(); }

  // Puts `file` on the path for the life of the step.
  class Step {
   public:
    Step(IdentityPath& path, const std::string& file) : path_(path) { path_.push(file); }
    ~Step() { path_.pop(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    IdentityPath& path_;
  };

 private:
  std::vector<FileIdentity> files_;
};

// Files met by a walk, each once whatever the name it was reached by.
class FileIdentitySet {
 public:
  // False when the same file was met already.
  bool insert(const std::string& path) { return seen_.insert(fileIdentity(path)).second; }

 private:
  std::set<FileIdentity> seen_;
};

}  // namespace kestrel
