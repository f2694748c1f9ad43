// The bounded text of the operation log window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "shell/log_window_buffer.hpp"

namespace kestrel {
namespace {

struct Case {
  const char* name;
  int lines;          // lines of ten characters (eleven with the break)
  int resets;         // clears expected
  std::size_t shown;  // lines in the text before the NOTE lines
};

class LogWindowBufferCase : public ::testing::TestWithParam<Case> {};

TEST_P(LogWindowBufferCase, ClearsWhenFullAndSaysSoAtTheEnd) {
  const Case& c = GetParam();
  LogWindowBuffer buffer(110);  // ten such lines fit
  int cleared = 0;
  for (int i = 0; i < c.lines; ++i) cleared += buffer.append("0123456789") ? 1 : 0;
  EXPECT_EQ(cleared, c.resets);
  EXPECT_EQ(buffer.resets(), c.resets);
  EXPECT_LE(buffer.text().size(), 110u);
  const std::size_t before = static_cast<std::size_t>(std::count(buffer.text().begin(), buffer.text().end(), '\n'));
  EXPECT_EQ(before, c.shown);
  const auto notes = buffer.finish();
  if (c.resets == 0) {
    EXPECT_TRUE(notes.empty());
  } else {
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "NOTE: the log window text buffer filled up and");
    EXPECT_EQ(notes[1], "the log window was reset " + std::to_string(c.resets) + " time(s)...");
    EXPECT_EQ(notes[2], "...see the log file for entire log message listing.");
    EXPECT_NE(buffer.text().find(notes[2]), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, LogWindowBufferCase,
                         ::testing::Values(Case{"Empty", 0, 0, 0}, Case{"ExactlyFull", 10, 0, 10},
                                           Case{"OneOver", 11, 1, 1}, Case{"ThreeTimesOver", 31, 3, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogWindowBuffer, ALineLongerThanTheWindowIsStillShownAndANewJobStartsAfresh) {
  LogWindowBuffer buffer(8);
  EXPECT_FALSE(buffer.append("a line far longer than eight"));
  EXPECT_EQ(buffer.text(), "a line far longer than eight\n");
  EXPECT_TRUE(buffer.append("next"));
  buffer.clear();
  EXPECT_EQ(buffer.resets(), 0);
  EXPECT_TRUE(buffer.text().empty());
  EXPECT_TRUE(buffer.finish().empty());
}

}  // namespace
}  // namespace kestrel
