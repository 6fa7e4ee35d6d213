#include "gui/form_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

TEST(TwipsToPixelsTest, FifteenTwipsArePixelAt96Dpi) {
  struct Case {
    int twips, dpi, pixels;
  } cases[] = {
      {15, 96, 1},     {9390, 96, 626},  {5400, 96, 360},  {3135, 96, 209},
      {4755, 96, 317}, {9390, 144, 939}, {255, 120, 21},   {7, 96, 0},
      {8, 96, 1},      {0, 192, 0},      {1215, 192, 162}, {-15, 96, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  }
}

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
  const ControlLayout* frame = FindControl(MainWindowControls(), kIdFrame1);
  const ControlLayout* label = FindControl(MainWindowControls(), kIdLabel3);
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->rect.left - frame->rect.left, 240);
  EXPECT_EQ(label->rect.top - frame->rect.top, 360);
  EXPECT_EQ(FindControl(MainWindowControls(), 999), nullptr);
}

}  // namespace
}  // namespace mirune
