#pragma once

// Driving the real mirune-gui.exe from another process, as a person would: starting it,
// finding its windows and controls, clicking, answering its message boxes, reading texts,
// seeding and reading its stored settings, and saving what the screen shows of a window as
// a PNG picture. Test and benchmark code of the Windows build; waits poll for states, never
// for fixed times.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/form_layout.h"
#include "gui/testing/window_test_driver_win.h"

namespace mirune::gui_driver {

using Clock = std::chrono::steady_clock;
inline constexpr auto kTimeout = std::chrono::seconds(30);

// The Windows spelling of a path of this machine (Wine's drive Z: is the root).
std::wstring HostPath(const std::string& unix_path);
// The folder of the running executable (the tests and the program are built side by side).
std::wstring ProgramFolderWide();

// A window's text as the system keeps it, without a message: a busy window answers none.
std::wstring StoredText(HWND hwnd);
// A window's text through WM_GETTEXT (answered by its thread; 5 s at most).
std::wstring Text(HWND hwnd);
std::vector<std::wstring> ListItems(HWND list);
// The folder shown by the selected entry of the folder list, without its indent.
std::wstring FolderListPath(HWND list);
bool Checked(HWND box);

// Waits for `ready` (polling every 20 ms); false after the timeout.
bool WaitFor(const std::function<bool()>& ready,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(kTimeout));

// The visible top-level window of `class_name` in process `pid`; null when there is none.
HWND ProcessWindow(DWORD pid, const std::wstring& class_name);
// The visible top-level windows of process `pid`.
std::vector<HWND> ProcessWindows(DWORD pid);
// The text of the tool tip that process `pid` keeps for the control `tool` of `owner` (read
// through a buffer in that process: a tool tip answers with pointers of its own process).
std::wstring ToolTipText(DWORD pid, HWND owner, HWND tool);
// A control's rectangle in its parent's client area.
main_form::PixelRect ChildRect(HWND control);

// Pictures of windows (gui/testing/window_test_driver_win.h), as the other window tests take
// them.
using testing::CaptureScreen;
using testing::CaptureWindow;
using testing::Screenshot;
using testing::ScreenshotTogether;

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
  // The class names of the program's other visible top-level windows that still took input
  // while the box was shown (none: the user could only answer the box).
  std::vector<std::wstring> others_enabled;
};

// One run of mirune-gui.exe from the program folder; ended (terminated if need be) with the
// object.
class GuiProgram {
 public:
  GuiProgram();
  ~GuiProgram();
  GuiProgram(const GuiProgram&) = delete;
  GuiProgram& operator=(const GuiProgram&) = delete;

  bool started() const { return started_; }
  DWORD pid() const { return process_.dwProcessId; }

  HWND WaitWindow(std::string_view class_name);
  // The main window, shown and ready (its file list filled); the seconds since the start.
  HWND WaitMain(double* seconds = nullptr);
  HWND control(int id) const { return GetDlgItem(main_, id); }

  // The next message box of the program: title and text; answered with `answer`. A picture
  // of it is saved under `picture` when given.
  MessageBoxSeen Answer(int answer, const std::string& picture = "");

  void Click(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }

  // Form3, shown by the main window's "ユーティリティ"; null when it does not come.
  HWND OpenUtility();

  // Closes with the button "終了"; true when the process has ended.
  bool Quit();

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  Clock::time_point start_;
  HWND main_ = nullptr;
};

// The stored settings, as the program keeps them in the registry.
std::wstring ReadSetting(const char* key);
// Replaces the stored settings with these four values (a failure fails the current test).
bool SeedSettings(const std::wstring& resume, const std::wstring& drive, const std::wstring& folder,
                  const std::wstring& filter);

}  // namespace mirune::gui_driver
