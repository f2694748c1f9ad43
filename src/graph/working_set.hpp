// The documents a graph run works on: the copies of the top-level document
// and of every child file of its hierarchy, read once from the temporary
// folder's bytes and kept in memory for the whole run. The calculations
// reach child files through it, so every point of a sweep works on the same
// copies and never on the user's files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/circ_doc.hpp"

namespace kestrel::graph {

class WorkingSet final : public SubFileAccess {
 public:
  // Takes a copy; the first one added is the top-level document.
  void add(std::unique_ptr<CCircDoc> doc);

  CCircDoc& top() { return *docs_.front(); }
  bool empty() const { return docs_.empty(); }
  std::size_t size() const { return docs_.size(); }
  const std::vector<std::unique_ptr<CCircDoc>>& documents() const { return docs_; }

  // The copy at `path`: the same path first, else the one whose path equals
  // it ignoring case; null when there is none.
  CCircDoc* find(const std::string& path) const;

  // Open-or-find over the copies: "File does not exist." for a path that
  // was not copied. The copy stays in the set (it is never destroyed by the
  // calculation that opened it).
  Opened open(const std::string& path, bool keepFiles, Ui& ui) override;
  // A calculation's save of a child keeps its results in memory, where the
  // next stage of the same point reads them.
  bool save(CCircDoc& doc, Ui& ui) override;

 private:
  std::vector<std::unique_ptr<CCircDoc>> docs_;
};

}  // namespace kestrel::graph
