// A read or write bracket held for the length of one store operation.
#pragma once

#include "store/record_store.hpp"

namespace kestrel::store::detail {

template <bool Write>
class Bracket {
 public:
  explicit Bracket(RecordStore& s) : s_(s) {
    rc_ = Write ? s_.BeginWrite() : s_.BeginRead();
    open_ = rc_ == kOk;
  }
  ~Bracket() { finish(kOk); }
  Bracket(const Bracket&) = delete;
  Bracket& operator=(const Bracket&) = delete;

  // The code of opening the bracket.
  int status() const { return rc_; }
  // Closes the bracket; the operation's own failure wins over the close's.
  int finish(int rc) {
    if (!open_) return rc;
    open_ = false;
    const int e = Write ? s_.EndWrite() : s_.EndRead();
    return rc < 0 ? rc : (e < 0 ? e : rc);
  }

 private:
  RecordStore& s_;
  int rc_;
  bool open_ = false;
};

using ReadBracket = Bracket<false>;
using WriteBracket = Bracket<true>;

}  // namespace kestrel::store::detail
