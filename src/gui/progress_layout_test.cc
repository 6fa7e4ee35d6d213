#include "gui/progress_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <span>

namespace mirune {
namespace {

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
    EXPECT_LE(control_layout.rect.left + control_layout.rect.width, client_width)
        << form << " " << control_layout.name;
    EXPECT_LE(control_layout.rect.top + control_layout.rect.height, client_height)
        << form << " " << control_layout.name;
  }
}

template <size_t N>
void ExpectBarInsideTrack(const std::array<ControlLayout, N>& controls, const char* form) {
  const ControlLayout* track = FindControlLayout(controls, kIdTrack);
  const ControlLayout* bar = FindControlLayout(controls, kIdBar);
  ASSERT_NE(track, nullptr) << form;
  ASSERT_NE(bar, nullptr) << form;
  EXPECT_EQ(bar->rect.left - track->rect.left, 30) << form;
  EXPECT_EQ(bar->rect.top - track->rect.top, 30) << form;
  EXPECT_LE(bar->rect.top + bar->rect.height, track->rect.top + track->rect.height) << form;
  // A bar of 98 % of the track's width ends inside it.
  EXPECT_LT(bar->rect.left + track->rect.width * 0.98, track->rect.left + track->rect.width)
      << form;
}

TEST(ProgressLayoutTest, ControlsInsideTheirFormsBarsInsideTracks) {
  ExpectSoundForm(kForm2Controls, kForm2ClientWidth, kForm2ClientHeight, "Form2");
  ExpectSoundForm(kForm6Controls, kForm6ClientWidth, kForm6ClientHeight, "Form6");
  ExpectBarInsideTrack(kForm2Controls, "Form2");
  ExpectBarInsideTrack(kForm6Controls, "Form6");
}

TEST(ProgressLayoutTest, Form6ShowsForm2sTrackWithAShortBar) {
  const ControlLayout* track2 = FindControlLayout(kForm2Controls, kIdTrack);
  const ControlLayout* track6 = FindControlLayout(kForm6Controls, kIdTrack);
  EXPECT_EQ(track6->rect.left, track2->rect.left);
  EXPECT_EQ(track6->rect.top, track2->rect.top);
  EXPECT_EQ(track6->rect.width, track2->rect.width);
  EXPECT_EQ(track6->rect.height, track2->rect.height);
  EXPECT_EQ(FindControlLayout(kForm6Controls, kIdBar)->rect.width, 100);
  EXPECT_EQ(FindControlLayout(kForm2Controls, kIdBar)->rect.width, 0);  // grows from 0
}

}  // namespace
}  // namespace mirune
