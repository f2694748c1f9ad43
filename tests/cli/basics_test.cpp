#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/keywords/catalogue.hpp"
#include "run_kestrel.hpp"

namespace kestrel::test {
namespace {

struct ExitCase {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  const char* inOut;  // text expected on stdout ("" = none checked)
  const char* inErr;  // text expected on stderr
};

class ExitCodes : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodes, DataOnStdoutMessagesOnStderr) {
  const ExitCase& c = GetParam();
  const RunResult r = runKestrel(c.args);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitCodes,
    ::testing::Values(ExitCase{"Help", {"--help"}, 0, "keywords", ""},
                      ExitCase{"Version", {"--version"}, 0, "kestrel 0.", ""},
                      ExitCase{"NoCommand", {}, 1, "", "subcommand"},
                      ExitCase{"UnknownCommand", {"frobnicate"}, 1, "", ""},
                      ExitCase{"UnknownOption", {"demo", "--bogus"}, 1, "", "bogus"},
                      ExitCase{"BadMissionTime", {"demo", "--mission-time", "-5"}, 1, "", "mission"},
                      ExitCase{"KeywordsPrefix", {"keywords", "--prefix", "header_"}, 0, "HEADER_#REQ",
                               ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeywordsCommand, JsonListsTheWholeCatalogueInOrder) {
  const RunResult r = runKestrel({"keywords", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = nlohmann::json::parse(r.out);
  ASSERT_EQ(rows.size(), kCatalogueSize);
  const auto catalogue = keywordCatalogue();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i]["keyword"], std::string(catalogue[i].name));
  }
  EXPECT_EQ(rows[0]["keyword"], "HEADER_FILETYPE");
  const auto res = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
    return row["keyword"] == "RES_PSTRESS";
  });
  ASSERT_NE(res, rows.end());
  EXPECT_EQ((*res)["type"], "Num");
  EXPECT_EQ((*res)["class"], "CResistor");
  EXPECT_EQ((*res)["max"], 100.0);
}

TEST(DemoCommand, PrintsResultsThatAgreeWithTheParts) {
  const RunResult json = runKestrel({"-q", "demo", "--json", "--mission-time", "1000"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto out = nlohmann::json::parse(json.out);
  double sum = 0.0, parts = 0.0;
  for (const auto& rec : out["records"]) {
    sum += rec["tfr"].get<double>();
    parts += rec["qty"].get<double>();
  }
  const double fr = out["failureRate"];
  EXPECT_NEAR(fr, sum, 1e-6 * sum);
  EXPECT_NEAR(out["mtbf"].get<double>(), 1e6 / fr, 1e-6);
  EXPECT_EQ(out["parts"].get<double>(), parts);
  EXPECT_NEAR(out["basicReliability"].get<double>(), std::exp(-fr * 1000.0 * 1e-6), 1e-12);

  const RunResult text = runKestrel({"demo"});
  ASSERT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("'SAMPLE.CIR' Calculation Results:"), std::string::npos);
  EXPECT_NE(text.out.find("FR="), std::string::npos);
  EXPECT_NE(text.out.find(" fpmh   MTBF="), std::string::npos);
  EXPECT_NE(text.out.find("Parts=" + std::to_string(static_cast<int>(parts))), std::string::npos);
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 132u) << line;
}

}  // namespace
}  // namespace kestrel::test
