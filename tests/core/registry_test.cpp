#include "core/registry.hpp"

#include <gtest/gtest.h>

#include <set>

#include "core/archive.hpp"
#include "core/misc_part.hpp"
#include "core/part_archive.hpp"
#include "support/recording_ui.hpp"
#include "support/test_parts.hpp"

namespace kestrel {
namespace {

TEST(PartTypeTable, IdsAscendUniqueAndWithinTheirFamilies) {
  std::set<std::string_view> names;
  std::uint16_t last = 0;
  for (const PartType& t : allPartTypes()) {
    EXPECT_GT(t.id, last);
    last = t.id;
    EXPECT_TRUE(names.insert(t.className).second) << t.className;
  }
  EXPECT_EQ(allPartTypes().size(), 36u);
  // The ids this program fixes for the families with open ranges.
  EXPECT_EQ(findPartTypeByClass("CVLSI")->id, 108);
  EXPECT_EQ(findPartTypeByClass("CTransistor")->id, 301);
  EXPECT_EQ(findPartTypeByClass("CMTrans")->id, 303);
}

TEST(PartTypeTable, HybridMenuLeavesOutBoardLevelAndSubFileTypes) {
  const auto hybrid = menuTable(true);
  EXPECT_EQ(hybrid.size(), 32u);
  for (const PartType& t : hybrid) {
    EXPECT_NE(t.id, kSubCircuitType);
    EXPECT_NE(t.id, kSubHybridType);
    EXPECT_NE(t.id, 505);
    EXPECT_NE(t.id, 506);
  }
  EXPECT_EQ(menuTable(false).size(), 36u);
}

TEST(TypePosition, UnknownIdGoesToLastSlotWithMessage) {
  test::RecordingUi ui;
  EXPECT_EQ(typePosition(401, false, &ui), 18u);
  EXPECT_EQ(typePosition(kSubCircuitType, true, &ui), kUnknownTypeSlot);
  EXPECT_EQ(typePosition(9999, false, &ui), kUnknownTypeSlot);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0], "Call support: part type position error...");
  EXPECT_EQ(typeName(9999, false, &ui), "");
  EXPECT_EQ(ui.messages.back(), "Call support: part type name error...");
}

TEST(PartRegistry, RefusesDuplicatesAndMismatchedClasses) {
  test::registerTestParts();
  auto& registry = PartRegistry::instance();
  EXPECT_FALSE(registry.registerClass(kMiscType, CMisc::kClass).isOk());
  EXPECT_FALSE(registry.registerClass(401, CMisc::kClass).isOk());   // CMisc is not 401's class
  EXPECT_FALSE(registry.registerClass(7777, CMisc::kClass).isOk());  // not a part type
  EXPECT_EQ(registry.create(7777, false), nullptr);
  EXPECT_EQ(registry.createByClassName("CNoSuchClass"), nullptr);
}

// Every registered class creates with its type id, names itself as the
// menu says, and survives an archive round trip.
TEST(PartRegistry, EveryRegisteredClassCreatesNamesAndRoundTrips) {
  test::registerTestParts();
  auto& registry = PartRegistry::instance();
  ASSERT_GT(registry.size(), 0u);
  for (const PartType& t : allPartTypes()) {
    if (!registry.isRegistered(t.id)) continue;
    for (bool hybrid : {false, true}) {
      if (hybrid && !t.inHybridMenu) continue;  // named "*ERROR*" inside a hybrid
      auto part = registry.create(t.id, hybrid);
      ASSERT_NE(part, nullptr) << t.className;
      EXPECT_EQ(part->PART_TYPE, t.id);
      EXPECT_EQ(part->classRecord().className, t.className);
      EXPECT_EQ(part->GetTypeName(), std::string(t.menuName) + (hybrid ? "(Hyb)" : ""));
      part->PN = "PN-" + std::string(t.className);
      part->QTY = 3;

      Archive out = Archive::forWriting();
      writePartObject(out, *part);
      Archive in = Archive::forReading(out.bytes(), "test");
      auto back = readPartObject(in);
      ASSERT_TRUE(in.ok()) << in.error();
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(back->PN, part->PN);
      EXPECT_EQ(back->QTY, 3);
      EXPECT_EQ(back->IS_HYBRID, hybrid ? 1 : 0);
      EXPECT_EQ(in.remaining(), 0u);
    }
  }
}

TEST(PartRegistry, MenuBuildsFromClassNamesOrFailsWithStartUpMessage) {
  test::registerTestParts();
  std::vector<std::string> names;
  const Status status = PartRegistry::instance().buildMenu(false, names);
  if (PartRegistry::instance().size() < allPartTypes().size()) {
    EXPECT_EQ(status.message(), "Can not create Circuit part types menu.");
    EXPECT_TRUE(names.empty());
  } else {
    EXPECT_TRUE(status.isOk());
    EXPECT_EQ(names.size(), allPartTypes().size() + 1);
    EXPECT_EQ(names.front(), "");
  }
  auto misc = PartRegistry::instance().createFromMenu(menuTable(true).size(), true);
  ASSERT_NE(misc, nullptr);
  EXPECT_EQ(misc->GetTypeName(), "Miscellaneous(Hyb)");
}

}  // namespace
}  // namespace kestrel
