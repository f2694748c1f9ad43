// Mission profiles against closed forms: one phase is the ordinary mission
// calculation; over several phases each unit's hazard sums the phases'
// rate x time, and redundancy holds across them (a parallel pair fails only
// when both units have failed, whatever phase each failed in).
#include <gtest/gtest.h>

#include <cmath>

#include "core/calculate_command.hpp"
#include "core/circ_file.hpp"
#include "core/document_sub_files.hpp"
#include "core/registry.hpp"
#include "graph/profile_run.hpp"
#include "graph_fixture.hpp"

namespace kestrel::graph {
namespace {

using test::GraphFixture;

constexpr std::uint8_t kGF = 2, kAIC = 6;

MissionPhase phase(const char* name, std::uint8_t env, double temp, double hours, double on = 100.0,
                   double dormant = 0.0) {
  return {name, env, temp, hours, on, dormant};
}

class ProfileRunTest : public ::testing::Test {
 protected:
  // PAIR.CIR: two like parts in parallel; SYSTEM.CIR: a serial circuit of
  // one part and PAIR.CIR; SINGLE.CIR: the one part alone.
  void SetUp() override {
    f.writeSample();
    CCircDoc single;
    single.insertSorted(test::arrhenius("U1", 1.0f, 0.4f));
    test::save(single, f.dir.file("SINGLE.CIR"));
    CCircDoc pair;
    pair.header().MODEL = 2;
    pair.insertSorted(test::arrhenius("P1", 20.0f, 0.3f));
    pair.insertSorted(test::arrhenius("P2", 20.0f, 0.3f));
    test::save(pair, f.dir.file("PAIR.CIR"));
    CCircDoc system;
    system.insertSorted(test::arrhenius("U1", 1.0f, 0.4f));
    system.insertSorted(test::subFile(kSubCircuitType, "PAIR.CIR"));
    test::save(system, f.dir.file("SYSTEM.CIR"));
  }

  ProfileResult run(const char* top, std::vector<MissionPhase> phases, int repetitions = 1) {
    ProfileJob job;
    job.profilePath = f.dir.file("P.MPF");
    job.profile = {"Sortie", top, std::move(phases)};
    job.repetitions = repetitions;
    SilentUi ui;
    ProfileResult result;
    const Status s = runProfile(job, posixScratchFiles(), ui, result);
    EXPECT_TRUE(s.isOk()) << s.message();
    return result;
  }

  // The failure rate of one document calculated on its own at a condition.
  double frAt(const char* name, std::uint8_t env, double temp) {
    std::unique_ptr<CCircDoc> doc;
    EXPECT_TRUE(loadDocument(posixFileSystem(), f.dir.file(name), doc).isOk());
    doc->header().ENV = env;
    doc->header().TEMP = static_cast<float>(temp);
    SilentUi ui;
    DocumentSubFiles files(posixFileSystem());
    CalcContext context(ui, &files);
    EXPECT_TRUE(runCalculate(*doc, context, {false, -1.0}).ok);
    return doc->header().TotalFR;
  }

  GraphFixture f;
};

TEST_F(ProfileRunTest, OnePhaseIsTheOrdinaryMissionCalculation) {
  struct Case {
    std::uint8_t env;
    double temp, hours;
  };
  for (const Case& c : {Case{kGF, 30.0, 8760.0}, Case{kAIC, 55.0, 2.0}, Case{10, -20.0, 50000.0}}) {
    WhatIfSettings w;
    w.changeEnvironment = true;
    w.environment = c.env;
    w.tempMode = SetDirect;
    w.tempValue = static_cast<float>(c.temp);
    const test::Reference ref = f.reference(w, true, c.hours);
    const ProfileResult r = run("TOP.CIR", {phase("Only", c.env, c.temp, c.hours)});
    EXPECT_NEAR(r.phases.at(0).poweredFailureRate, ref.fr, ref.fr * 1e-9) << int(c.env);
    EXPECT_NEAR(r.reliability, ref.missionR, 1e-6) << int(c.env);
    EXPECT_DOUBLE_EQ(r.phases[0].reliability, r.reliability);
    EXPECT_NEAR(r.mtbf, ref.mtbf, ref.mtbf * 1e-9);
    EXPECT_FALSE(r.phases[0].contributors.empty());
  }
}

TEST_F(ProfileRunTest, SerialPhasesSumTheirHazards) {
  const double l1 = frAt("SINGLE.CIR", kGF, 35.0), l2 = frAt("SINGLE.CIR", kAIC, 70.0);
  ASSERT_GT(l2, l1 * 1.5);  // the phases differ
  const ProfileResult r = run("SINGLE.CIR", {phase("Ground", kGF, 35.0, 2000.0), phase("Air", kAIC, 70.0, 6000.0)}, 3);
  const double h = (l1 * 2000.0 + l2 * 6000.0) * 1e-6;
  EXPECT_NEAR(r.reliability, std::exp(-h), 1e-12);
  EXPECT_NEAR(r.repeatedReliability, std::exp(-3 * h), 1e-12);
  EXPECT_NEAR(r.phases[1].reliability, std::exp(-l2 * 6000.0 * 1e-6), 1e-12);
  EXPECT_NEAR(r.averageFailureRate, (l1 * 2000.0 + l2 * 6000.0) / 8000.0, 1e-9);
  EXPECT_NEAR(r.mtbf, 1e6 / r.averageFailureRate, 1e-6);
  EXPECT_DOUBLE_EQ(r.phases[1].startHours, 2000.0);
  // The curve starts new, meets every phase boundary and ends at the profile's reliability.
  EXPECT_DOUBLE_EQ(r.curve.front().reliability, 1.0);
  EXPECT_DOUBLE_EQ(r.curve.back().hours, 8000.0);
  EXPECT_NEAR(r.curve.back().reliability, r.reliability, 1e-15);
}

TEST_F(ProfileRunTest, RedundancyHoldsAcrossPhases) {
  const double u1 = frAt("PAIR.CIR", kGF, 35.0) / 2, u2 = frAt("PAIR.CIR", kAIC, 70.0) / 2;
  const double s1 = frAt("SINGLE.CIR", kGF, 35.0), s2 = frAt("SINGLE.CIR", kAIC, 70.0);
  const std::vector<MissionPhase> phases = {phase("Ground", kGF, 35.0, 3000.0), phase("Air", kAIC, 70.0, 9000.0)};
  const double h = (u1 * 3000.0 + u2 * 9000.0) * 1e-6, hs = (s1 * 3000.0 + s2 * 9000.0) * 1e-6;
  auto pair = [](double hazard) { return 1.0 - std::pow(1.0 - std::exp(-hazard), 2); };

  const ProfileResult direct = run("PAIR.CIR", phases, 2);
  EXPECT_NEAR(direct.reliability, pair(h), 1e-12);
  EXPECT_NEAR(direct.repeatedReliability, pair(2 * h), 1e-12);
  // Not the product of the phases' reliabilities, which would renew the pair at each phase.
  EXPECT_GT(std::abs(direct.reliability - direct.phases[0].reliability * direct.phases[1].reliability), 1e-4);

  const ProfileResult system = run("SYSTEM.CIR", phases);
  EXPECT_NEAR(system.reliability, std::exp(-hs) * pair(h), 1e-12);
}

TEST_F(ProfileRunTest, PowerOffTimeAgesOnlyByTheDormantMultiplier) {
  const double l1 = frAt("SINGLE.CIR", kGF, 35.0), l2 = frAt("SINGLE.CIR", kGF, 20.0);
  const ProfileResult on = run("SINGLE.CIR", {phase("Ground", kGF, 35.0, 100.0)});
  const ProfileResult off = run("SINGLE.CIR", {phase("Ground", kGF, 35.0, 100.0), phase("Hangar", kGF, 20.0, 5000.0, 0.0)});
  EXPECT_DOUBLE_EQ(off.reliability, on.reliability);
  EXPECT_EQ(off.phases[1].failureRate, 0.0);
  EXPECT_TRUE(std::isinf(off.phases[1].mtbf));
  EXPECT_TRUE(off.phases[1].contributors.empty());
  EXPECT_NEAR(off.averageFailureRate, l1 * 100.0 / 5100.0, 1e-12);

  const ProfileResult dormant =
      run("SINGLE.CIR", {phase("Ground", kGF, 35.0, 100.0), phase("Hangar", kGF, 20.0, 5000.0, 25.0, 0.1)});
  EXPECT_NEAR(dormant.reliability, std::exp(-(l1 * 100.0 + l2 * 5000.0 * (0.25 + 0.1 * 0.75)) * 1e-6), 1e-12);
  EXPECT_NEAR(dormant.phases[1].failureRate, l2 * 0.325, 1e-9);
}

TEST_F(ProfileRunTest, BadProfilesFailNamingTheFileAndPhaseAndWriteNothing) {
  const auto before = f.snapshot();
  struct Case {
    const char* top;
    std::vector<MissionPhase> phases;
    int repetitions;
    StatusCode code;
    const char* says;
  };
  const Case cases[] = {
      {"MISSING.CIR", {phase("A", kGF, 30.0, 1.0)}, 1, StatusCode::NotFound, "MISSING.CIR' can not be read"},
      {"TOP.CIR", {phase("A", kGF, 30.0, 1.0), phase("Dock", kGF, 30.0, 0.0)}, 1, StatusCode::InvalidArgument,
       "phase 2 ('Dock'): the duration"},
      {"TOP.CIR", {phase("A", kGF, 30.0, -5.0)}, 1, StatusCode::InvalidArgument, "phase 1 ('A'): the duration"},
      {"TOP.CIR", {phase("Sea", 15, 30.0, 1.0)}, 1, StatusCode::InvalidArgument, "phase 1 ('Sea'): environment 15"},
      {"TOP.CIR", std::vector<MissionPhase>(33, phase("A", kGF, 30.0, 1.0)), 1, StatusCode::InvalidArgument,
       "at most 32 phases, not 33"},
      {"TOP.CIR", {}, 1, StatusCode::InvalidArgument, "the profile has no phases"},
      {"TOP.CIR", {phase("A", kGF, 30.0, 1.0)}, 0, StatusCode::InvalidArgument, "repetitions must be"},
  };
  for (const Case& c : cases) {
    ProfileJob job;
    job.profilePath = f.dir.file("P.MPF");
    job.profile = {"Bad", c.top, c.phases};
    job.repetitions = c.repetitions;
    SilentUi ui;
    ProfileResult result;
    const Status s = runProfile(job, posixScratchFiles(), ui, result);
    EXPECT_EQ(s.code(), c.code) << c.says;
    EXPECT_NE(s.message().find("P.MPF'"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(c.says), std::string::npos) << s.message();
    EXPECT_TRUE(result.phases.empty());
  }
  run("TOP.CIR", {phase("A", kGF, 30.0, 1.0)});
  EXPECT_EQ(f.snapshot(), before);
}

}  // namespace
}  // namespace kestrel::graph
