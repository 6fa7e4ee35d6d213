#pragma once

// The layout of the main window (Form1) and the splash window (Form5) in twips, as the
// windows are drawn: 1440 twips to the inch, so 15 twips are one pixel at 96 dpi and the
// pixels scale with the monitor's dpi. The control ids are shared by the window code and
// by the programs that drive the windows from outside.

#include <span>
#include <string_view>

#include "gui/forms/form_table.h"

// In a namespace of their own: the control ids of the progress windows
// (gui/progress_layout.h) have names of the same kind.
namespace mirune::main_form {

// The one table type of the program's forms (gui/forms/form_table.h).
using ::mirune::ControlKind;
using ::mirune::ControlLayout;
using ::mirune::FindControlLayout;
using ::mirune::PixelRect;
using ::mirune::TwipsRect;
using ::mirune::TwipsToPixels;

// Control ids of the main window.
inline constexpr int kIdDriveList = 101;
inline constexpr int kIdFolderList = 102;
inline constexpr int kIdFileList = 103;
inline constexpr int kIdFilterLabel = 104;
inline constexpr int kIdFilterBox = 105;
inline constexpr int kIdKeepFolderBox = 106;
inline constexpr int kIdRunFrame = 107;
inline constexpr int kIdRunHint = 108;
inline constexpr int kIdRunButton = 109;
inline constexpr int kIdUtilityButton = 110;
inline constexpr int kIdQuitButton = 111;
inline constexpr int kIdOpenResultsButton = 112;  // "結果のフォルダーを開く"

// Control ids of the splash window.
inline constexpr int kIdSplashStatus = 201;
inline constexpr int kIdSplashTitle = 202;
inline constexpr int kIdSplashEngine = 203;
inline constexpr int kIdSplashIcon = 204;

// The product title: ミルネ, a full-width space, "Windows10 対応版" (both windows' caption).
inline constexpr std::string_view kProductTitle = "ミルネ　Windows10 対応版";
// Window class names (the programs that drive the windows find them by these).
inline constexpr std::string_view kMainWindowClass = "MiruneForm1";
inline constexpr std::string_view kSplashWindowClass = "MiruneForm5";

// Client areas.
inline constexpr int kMainClientWidthTwips = 9390;
inline constexpr int kMainClientHeightTwips = 5400;
inline constexpr int kSplashClientWidthTwips = 6600;
inline constexpr int kSplashClientHeightTwips = 3300;

// The main window's controls in creation order (Label3 is drawn inside Frame1; its
// rectangle here is already in the window's client area).
std::span<const ControlLayout> MainWindowControls();
// The splash window's controls.
std::span<const ControlLayout> SplashWindowControls();

}  // namespace mirune::main_form
