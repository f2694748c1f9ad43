#include "shell/class_help.hpp"

#include <gtest/gtest.h>

#include "core/keywords/catalogue.hpp"
#include "core/keywords/keyword_assignments.hpp"
#include "core/part.hpp"
#include "core/registry.hpp"
#include "models/register_all.hpp"

namespace kestrel {
namespace {

// Every registered class has a page that names the handbook section of its
// model and every keyword the catalogue gives the class, and the index lists it.
TEST(ClassHelp, EveryClassPageNamesSectionAndCatalogueKeywords) {
  registerAllParts();
  const std::string index = classHelpIndex();
  std::size_t classes = 0;
  for (const PartType& type : allPartTypes()) {
    if (!PartRegistry::instance().isRegistered(type.id)) continue;
    ++classes;
    SCOPED_TRACE(std::string(type.className));
    EXPECT_NE(index.find(std::string(type.className)), std::string::npos);
    const std::string page = classHelpPage(type);
    const bool ownModel = type.id != kSubCircuitType && type.id != kSubHybridType && type.id != kMiscType;
    EXPECT_EQ(!handbookSection(type.id).empty(), ownModel);
    EXPECT_NE(page.find(ownModel ? "MIL-HDBK-217F, Notice 2, section" : "no handbook section"), std::string::npos);
    // The microcircuit family shares one set of keywords, kept under its first class.
    const std::string_view owner = type.className.starts_with("CIC_") ? "CIC_Logic" : type.className;
    for (const KeywordInfo& k : keywordCatalogue()) {
      if (k.className != owner) continue;
      EXPECT_NE(page.find("  " + std::string(k.name) + " "), std::string::npos) << k.name;
    }
  }
  EXPECT_GE(classes, 30u);
}

// The worked example of every class is taken by `kestrel add` as it stands:
// no clamping, no default, no unknown keyword.
TEST(ClassHelp, EveryWorkedExampleIsTakenAsWritten) {
  registerAllParts();
  for (const PartType& type : allPartTypes()) {
    if (!PartRegistry::instance().isRegistered(type.id)) continue;
    SCOPED_TRACE(std::string(type.className));
    const std::vector<std::string> example = classExampleValues(type);
    std::vector<KeywordAssignment> values;
    ASSERT_TRUE(parseAssignments(example, values).isOk());
    std::unique_ptr<CPart> part = PartRegistry::instance().create(type.id, false);
    AssignmentResult result;
    EXPECT_TRUE(assignPartFields(*part, values, false, 25.0f, result).isOk());
    EXPECT_TRUE(result.log.empty()) << result.log.front();
    EXPECT_TRUE(result.unused.empty()) << result.unused.front();
  }
}

}  // namespace
}  // namespace kestrel
