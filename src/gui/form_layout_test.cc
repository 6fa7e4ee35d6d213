#include "gui/form_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

TEST(MainWindowControlsTest, EveryControlOnceInsideTheClientArea) {
  std::set<int> ids;
  for (const ControlLayout& control : MainWindowControls()) {
    EXPECT_TRUE(ids.insert(control.id).second) << control.name;
    EXPECT_GE(control.rect.left, 0) << control.name;
    EXPECT_LE(control.rect.left + control.rect.width, kMainClientWidthTwips) << control.name;
    EXPECT_LE(control.rect.top + control.rect.height, kMainClientHeightTwips) << control.name;
  }
  EXPECT_EQ(ids.size(), 12u);
}

TEST(MainWindowControlsTest, Label3SitsInsideFrame1) {
  const ControlLayout* frame = FindControlLayout(MainWindowControls(), kIdRunFrame);
  const ControlLayout* label = FindControlLayout(MainWindowControls(), kIdRunHint);
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->rect.left - frame->rect.left, 240);
  EXPECT_EQ(label->rect.top - frame->rect.top, 360);
  EXPECT_EQ(FindControlLayout(MainWindowControls(), 999), nullptr);
}

}  // namespace
}  // namespace mirune
