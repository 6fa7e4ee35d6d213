#include "gui/desktop_detection_win.h"

#include <windows.h>

#include "base/utf.h"
#include "base/wide_text.h"

namespace mirune {
namespace {

HWND AsHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

BOOL CALLBACK AddWindowHandle(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(
      reinterpret_cast<WindowHandle>(window));
  return TRUE;  // the enumeration always goes on
}

}  // namespace

WindowHandle Win32WindowSystem::FindWindowOfClass(std::string_view class_name) {
  const std::wstring name = Wide(class_name);
  return reinterpret_cast<WindowHandle>(FindWindowW(name.c_str(), nullptr));
}

std::vector<WindowHandle> Win32WindowSystem::TopLevelWindows() {
  std::vector<WindowHandle> windows;
  EnumWindows(AddWindowHandle, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string Win32WindowSystem::ClassName(WindowHandle window) {
  // Class names are at most 256 characters.
  wchar_t name[257];
  const int length = GetClassNameW(AsHwnd(window), name, 257);
  return length > 0 ? Narrow(std::wstring_view(name, static_cast<size_t>(length))) : std::string();
}

std::string Win32WindowSystem::Title(WindowHandle window) {
  const int length = GetWindowTextLengthW(AsHwnd(window));
  if (length <= 0) return {};
  std::wstring title(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(AsHwnd(window), title.data(), length + 1);
  return copied > 0 ? Narrow(std::wstring_view(title.data(), static_cast<size_t>(copied)))
                    : std::string();
}

bool Win32WindowSystem::IsVisible(WindowHandle window) {
  return IsWindowVisible(AsHwnd(window)) != FALSE;
}

void Win32WindowSystem::Show(WindowHandle window, ShowCommand command) {
  ShowWindow(AsHwnd(window), command == ShowCommand::kHide ? SW_HIDE : SW_SHOWMAXIMIZED);
}

void Win32WindowSystem::PostClose(WindowHandle window) {
  PostMessageW(AsHwnd(window), WM_CLOSE, 0, 0);
}

}  // namespace mirune
