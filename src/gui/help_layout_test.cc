#include "gui/help_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "gui/keyword_marking_form_layout.h"

namespace mirune {
namespace {

using main_form::ControlKind;
using main_form::ControlLayout;
using main_form::TwipsRect;

struct Window {
  const char* name;
  std::span<const ControlLayout> controls;
  int width;
  int height;
};

const Window kWindows[] = {
    {"Form3", help_form::UtilityWindowControls(), help_form::kUtilityClientWidthTwips,
     help_form::kUtilityClientHeightTwips},
    {"Form4", help_form::FirstStepsWindowControls(), help_form::kHelpClientWidthTwips,
     help_form::kHelpClientHeightTwips},
    {"Form10", help_form::FaqWindowControls(), help_form::kHelpClientWidthTwips,
     help_form::kHelpClientHeightTwips},
    {"索引作成", help_form::IndexDialogControls(), help_form::kIndexClientWidthTwips,
     help_form::kIndexClientHeightTwips},
    {"Form11", keyword_form::Form11Controls(), keyword_form::kClientWidthTwips,
     keyword_form::kClientHeightTwips},
};

// A tab strip's display area as the strip leaves it at most: below the tabs, inside the
// strip's edges (four pixels a side at 96 dpi).
TwipsRect DisplayArea(const TwipsRect& strip) {
  constexpr int kEdge = 60;
  return {strip.left + kEdge, strip.top + kTabHeightTwips + kEdge, strip.width - 2 * kEdge,
          strip.height - kTabHeightTwips - 2 * kEdge};
}

// Each control's rectangle in the window's client area.
std::map<int, TwipsRect> Places(const Window& window) {
  std::map<int, TwipsRect> places;
  for (const ControlLayout& c : window.controls) {
    TwipsRect rect = c.rect;
    if (c.container != 0) {
      const TwipsRect& outer = places.at(c.container);  // containers come first
      if (c.kind == ControlKind::kFrame && rect.width == 0 && rect.height == 0) {
        rect = DisplayArea(outer);
      } else {
        rect.left += outer.left;
        rect.top += outer.top;
      }
    }
    places[c.id] = rect;
  }
  return places;
}

bool Inside(const TwipsRect& inner, const TwipsRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

bool Overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST(HelpLayout, EveryControlLiesInItsContainerAndNoneOverlapAnother) {
  for (const Window& window : kWindows) {
    SCOPED_TRACE(window.name);
    const std::map<int, TwipsRect> places = Places(window);
    std::set<int> ids;
    for (const ControlLayout& c : window.controls) {
      EXPECT_TRUE(ids.insert(c.id).second) << c.name << " shares its id";
      const TwipsRect outer =
          c.container == 0 ? TwipsRect{0, 0, window.width, window.height} : places.at(c.container);
      EXPECT_TRUE(Inside(places.at(c.id), outer)) << c.name;
    }
    // Controls of one container other than frames and strips (which hold them) never overlap.
    for (const ControlLayout& a : window.controls) {
      for (const ControlLayout& b : window.controls) {
        if (a.id >= b.id || a.container != b.container) continue;
        if (a.kind == ControlKind::kFrame || a.kind == ControlKind::kTabStrip ||
            b.kind == ControlKind::kFrame || b.kind == ControlKind::kTabStrip) {
          continue;
        }
        EXPECT_FALSE(Overlap(places.at(a.id), places.at(b.id))) << a.name << " / " << b.name;
      }
    }
  }
}

// The control arrays: an index from its base id, and the frame each array lies in.
TEST(HelpLayout, UtilityWindowControlArrays) {
  using namespace help_form;  // NOLINT: the table under test
  // "使い方" holds Command1 and Label1, "ツール" Command4 and Label4.
  for (const ControlLayout& c : UtilityWindowControls()) {
    if (ArrayIndex(kIdUsageButtons, c.id) >= 0 || ArrayIndex(kIdUsageLabels, c.id) >= 0) {
      EXPECT_EQ(c.container, kIdTabPages) << c.name;
    }
    if (ArrayIndex(kIdToolButtons, c.id) >= 0 || ArrayIndex(kIdToolLabels, c.id) >= 0) {
      EXPECT_EQ(c.container, kIdTabPages + 1) << c.name;
    }
  }
  EXPECT_EQ(ArrayIndex(kIdToolButtons, kIdToolButtons + 3), 3);
  EXPECT_EQ(ArrayIndex(kIdToolButtons, kIdToolButtons + 4), 4);
  EXPECT_EQ(ArrayIndex(kIdToolButtons, kIdToolButtons + 5), -1);
  EXPECT_EQ(ArrayIndex(kIdToolButtons, kIdUsageButtons), -1);
}

}  // namespace
}  // namespace mirune
