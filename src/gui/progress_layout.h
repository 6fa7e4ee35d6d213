#pragma once

// Layout of the progress window (Form2) and the abort window (Form6): every control with its
// name, kind, rectangle in twips (left, top, width, height) and fixed caption. The Windows
// windows are built from these tables (gui/forms/form_table.h).
//
// Form2's rectangles are the window's own fixed values; the bar (Text2) starts with width 0
// and grows with the progress. Form6 shows the same track and bar at the same place, with a
// bar 100 twips wide that nothing updates.

#include <array>
#include <cstddef>
#include <string_view>

#include "gui/forms/form_table.h"

namespace mirune {

// Control ids by role; the designer's names stay in the tables' `name`. Form2 and Form6 share
// the ids of the controls that play the same part.
enum ProgressControlId : int {
  kIdActivityText = 1001,  // Label1: what the job is doing
  kIdPercentText,          // Label2: the percentage
  kIdEngineName,           // Label3: "Tovas Engine"
  kIdDocumentsCaption,     // Form2's Label4
  kIdDocumentCount,        // Form2's Label5
  kIdStoriesCaption,       // Form2's Label6
  kIdStoryCount,           // Form2's Label7
  kIdTermsCaption,         // Form2's Label8
  kIdTermCount,            // Form2's Label9
  kIdDocumentName,         // Form2's Label10, Form6's Label5
  kIdDocumentCaption,      // Form2's Label11, Form6's Label4: "対象文書名 ："
  kIdTrack,                // Text1
  kIdBar,                  // Text2
  kIdFocusHolder,          // Text3
  kIdEngineIcon,           // Image1
  kIdAbortButton,          // Form6's Command1: "処理中止"
  kIdAbortHint,            // Form6's Label6
};

inline constexpr std::string_view kProgressCaption = "進行状況";

// Client area of Form2 in twips.
inline constexpr int kForm2ClientWidth = 5760;
inline constexpr int kForm2ClientHeight = 3000;

inline constexpr std::array<ControlLayout, 15> kForm2Controls = {{
    {"Label1", kIdActivityText, ControlKind::kLabel, "", {720, 240, 3615, 255}},
    {"Text1", kIdTrack, ControlKind::kTrack, "", {720, 600, 3375, 285}},
    {"Text2", kIdBar, ControlKind::kBar, "", {750, 630, 0, 230}},
    {"Text3", kIdFocusHolder, ControlKind::kFocus, "", {0, 0, 0, 0}},
    {"Label2", kIdPercentText, ControlKind::kCentered, "", {2040, 960, 855, 255}},
    {"Label3", kIdEngineName, ControlKind::kLabel, "Tovas Engine", {4440, 1050, 1095, 255}},
    {"Image1", kIdEngineIcon, ControlKind::kPicture, "", {4740, 360, 480, 480}},
    {"Label11", kIdDocumentCaption, ControlKind::kLabel, "対象文書名 ：", {360, 1440, 1320, 255}},
    {"Label10", kIdDocumentName, ControlKind::kLabel, "", {1680, 1440, 3855, 255}},
    {"Label4",
     kIdDocumentsCaption,
     ControlKind::kLabel,
     "処理中のドキュメント数 ：",
     {360, 1800, 2520, 255}},
    {"Label5", kIdDocumentCount, ControlKind::kLabel, "", {2880, 1800, 2655, 255}},
    {"Label6",
     kIdStoriesCaption,
     ControlKind::kLabel,
     "処理中のストーリー数   ：",
     {360, 2160, 2520, 255}},
    {"Label7", kIdStoryCount, ControlKind::kLabel, "", {2880, 2160, 2655, 255}},
    {"Label8",
     kIdTermsCaption,
     ControlKind::kLabel,
     "抽出された索引語句数   ：",
     {360, 2520, 2520, 255}},
    {"Label9", kIdTermCount, ControlKind::kLabel, "", {2880, 2520, 2655, 255}},
}};

// Client area of Form6 in twips.
inline constexpr int kForm6ClientWidth = 5760;
inline constexpr int kForm6ClientHeight = 2520;

inline constexpr std::array<ControlLayout, 9> kForm6Controls = {{
    {"Label1",
     kIdActivityText,
     ControlKind::kLabel,
     "索引抽出処理の準備中です...　",
     {720, 240, 3615, 255}},
    {"Text1", kIdTrack, ControlKind::kTrack, "", {720, 600, 3375, 285}},
    {"Text2", kIdBar, ControlKind::kBar, "", {750, 630, 100, 230}},
    {"Text3", kIdFocusHolder, ControlKind::kFocus, "", {0, 0, 0, 0}},
    {"Label2", kIdPercentText, ControlKind::kCentered, "5％", {2040, 960, 855, 255}},
    {"Label4", kIdDocumentCaption, ControlKind::kLabel, "対象文書名 ：", {360, 1440, 1320, 255}},
    {"Label5", kIdDocumentName, ControlKind::kLabel, "", {1680, 1440, 3855, 255}},
    {"Label6",
     kIdAbortHint,
     ControlKind::kLabel,
     "処理中止ボタンで中止することができます",
     {360, 1920, 3840, 255}},
    {"Command1", kIdAbortButton, ControlKind::kButton, "処理中止", {4320, 1830, 1215, 435}},
}};

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
