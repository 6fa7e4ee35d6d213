#pragma once

// Layout of the progress window (Form2) and the abort window (Form6): every control with its
// name, kind, rectangle in twips (left, top, width, height) and fixed caption. The Windows
// windows are built from these tables; 15 twips make a pixel at 96 dpi, and a window at
// another dpi scales by dpi / 1440 per twip (TwipsToPixels).
//
// Form2's rectangles are the window's own fixed values; the bar (Text2) starts with width 0
// and grows with the progress. Form6 shows the same track and bar at the same place, with a
// bar 100 twips wide that nothing updates.

#include <array>
#include <cmath>
#include <cstddef>
#include <string_view>

namespace mirune {

enum class ControlKind {
  kLabel,     // static text, left-aligned
  kCentered,  // static text, centred
  kTrack,     // the progress track: a sunken box
  kBar,       // the filled bar inside the track
  kFocus,     // a read-only edit box that only holds the keyboard focus
  kPicture,   // a picture
  kButton,    // a push button
};

struct ControlLayout {
  int id;  // control id (GetDlgItem)
  std::string_view name;
  ControlKind kind;
  int left, top, width, height;  // twips, in the window's client area
  std::string_view caption;      // fixed caption; empty for fields filled at run time
};

// Control ids, one per form control name. Form2 and Form6 share the ids of the controls they
// have in common.
enum ProgressControlId : int {
  kIdLabel1 = 1001,  // activity text
  kIdLabel2,         // percentage
  kIdLabel3,         // "Tovas Engine"
  kIdLabel4,
  kIdLabel5,
  kIdLabel6,
  kIdLabel7,
  kIdLabel8,
  kIdLabel9,
  kIdLabel10,
  kIdLabel11,
  kIdText1,  // track
  kIdText2,  // bar
  kIdText3,  // focus holder
  kIdImage1,
  kIdCommand1,  // "処理中止"
};

inline constexpr std::string_view kProgressCaption = "進行状況";

// Client area of Form2 in twips.
inline constexpr int kForm2ClientWidth = 5760;
inline constexpr int kForm2ClientHeight = 3000;

inline constexpr std::array<ControlLayout, 15> kForm2Controls = {{
    {kIdLabel1, "Label1", ControlKind::kLabel, 720, 240, 3615, 255, ""},
    {kIdText1, "Text1", ControlKind::kTrack, 720, 600, 3375, 285, ""},
    {kIdText2, "Text2", ControlKind::kBar, 750, 630, 0, 230, ""},
    {kIdText3, "Text3", ControlKind::kFocus, 0, 0, 0, 0, ""},
    {kIdLabel2, "Label2", ControlKind::kCentered, 2040, 960, 855, 255, ""},
    {kIdLabel3, "Label3", ControlKind::kLabel, 4440, 1050, 1095, 255, "Tovas Engine"},
    {kIdImage1, "Image1", ControlKind::kPicture, 4740, 360, 480, 480, ""},
    {kIdLabel11, "Label11", ControlKind::kLabel, 360, 1440, 1320, 255, "対象文書名 ："},
    {kIdLabel10, "Label10", ControlKind::kLabel, 1680, 1440, 3855, 255, ""},
    {kIdLabel4, "Label4", ControlKind::kLabel, 360, 1800, 2520, 255, "処理中のドキュメント数 ："},
    {kIdLabel5, "Label5", ControlKind::kLabel, 2880, 1800, 2655, 255, ""},
    {kIdLabel6, "Label6", ControlKind::kLabel, 360, 2160, 2520, 255, "処理中のストーリー数   ："},
    {kIdLabel7, "Label7", ControlKind::kLabel, 2880, 2160, 2655, 255, ""},
    {kIdLabel8, "Label8", ControlKind::kLabel, 360, 2520, 2520, 255, "抽出された索引語句数   ："},
    {kIdLabel9, "Label9", ControlKind::kLabel, 2880, 2520, 2655, 255, ""},
}};

// Client area of Form6 in twips.
inline constexpr int kForm6ClientWidth = 5760;
inline constexpr int kForm6ClientHeight = 2520;

inline constexpr std::array<ControlLayout, 9> kForm6Controls = {{
    {kIdLabel1, "Label1", ControlKind::kLabel, 720, 240, 3615, 255,
     "索引抽出処理の準備中です...　"},
    {kIdText1, "Text1", ControlKind::kTrack, 720, 600, 3375, 285, ""},
    {kIdText2, "Text2", ControlKind::kBar, 750, 630, 100, 230, ""},
    {kIdText3, "Text3", ControlKind::kFocus, 0, 0, 0, 0, ""},
    {kIdLabel2, "Label2", ControlKind::kCentered, 2040, 960, 855, 255, "5％"},
    {kIdLabel4, "Label4", ControlKind::kLabel, 360, 1440, 1320, 255, "対象文書名 ："},
    {kIdLabel5, "Label5", ControlKind::kLabel, 1680, 1440, 3855, 255, ""},
    {kIdLabel6, "Label6", ControlKind::kLabel, 360, 1920, 3840, 255,
     "処理中止ボタンで中止することができます"},
    {kIdCommand1, "Command1", ControlKind::kButton, 4320, 1830, 1215, 435, "処理中止"},
}};

// The control of `controls` with `id`, or null.
template <size_t N>
constexpr const ControlLayout* FindControlLayout(const std::array<ControlLayout, N>& controls,
                                                 int id) {
  for (const ControlLayout& control_layout : controls) {
    if (control_layout.id == id) return &control_layout;
  }
  return nullptr;
}

// Twips to pixels at `dpi`: twips × dpi / 1440, rounded to the nearest pixel (halves up).
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}
// The same for a width that is not whole (the bar of UpdateProgress, 98 % of its length).
inline int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// A window's rectangle on the screen, in pixels.
struct ScreenBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Where the progress window (slot 0, Form2) and the abort window (slot 1, Form6) go: side by
// side, Form2 on the left, `gap` pixels apart, the pair centred over the main window
// (`owner`), each centred on its height; the pair moved inside the screen's work area
// (`work`) where it would leave it. Returns the window's left and top.
constexpr ScreenBox ProgressWindowPlace(int slot, const ScreenBox& owner, const ScreenBox& form2,
                                        const ScreenBox& form6, const ScreenBox& work,
                                        int gap = 8) {
  const int pair_width = form2.width + gap + form6.width;
  int left = owner.left + (owner.width - pair_width) / 2;
  if (left + pair_width > work.left + work.width) left = work.left + work.width - pair_width;
  if (left < work.left) left = work.left;
  const ScreenBox& self = slot == 0 ? form2 : form6;
  int top = owner.top + (owner.height - self.height) / 2;
  if (top + self.height > work.top + work.height) top = work.top + work.height - self.height;
  if (top < work.top) top = work.top;
  return {slot == 0 ? left : left + form2.width + gap, top, self.width, self.height};
}

}  // namespace mirune
