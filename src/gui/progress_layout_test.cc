#include "gui/progress_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <span>

namespace mirune {
namespace {

TEST(TwipsToPixelsTest, FifteenTwipsAPixelAt96DpiScaledByDpi) {
  const struct {
    int twips, dpi, pixels;
  } cases[] = {
      {3375, 96, 225}, {3375, 120, 281}, {3375, 144, 338},  // 337.5 rounds up
      {30, 96, 2},     {30, 120, 3},     {0, 192, 0},
      {1440, 96, 96},  {1440, 288, 288}, {7, 96, 0},  // under half a pixel
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
  }
  EXPECT_EQ(TwipsToPixels(326.34, 96), 22);
  EXPECT_EQ(TwipsToPixels(3307.5, 96), 221);  // 220.5
}

// Form2 and Form6 side by side, centred over the main window, kept on the screen.
TEST(ProgressWindowPlaceTest, BesideEachOtherOverTheMainWindow) {
  const ScreenBox form2{0, 0, 390, 230};
  const ScreenBox form6{0, 0, 390, 200};
  const ScreenBox work{0, 0, 1280, 1000};
  const ScreenBox owner{200, 100, 640, 400};
  const ScreenBox two = ProgressWindowPlace(0, owner, form2, form6, work);
  const ScreenBox six = ProgressWindowPlace(1, owner, form2, form6, work);
  EXPECT_EQ(two.left, 200 + (640 - 788) / 2);
  EXPECT_EQ(six.left, two.left + 390 + 8);  // beside, never over Form2's counts
  EXPECT_EQ(two.top, 100 + (400 - 230) / 2);
  EXPECT_EQ(six.top, 100 + (400 - 200) / 2);
  // A main window at the screen's left edge: the pair starts at the edge.
  EXPECT_EQ(ProgressWindowPlace(0, {0, 0, 640, 400}, form2, form6, work).left, 0);
  // At the right edge: the pair ends at the edge.
  const ScreenBox right = ProgressWindowPlace(1, {1000, 0, 640, 400}, form2, form6, work);
  EXPECT_EQ(right.left + right.width, 1280);
  // Below the bottom: moved up.
  const ScreenBox low = ProgressWindowPlace(0, {0, 900, 640, 400}, form2, form6, work);
  EXPECT_EQ(low.top + low.height, 1000);
}

void ExpectSoundForm(std::span<const ControlLayout> controls, int client_width, int client_height,
                     const char* form) {
  std::set<int> ids;
  for (const ControlLayout& control_layout : controls) {
    EXPECT_TRUE(ids.insert(control_layout.id).second)
        << form << " " << control_layout.name << " id used twice";
    EXPECT_LE(control_layout.left + control_layout.width, client_width)
        << form << " " << control_layout.name;
    EXPECT_LE(control_layout.top + control_layout.height, client_height)
        << form << " " << control_layout.name;
  }
}

template <size_t N>
void ExpectBarInsideTrack(const std::array<ControlLayout, N>& controls, const char* form) {
  const ControlLayout* track = FindControlLayout(controls, kIdText1);
  const ControlLayout* bar = FindControlLayout(controls, kIdText2);
  ASSERT_NE(track, nullptr) << form;
  ASSERT_NE(bar, nullptr) << form;
  EXPECT_EQ(bar->left - track->left, 30) << form;
  EXPECT_EQ(bar->top - track->top, 30) << form;
  EXPECT_LE(bar->top + bar->height, track->top + track->height) << form;
  // A bar of 98 % of the track's width ends inside it.
  EXPECT_LT(bar->left + track->width * 0.98, track->left + track->width) << form;
}

TEST(ProgressLayoutTest, ControlsInsideTheirFormsBarsInsideTracks) {
  ExpectSoundForm(kForm2Controls, kForm2ClientWidth, kForm2ClientHeight, "Form2");
  ExpectSoundForm(kForm6Controls, kForm6ClientWidth, kForm6ClientHeight, "Form6");
  ExpectBarInsideTrack(kForm2Controls, "Form2");
  ExpectBarInsideTrack(kForm6Controls, "Form6");
}

TEST(ProgressLayoutTest, Form6ShowsForm2sTrackWithAShortBar) {
  const ControlLayout* track2 = FindControlLayout(kForm2Controls, kIdText1);
  const ControlLayout* track6 = FindControlLayout(kForm6Controls, kIdText1);
  EXPECT_EQ(track6->left, track2->left);
  EXPECT_EQ(track6->top, track2->top);
  EXPECT_EQ(track6->width, track2->width);
  EXPECT_EQ(track6->height, track2->height);
  EXPECT_EQ(FindControlLayout(kForm6Controls, kIdText2)->width, 100);
  EXPECT_EQ(FindControlLayout(kForm2Controls, kIdText2)->width, 0);  // grows from 0
}

}  // namespace
}  // namespace mirune
