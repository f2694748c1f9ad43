#include "support/model_driver.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "support/store_fixture.hpp"

namespace kestrel::store::test {
namespace {

struct Expect {
  std::string pn2;
  int type = 0;
  int hybrid = 0;
  int blob = 0;
  std::uint32_t seed = 0;
  std::int32_t number = 0;
};

using Model = std::map<std::string, Expect>;

class Driver {
 public:
  Driver(const ModelRun& run, const std::string& path) : run_(run), path_(path), rng_(run.seed) {}

  void fill(PartRecord& r, const std::string& pn, Expect& e) {
    e.pn2 = "S" + std::to_string(rng_() % 50);  // many duplicates in index 2
    e.type = 400 + static_cast<int>(rng_() % 8);
    e.hybrid = static_cast<int>(rng_() % 2);
    e.blob = static_cast<int>(rng_() % static_cast<unsigned>(run_.maxBlob + 1));
    e.seed = rng_();
    r.set(pn, e.pn2, e.type, e.hybrid, e.blob, e.seed);
  }

  std::string pickKey() {
    std::string k = "PN-" + std::to_string(rng_() % static_cast<unsigned>(run_.keyPool));
    if (run_.longKeys) k.resize(24, '.');
    return k;
  }

  // The record the handle has current matches the model's entry for `pn`.
  void expectCurrent(RecordStore& s, const std::string& pn) {
    PartRecord r, want;
    ASSERT_EQ(s.ReadRecord(r.fields()), kOk) << pn;
    const Expect& e = model_.at(pn);
    want.set(pn, e.pn2, e.type, e.hybrid, e.blob, e.seed);
    ASSERT_STREQ(r.pn, pn.c_str());
    ASSERT_STREQ(r.pn2, e.pn2.c_str());
    ASSERT_EQ(r.type, e.type);
    ASSERT_EQ(r.hybrid, e.hybrid);
    ASSERT_EQ(r.blobSize(), e.blob);
    ASSERT_EQ(std::memcmp(r.blob, want.blob, static_cast<std::size_t>(e.blob)), 0) << pn;
    ASSERT_EQ(s.CurrentRecord(), e.number);
  }

  void op(RecordStore& s) {
    const unsigned kind = rng_() % 100;
    const std::string pn = pickKey();
    const bool exists = model_.count(pn) != 0;
    PartRecord r;
    if (kind < 40) {  // add
      Expect e;
      fill(r, pn, e);
      const int rc = s.AddRecord(r.fields());
      if (exists) {
        ASSERT_EQ(rc, kFail) << "duplicate " << pn;
      } else {
        ASSERT_EQ(rc, kOk) << pn;
        e.number = s.CurrentRecord();
        model_[pn] = e;
      }
    } else if (kind < 55) {  // update, sometimes to a new part number
      if (!exists) return;
      ASSERT_EQ(s.FindKey(1, textKey(pn), 0, kFindEqual), kOk);
      ASSERT_EQ(s.LockRecord(1, textKey(pn)), kOk);
      Expect e;
      std::string to = pn;
      if (rng_() % 3 == 0) to = pickKey();
      fill(r, to, e);
      e.number = model_[pn].number;
      const int rc = s.UpdateRecord(r.fields());
      if (to != pn && model_.count(to) != 0) {
        ASSERT_EQ(rc, kFail);
      } else {
        ASSERT_EQ(rc, kOk);
        model_.erase(pn);
        model_[to] = e;
      }
      s.SetCurrentRecord(e.number);
      ASSERT_EQ(s.UnlockRecord(), kOk);
    } else if (kind < 75) {  // delete
      if (!exists) return;
      ASSERT_EQ(s.FindKey(1, textKey(pn), 0, kFindEqual), kOk);
      ASSERT_EQ(s.LockRecord(), kOk);
      ASSERT_EQ(s.DeleteRecord(r.fields()), kOk);
      model_.erase(pn);
    } else if (kind < 90) {  // find, equal or greater
      const int rc = s.FindKey(1, textKey(pn), 0, kFindEqualOrGreater);
      auto it = model_.lower_bound(pn);
      if (it == model_.end()) {
        ASSERT_EQ(rc, kFail);
      } else {
        ASSERT_EQ(rc, it->first == pn ? kOk : 2) << pn;
        expectCurrent(s, it->first);
      }
    } else {  // a few steps either way from a found key
      if (s.FindKey(1, textKey(pn), 0, kFindEqualOrGreater) < 0) return;
      auto it = model_.lower_bound(pn);
      const bool up = rng_() % 2 == 0;
      for (int i = 0; i < 5; ++i) {
        const int rc = s.Step(1, up ? kStepNext : kStepPrevious);
        if (up) {
          ++it;
          if (it == model_.end()) {
            ASSERT_EQ(rc, kFail);
            return;
          }
        } else {
          if (it == model_.begin()) {
            ASSERT_EQ(rc, kFail);
            return;
          }
          --it;
        }
        ASSERT_EQ(rc, kOk);
        expectCurrent(s, it->first);
      }
    }
  }

  void compareAll(RecordStore& s) {
    ASSERT_EQ(s.RecordCount(), static_cast<int>(model_.size()));
    auto it = model_.begin();
    for (int rc = s.Step(1, kStepFirst); rc == kOk; rc = s.Step(1, kStepNext), ++it) {
      ASSERT_NE(it, model_.end());
      expectCurrent(s, it->first);
    }
    ASSERT_EQ(it, model_.end());
    // Index 3 holds every record once, ordered by (hybrid, type, number).
    long n = 0;
    std::tuple<int, int, std::string> last{-1, -1, ""};
    for (int rc = s.Step(3, kStepFirst); rc == kOk; rc = s.Step(3, kStepNext), ++n) {
      PartRecord r;
      ASSERT_EQ(s.ReadRecord(r.fields()), kOk);
      std::tuple<int, int, std::string> k{r.hybrid, r.type, r.pn};
      ASSERT_LT(last, k);
      last = k;
    }
    ASSERT_EQ(n, static_cast<long>(model_.size()));
  }

  ModelResult run() {
    ModelResult res;
    long& ops = res.ops;
    RecordStore s;
    s.SetDurable(false);
    EXPECT_EQ(createPartFile(s, path_), kOk);
    for (int b = 0; b < run_.batches; ++b) {
      for (int i = 0; i < run_.opsPerBatch; ++i, ++ops) {
        op(s);
        if (::testing::Test::HasFatalFailure()) return res;
      }
      EXPECT_EQ(s.Close(), kOk);
      EXPECT_EQ(checkFaults(path_), std::vector<std::string>{}) << "after batch " << b;
      EXPECT_EQ(openPartFile(s, path_), kOk);
      compareAll(s);
      if (::testing::Test::HasFailure()) return res;
    }
    res.records = static_cast<long>(model_.size());
    for (int t = 0; t < kTrees; ++t) res.height = std::max(res.height, s.header().height[t]);
    return res;
  }

 private:
  ModelRun run_;
  std::string path_;
  std::mt19937 rng_;
  Model model_;
};

}  // namespace

ModelResult runModel(const ModelRun& run) {
  EXPECT_EQ(StoreShutdown(), kOk);
  EXPECT_EQ(StoreStartup(run.cacheBuffers), kOk);
  ScratchDir dir;
  Driver d(run, dir.file("model.lib"));
  const ModelResult res = d.run();
  EXPECT_EQ(StoreShutdown(), kOk);
  return res;
}

}  // namespace kestrel::store::test
