// B-link tree operations on one tree of a store file: search with right
// moves along the sibling links, stepping across leaves, insertion with node
// splits (the rightmost node of a level fills completely, others halve), and
// removal and reading of entries whose data runs over several chunks.
//
// Every walk is bounded: a descent by the tree's height (each child must be
// exactly one level down), a walk along a level by the number of nodes in
// use, a chunk chain by 128 chunks; a damaged file gives its code instead of
// a hang. Writes check each node they pass or change (key order, the range
// the parent gives, a neighbour's link back) and refuse a damaged one rather
// than spread the damage.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "store/node.hpp"
#include "store/pager.hpp"

namespace kestrel::store {

inline constexpr int kMaxChunkCount = 128;  // sequence numbers 0..127

// An entry position: a leaf and an entry of it. pos == count of the leaf
// means "after the leaf's last entry".
struct Position {
  std::int32_t node = -1;
  int pos = 0;
};

class Tree {
 public:
  Tree(Pager& pager, int tree) : p_(pager), tree_(tree) {}

  // The first entry not below `s`; `found` is false when no entry follows.
  int seek(const SearchKey& s, Position& at, bool& found);
  // From an entry to the one after / before it.
  int next(Position& at, bool& found);
  int prev(Position& at, bool& found);
  // The first chunk of (index, key, number): 0, or -1 when there is none.
  int find(int index, std::span<const std::uint8_t> key, std::uint32_t number, Position& at);

  // Inserts one entry (-1 when the same entry exists).
  int insert(std::span<const std::uint8_t> entry);
  // Inserts (index, key, number) with its data in chunks of 244 - key length
  // bytes; a failure removes the chunks already in.
  int insertData(int index, std::span<const std::uint8_t> key, std::uint32_t number,
                 std::span<const std::uint8_t> data);
  // Removes the entry at `at` and the rest of its chunks (which may run on
  // into the following leaves).
  int remove(Position at);
  // The data of the entry at `at`, all chunks joined; at most `limit` bytes.
  int readData(Position at, std::vector<std::uint8_t>& out, std::size_t limit);

 private:
  // With a path (a write) every node passed is checked for key order.
  int descend(const SearchKey& s, std::vector<std::int32_t>* path, NodeRef& leaf);
  // kTreeKeySequence unless the node's entries rise strictly.
  int checkOrder(const NodeImage& n) const;
  // kTreeForwardPointer / kTreeReversePointer unless both neighbours are on
  // the node's level and link back to it.
  int checkLinks(std::int32_t self, const NodeImage& n);
  int forward(Position& at, bool& found);
  int split(NodeRef& n, int pos, std::span<const std::uint8_t> e, int eklen, std::uint8_t* sep, int& sepSize);
  int removeOne(int index, std::span<const std::uint8_t> key, std::uint32_t number, int tag);
  // Walks the chunk chain from `at`: its chunk count, or a negative code.
  int chain(Position at, std::vector<std::uint8_t>* out, std::size_t limit);

  Pager& p_;
  int tree_;
};

}  // namespace kestrel::store
