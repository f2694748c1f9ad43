// Many users on one library at once: processes forked from the test, each
// with its own connection or file handle, adding, replacing, editing under
// the record lock, deleting, finding and listing for a while, each keeping a
// log of what it added and deleted. Afterwards the library must hold every
// record the logs leave standing exactly once, and nothing else.
#pragma once

#include <string>

namespace kestrel::library::test {

struct ManyUsers {
  std::string library;  // a file's path or a database address; made by the run
  std::string logFolder;
  int processes = 3;
  int seconds = 5;
};

struct ManyUsersFigures {
  long added = 0;
  long deleted = 0;
  long edited = 0;      // edits and replacements written
  long refused = 0;     // changes refused because another user held the record
  long failures = 0;    // processes that did not end cleanly, other failures
  long lost = 0;        // records the logs leave standing that the library lacks
  long duplicated = 0;  // records listed more than once
  long unexpected = 0;  // records no log accounts for
  std::string first;    // the first fault, for the failure message
};

ManyUsersFigures runManyUsers(const ManyUsers& run);

}  // namespace kestrel::library::test
