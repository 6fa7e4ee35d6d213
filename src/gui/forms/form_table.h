#pragma once

// The layout tables every form of the program is made from: each control with its
// designer's name, id, kind, caption and rectangle in twips. 1440 twips make an inch, so 15
// twips are one pixel at 96 dpi and a window at another dpi scales by dpi / 1440 per twip.
// Portable: the tables and their rules are tested in both builds.

#include <cmath>
#include <span>
#include <string_view>

namespace mirune {

// A control's rectangle in twips, relative to its window's client area (or its frame's).
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A rectangle in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

// twips × dpi ÷ 1440, rounded to the nearest pixel (halves away from zero).
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}
// The same for a length that is not whole (the progress bar, 98 % of its track).
inline int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}
constexpr PixelRect TwipsToPixels(const TwipsRect& rect, int dpi) {
  return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
          TwipsToPixels(rect.width, dpi), TwipsToPixels(rect.height, dpi)};
}

// Control kinds, as the window code creates them.
enum class ControlKind {
  kLabel,       // static text, left-aligned
  kCentered,    // static text, centred
  kTrack,       // the progress track: a sunken box
  kBar,         // the filled bar inside the track
  kFocus,       // a read-only edit box that only holds the keyboard focus
  kPicture,     // the program's icon
  kButton,      // a push button
  kDriveList,   // drop-down list of drives
  kFolderList,  // list of the folder hierarchy
  kFileList,    // list of files
  kFilterBox,   // editable drop-down box
  kCheckBox,
  kFrame,       // group box
  kTabStrip,    // tab strip of the common controls
  kTextBox,     // multi-line read-only text box with a scroll bar
  kEdit,        // one-line text box
  kChoiceList,  // drop-down list without typing
};

// The width of every tab of a tab strip, and the tabs' height: each tab has a known place.
inline constexpr int kTabWidthTwips = 1200;
inline constexpr int kTabHeightTwips = 360;

struct ControlLayout {
  std::string_view name;  // the designer's name: "Drive1", "Command1" …
  int id;                 // control id (GetDlgItem)
  ControlKind kind;
  std::string_view caption;  // caption or initial text; empty for fields filled at run time
  TwipsRect rect;            // in the window's client area, or in `container`'s (below)
  bool bold = false;
  // The id of the frame the control lies in, its rectangle then measured from the frame's
  // top left; 0 for the window itself. A frame in a tab strip with an empty rectangle fills
  // the strip's display area, whatever its size.
  int container = 0;
};

// The control of `controls` with `id`, or null.
constexpr const ControlLayout* FindControlLayout(std::span<const ControlLayout> controls, int id) {
  for (const ControlLayout& control_layout : controls) {
    if (control_layout.id == id) return &control_layout;
  }
  return nullptr;
}

}  // namespace mirune
