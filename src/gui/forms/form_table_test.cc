#include "gui/forms/form_table.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(TwipsToPixelsTest, FifteenTwipsAPixelAt96DpiScaledByDpi) {
  const struct {
    int twips, dpi, pixels;
  } cases[] = {
      {15, 96, 1},      {9390, 96, 626},  {3375, 96, 225},  {3375, 120, 281},
      {3375, 144, 338},                                                    // 337.5 rounds up
      {255, 120, 21},   {1215, 192, 162}, {1440, 288, 288}, {7, 96, 0},    // under half a pixel
      {8, 96, 1},       {0, 192, 0},      {-15, 96, -1},    {-8, 96, -1},  // halves away from zero
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  }
  // Lengths that are not whole: the progress bar.
  EXPECT_EQ(TwipsToPixels(326.34, 96), 22);
  EXPECT_EQ(TwipsToPixels(3307.5, 96), 221);  // 220.5
  EXPECT_EQ(TwipsToPixels(TwipsRect{15, 30, 3375, -15}, 144),
            (PixelRect{2, 3, 338, -2}));  // each side alike
}

}  // namespace
}  // namespace mirune
