#pragma once

// Driving real windows in tests, as a person would, from a thread other than the windows'
// own: waiting for windows and states (never for fixed times), reading texts and control
// rectangles, answering message boxes, ordering behind the messages a window thread has
// queued, and saving a window's picture as a PNG file. Windows build only; test code.

#ifdef _WIN32

#include <windows.h>
// winbase.h still defines the 16-bit Yield() as a macro; ProgressView has a member of that name.
#undef Yield

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "base/result.h"

namespace mirune::testing {

// Polls `condition` until it holds or `timeout_ms` pass; true when it held.
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = 20000);

// On a window thread: dispatches messages, waiting for the next one, until `done` holds.
void PumpUntil(const std::function<bool()>& done);

// A top-level window of `class_name` and `title` (either may be null), once it exists.
HWND WaitForWindow(const wchar_t* class_name, const wchar_t* title, int timeout_ms = 20000);

// A message box (dialog class "#32770") with `title`, once it is shown; null after the
// timeout.
HWND WaitForMessageBox(const wchar_t* title, int timeout_ms = 20000);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);

// A window's text (WM_GETTEXT, answered by the window's thread).
std::wstring WindowText(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);

// A marker window on the window thread: the driver posts behind whatever that thread has
// queued and waits until the marker is handled, so everything posted before has been too.
class QueueMarker {
 public:
  // Call on the window thread.
  QueueMarker();
  ~QueueMarker();
  // Call from the driver: posts a marker and waits for it; false after the timeout.
  bool Drain(int timeout_ms = 20000);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  HWND hwnd_ = nullptr;
  std::atomic<long> handled_{0};
  long posted_ = 0;
};

// The window's pixels as the screen shows them (RGB rows); empty when it has none.
std::vector<uint8_t> CaptureWindow(HWND hwnd, int* width_out, int* height_out);
// The pixels of a rectangle of the screen.
std::vector<uint8_t> CaptureScreen(const RECT& rect, int* width_out, int* height_out);
// Saves the window as the screen shows it under build/screenshots/NAME.png, once the display
// shows it (X maps a window a little after Windows shows it: the picture is taken when it is
// no longer mostly black and two looks agree). `in_front`, when given, must hold before and
// after each look: a window that another of the program's windows may cover for a while
// (Form2 under the next document's Form6) is taken only while nothing covers it.
// `black_allowed`: the share of pure black pixels a painted window may hold (text and borders
// stay below a fifth, about 14 % at most in a window full of text; a window with a dark
// picture says how much it holds). Returns whether the window was seen painted and its picture
// written; a window not seen painted within 15 seconds gets no picture, and the current test fails
// naming the picture.
bool Screenshot(HWND hwnd, const std::string& name, const std::function<bool()>& in_front = {},
                double black_allowed = 0.2);
// The same for the rectangle that holds all of `windows` (two windows side by side).
bool ScreenshotTogether(const std::vector<HWND>& windows, const std::string& name,
                        const std::function<bool()>& in_front = {}, double black_allowed = 0.2);

// The folder of the pictures: build/screenshots beside the build folder of this build.
std::string ScreenshotFolder();

// A PNG of `height` rows of `width` 8-bit RGB pixels (deflate in stored blocks: the pictures
// are for people, not size).
std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace mirune::testing

#endif  // _WIN32
