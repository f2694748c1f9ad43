// B-link tree search, insertion with splits, and chunked entries.
#include "store/tree.hpp"

#include <array>
#include <cstring>

#include "store/status_codes.hpp"

namespace kestrel::store {
namespace {

constexpr int kEntryBuffer = 260;  // an entry with the largest key and a child

bool sameEntry(const NodeImage& n, int i, const ByteOrder& o, int index, std::span<const std::uint8_t> key,
               std::uint32_t number) {
  if (n.index(i) != index || n.number(o, i) != number) return false;
  const auto k = n.key(i);
  return k.size() == key.size() && (key.empty() || std::memcmp(k.data(), key.data(), key.size()) == 0);
}

// An entry copied out of its node, to keep as a bound of the node below.
struct Bound {
  bool set = false;
  int index = 0;
  std::array<std::uint8_t, kMaxKeyLength> key{};
  std::size_t klen = 0;
  std::uint32_t number = 0;
  int tag = 0;
  void take(const NodeImage& n, int i, const ByteOrder& o) {
    set = true;
    index = n.index(i);
    const auto k = n.key(i);
    std::memcpy(key.data(), k.data(), k.size());
    klen = k.size();
    number = n.number(o, i);
    tag = n.tag(i) & 0x7F;
  }
  SearchKey search() const { return {index, {key.data(), klen}, number, tag}; }
};

}  // namespace

int Tree::checkOrder(const NodeImage& n) const {
  const ByteOrder& o = p_.order();
  Bound prev;
  for (int i = 0; i < n.count; ++i) {
    if (prev.set && compareEntry(n, i, p_.keys(), prev.search()) <= 0) return kTreeKeySequence;
    prev.take(n, i, o);
  }
  return kOk;
}

int Tree::checkLinks(std::int32_t self, const NodeImage& n) {
  const ByteOrder& o = p_.order();
  const int level = n.level(o);
  for (const bool right : {true, false}) {
    const std::int32_t other = right ? n.right(o) : n.left(o);
    if (other == -1) continue;
    NodeRef m;
    const int rc = p_.get(other, m);
    if (rc != kOk) return rc;
    if (m->level(o) != level || (right ? m->left(o) : m->right(o)) != self) {
      return right ? kTreeForwardPointer : kTreeReversePointer;
    }
  }
  return kOk;
}

int Tree::descend(const SearchKey& s, std::vector<std::int32_t>* path, NodeRef& leaf) {
  FileHeader& h = p_.header();
  const ByteOrder& o = p_.order();
  const KeyContext& kc = p_.keys();
  std::int32_t node = h.root[tree_];
  if (tree_ != 0 && node == 0) return kTreeRoot;
  int expected = h.height[tree_] - 1;
  bool atRoot = true;
  // A write (path given) checks every node it passes: keys in order and
  // inside the range the parent gives, so it never builds on damage.
  const bool strict = path != nullptr;
  Bound lo, hi;
  NodeRef n;
  for (;;) {
    int rc = p_.get(node, n);
    if (rc != kOk) return rc;
    if (n->level(o) != expected) return atRoot ? kTreeRoot : kTreeReadDown;
    atRoot = false;
    // Keys at or above the right sibling's first entry have moved right.
    for (std::int32_t moves = 0;;) {
      const std::int32_t r = n->right(o);
      if (r == -1) break;
      if (n->count > 0 && compareEntry(*n, n->count - 1, kc, s) > 0) break;
      NodeRef rn;
      rc = p_.get(r, rn);
      if (rc != kOk) return rc;
      if (rn->level(o) != expected) return kTreeForwardPointer;
      if (rn->count == 0 || compareEntry(*rn, 0, kc, s) > 0) break;
      if (++moves > h.nodesInUse) return kTreeForwardPointer;
      if (strict && rn->left(o) != node) return kTreeReversePointer;
      n = std::move(rn);
      node = r;
      lo.set = hi.set = false;
    }
    if (strict) {
      rc = checkLinks(node, *n);
      if (rc == kOk) rc = checkOrder(*n);
      if (rc == kOk && n->count > 0 &&
          ((lo.set && compareEntry(*n, 0, kc, lo.search()) < 0) ||
           (hi.set && compareEntry(*n, n->count - 1, kc, hi.search()) >= 0))) {
        rc = kTreeKeySequence;
      }
      if (rc != kOk) return rc;
    }
    if (path != nullptr) path->push_back(node);
    if (expected == 0) {
      leaf = std::move(n);
      return kOk;
    }
    const int i = lowerBound(*n, kc, s);
    const int j = (i < n->count && compareEntry(*n, i, kc, s) == 0) ? i : i - 1;
    if (j >= 0) lo.take(*n, j, o);
    if (j + 1 < n->count) hi.take(*n, j + 1, o);
    node = j < 0 ? n->leftmost(o) : n->child(o, j);
    --expected;
  }
}

int Tree::forward(Position& at, bool& found) {
  const ByteOrder& o = p_.order();
  for (std::int32_t steps = 0;; ++steps) {
    if (steps > p_.header().nodesInUse) return kTreeForwardPointer;
    NodeRef n;
    const int rc = p_.get(at.node, n);
    if (rc != kOk) return rc;
    if (n->level(o) != 0) return kTreeForwardPointer;
    if (at.pos < n->count) {
      found = true;
      return kOk;
    }
    const std::int32_t r = n->right(o);
    if (r == -1) {
      at.pos = n->count;
      found = false;
      return kOk;
    }
    at = {r, 0};
  }
}

int Tree::seek(const SearchKey& s, Position& at, bool& found) {
  NodeRef leaf;
  const int rc = descend(s, nullptr, leaf);
  if (rc != kOk) return rc;
  at = {leaf.number(), lowerBound(*leaf, p_.keys(), s)};
  return forward(at, found);
}

int Tree::next(Position& at, bool& found) {
  ++at.pos;
  return forward(at, found);
}

int Tree::prev(Position& at, bool& found) {
  const ByteOrder& o = p_.order();
  NodeRef n;
  int rc = p_.get(at.node, n);
  if (rc != kOk) return rc;
  if (at.pos > n->count) at.pos = n->count;
  if (at.pos > 0) {
    --at.pos;
    found = true;
    return kOk;
  }
  std::int32_t from = at.node;
  for (std::int32_t steps = 0;; ++steps) {
    if (steps > p_.header().nodesInUse) return kTreeReversePointer;
    const std::int32_t l = n->left(o);
    if (l == -1) {
      at = {from, 0};
      found = false;
      return kOk;
    }
    NodeRef ln;
    rc = p_.get(l, ln);
    if (rc != kOk) return rc;
    if (ln->level(o) != 0 || ln->right(o) != from) return kTreeReversePointer;
    if (ln->count > 0) {
      at = {l, ln->count - 1};
      found = true;
      return kOk;
    }
    n = std::move(ln);
    from = l;
  }
}

int Tree::find(int index, std::span<const std::uint8_t> key, std::uint32_t number, Position& at) {
  bool found = false;
  const int rc = seek(SearchKey{index, key, number, 0}, at, found);
  if (rc != kOk) return rc;
  if (!found) return kFail;
  NodeRef n;
  const int g = p_.get(at.node, n);
  if (g != kOk) return g;
  if (!sameEntry(*n, at.pos, p_.order(), index, key, number) || (n->tag(at.pos) & 0x7F) != 0) return kFail;
  return kOk;
}

int Tree::split(NodeRef& n, int pos, std::span<const std::uint8_t> e, int eklen, std::uint8_t* sep, int& sepSize) {
  const ByteOrder& o = p_.order();
  struct Piece {
    int off, size, klen;
  };
  std::array<std::uint8_t, 2 * kBlockSize> tmp;
  std::array<Piece, kMaxEntries + 2> pieces;
  int cnt = 0, used = 0;
  auto add = [&](std::span<const std::uint8_t> bytes, int klen) {
    std::memcpy(&tmp[static_cast<std::size_t>(used)], bytes.data(), bytes.size());
    pieces[static_cast<std::size_t>(cnt++)] = {used, static_cast<int>(bytes.size()), klen};
    used += static_cast<int>(bytes.size());
  };
  for (int i = 0; i <= n->count; ++i) {
    if (i == pos) add(e, eklen);
    if (i < n->count) add(n->entry(i), n->klen[i]);
  }

  // How many entries stay: the rightmost node of a level keeps all that fit,
  // any other keeps entries until half the entry area is taken.
  const bool rightmost = n->right(o) == -1;
  int k = 0, taken = 0;
  if (rightmost) {
    while (k < cnt && k < kMaxEntries && taken + pieces[k].size <= kEntryArea) taken += pieces[k++].size;
  } else {
    while (k < cnt && taken < kEntryArea / 2) taken += pieces[k++].size;
  }
  if (k >= cnt) k = cnt - 1;
  if (k < 1) return kCorruptedNode;

  const int level = n->level(o);
  const bool inner = level > 0;
  const Piece& first = pieces[static_cast<std::size_t>(k)];
  const std::uint8_t* fp = &tmp[static_cast<std::size_t>(first.off)];
  const std::int32_t oldRight = n->right(o);
  int rc = kOk;
  if (oldRight != -1) {
    // The neighbour must point back before anything changes.
    NodeRef s;
    rc = p_.get(oldRight, s);
    if (rc == kOk && (s->level(o) != level || s->left(o) != n.number())) rc = kTreeReversePointer;
    if (rc != kOk) return rc;
  }
  NodeRef r;
  rc = p_.allocate(level, inner ? o.geti32(fp + first.size - 4) : 0, oldRight, n.number(), r);
  if (rc != kOk) return rc;
  if (oldRight != -1) {
    NodeRef s;
    rc = p_.get(oldRight, s);
    if (rc == kOk) rc = p_.modify(s);
    if (rc != kOk) return rc;
    s->setLeft(o, r.number());
  }
  rc = p_.modify(n);
  if (rc != kOk) return rc;
  initNode(*n, o, level, n->leftmost(o), r.number(), n->left(o));
  for (int i = 0; i < k; ++i) {
    const Piece& pc = pieces[static_cast<std::size_t>(i)];
    insertEntry(*n, o, i, {&tmp[static_cast<std::size_t>(pc.off)], static_cast<std::size_t>(pc.size)}, pc.klen);
  }
  for (int i = inner ? k + 1 : k; i < cnt; ++i) {
    const Piece& pc = pieces[static_cast<std::size_t>(i)];
    insertEntry(*r, o, r->count, {&tmp[static_cast<std::size_t>(pc.off)], static_cast<std::size_t>(pc.size)},
                pc.klen);
  }
  // The separator: the first moved entry's index, tag, number and key, with
  // the new node as its child.
  std::uint8_t child[4];
  o.puti32(child, r.number());
  sepSize = makeEntry(sep, o, fp[1], fp[2], o.get32(fp + 3),
                      {fp + kEntryHeader, static_cast<std::size_t>(first.klen)}, child);
  return kOk;
}

int Tree::insert(std::span<const std::uint8_t> entry) {
  const ByteOrder& o = p_.order();
  const KeyContext& kc = p_.keys();
  FileHeader& h = p_.header();
  if (entry.size() < static_cast<std::size_t>(kEntryHeader) || entry.size() > static_cast<std::size_t>(kEntryBuffer - 4)) {
    return kParameterError;
  }
  std::array<std::uint8_t, kEntryBuffer> cur;
  std::memcpy(cur.data(), entry.data(), entry.size());
  int curSize = static_cast<int>(entry.size());
  auto searchOf = [&](int& klen) {
    const int index = cur[1];
    klen = storedKeyLength(kc.type[index], {cur.data() + kEntryHeader, static_cast<std::size_t>(curSize - kEntryHeader)});
    return SearchKey{index, {cur.data() + kEntryHeader, static_cast<std::size_t>(klen < 0 ? 0 : klen)},
                     o.get32(cur.data() + 3), cur[2] & 0x7F};
  };
  int klen = 0;
  SearchKey s = searchOf(klen);
  if (s.index < 1 || s.index > 20 || klen < 0 || klen > kMaxKeyLength) return kParameterError;

  std::vector<std::int32_t> path;
  NodeRef n;
  int rc = descend(s, &path, n);
  if (rc != kOk) return rc;
  for (int depth = static_cast<int>(path.size()) - 1;; --depth) {
    const int pos = lowerBound(*n, kc, s);
    if (depth == static_cast<int>(path.size()) - 1 && pos < n->count && compareEntry(*n, pos, kc, s) == 0) {
      return kFail;
    }
    if (fits(*n, o, curSize)) {
      rc = p_.modify(n);
      if (rc != kOk) return rc;
      insertEntry(*n, o, pos, {cur.data(), static_cast<std::size_t>(curSize)}, klen);
      return kOk;
    }
    std::array<std::uint8_t, kEntryBuffer> sep;
    int sepSize = 0;
    rc = split(n, pos, {cur.data(), static_cast<std::size_t>(curSize)}, klen, sep.data(), sepSize);
    if (rc != kOk) return rc;
    cur = sep;
    curSize = sepSize;
    s = searchOf(klen);
    if (depth == 0) {
      // The root split: a new root one level up over the old one.
      const int level = n->level(o) + 1;
      if (level >= kMaxHeight || (tree_ != 0 && level >= 255)) return kTreeRoot;
      NodeRef root;
      rc = p_.allocate(level, n.number(), -1, -1, root);
      if (rc != kOk) return rc;
      insertEntry(*root, o, 0, {cur.data(), static_cast<std::size_t>(curSize)}, klen);
      h.root[tree_] = root.number();
      h.height[tree_] = level + 1;
      p_.markHeaderDirty();
      return kOk;
    }
    rc = p_.get(path[static_cast<std::size_t>(depth - 1)], n);
    if (rc != kOk) return rc;
  }
}

int Tree::insertData(int index, std::span<const std::uint8_t> key, std::uint32_t number,
                     std::span<const std::uint8_t> data) {
  if (key.size() > static_cast<std::size_t>(kMaxKeyLength)) return kParameterError;
  const std::size_t chunk = static_cast<std::size_t>(kChunkBase) - key.size();
  const std::size_t chunks = data.empty() ? 1 : (data.size() + chunk - 1) / chunk;
  if (chunks > static_cast<std::size_t>(kMaxChunkCount)) return kParameterError;
  std::array<std::uint8_t, kEntryBuffer> e;
  for (std::size_t c = 0; c < chunks; ++c) {
    const std::size_t from = c * chunk;
    const std::size_t len = data.empty() ? 0 : std::min(chunk, data.size() - from);
    const int tag = static_cast<int>(c) | (c + 1 == chunks ? kLastChunk : 0);
    const int size = makeEntry(e.data(), p_.order(), index, tag, number, key, data.subspan(from, len));
    const int rc = insert({e.data(), static_cast<std::size_t>(size)});
    if (rc != kOk) {
      for (std::size_t u = 0; u < c; ++u) removeOne(index, key, number, static_cast<int>(u));
      return rc;
    }
  }
  return kOk;
}

int Tree::removeOne(int index, std::span<const std::uint8_t> key, std::uint32_t number, int tag) {
  Position at;
  bool found = false;
  int rc = seek(SearchKey{index, key, number, tag}, at, found);
  if (rc != kOk) return rc;
  if (!found) return kFail;
  NodeRef n;
  rc = p_.get(at.node, n);
  if (rc != kOk) return rc;
  if (!sameEntry(*n, at.pos, p_.order(), index, key, number) || (n->tag(at.pos) & 0x7F) != tag) return kFail;
  rc = checkOrder(*n);
  if (rc == kOk) rc = p_.modify(n);
  if (rc != kOk) return rc;
  removeEntries(*n, p_.order(), at.pos, 1);
  return kOk;
}

int Tree::chain(Position at, std::vector<std::uint8_t>* out, std::size_t limit) {
  const ByteOrder& o = p_.order();
  NodeRef n;
  int rc = p_.get(at.node, n);
  if (rc != kOk) return rc;
  if (at.pos >= n->count || (n->tag(at.pos) & 0x7F) != 0) return kFail;
  const int index = n->index(at.pos);
  const std::uint32_t number = n->number(o, at.pos);
  std::array<std::uint8_t, kMaxKeyLength> keyBytes;
  const auto k = n->key(at.pos);
  std::memcpy(keyBytes.data(), k.data(), k.size());
  const std::span<const std::uint8_t> key(keyBytes.data(), k.size());
  for (int expect = 0; expect < kMaxChunkCount; ++expect) {
    if (expect > 0) {
      bool found = false;
      rc = next(at, found);
      if (rc != kOk) return rc;
      if (!found) return kIncompleteRecord;
      rc = p_.get(at.node, n);
      if (rc != kOk) return rc;
    }
    if (!sameEntry(*n, at.pos, o, index, key, number) || (n->tag(at.pos) & 0x7F) != expect) return kIncompleteRecord;
    if (out != nullptr) {
      const auto d = n->data(at.pos);
      if (out->size() + d.size() > limit) return kBufferOverflow;
      out->insert(out->end(), d.begin(), d.end());
    }
    if (n->tag(at.pos) & kLastChunk) return expect + 1;
  }
  return kIncompleteRecord;
}

int Tree::readData(Position at, std::vector<std::uint8_t>& out, std::size_t limit) {
  out.clear();
  const int rc = chain(at, &out, limit);
  return rc < 0 ? rc : kOk;
}

int Tree::remove(Position at) {
  // The whole chain is checked before anything changes.
  const int chunks = chain(at, nullptr, 0);
  if (chunks < 0) return chunks;
  const ByteOrder& o = p_.order();
  NodeRef n;
  int rc = p_.get(at.node, n);
  if (rc != kOk) return rc;
  const int index = n->index(at.pos);
  const std::uint32_t number = n->number(o, at.pos);
  std::array<std::uint8_t, kMaxKeyLength> keyBytes;
  const auto k = n->key(at.pos);
  std::memcpy(keyBytes.data(), k.data(), k.size());
  const std::span<const std::uint8_t> key(keyBytes.data(), k.size());
  for (int left = chunks; left > 0;) {
    int i = at.pos;
    while (i < n->count && left > 0 && sameEntry(*n, i, o, index, key, number)) {
      ++i;
      --left;
    }
    rc = checkOrder(*n);
    if (rc == kOk) rc = p_.modify(n);
    if (rc != kOk) return rc;
    removeEntries(*n, o, at.pos, i - at.pos);
    if (left == 0) break;
    bool found = false;
    rc = forward(at, found);
    if (rc != kOk) return rc;
    if (!found) return kIncompleteRecord;
    rc = p_.get(at.node, n);
    if (rc != kOk) return rc;
  }
  return kOk;
}

}  // namespace kestrel::store
