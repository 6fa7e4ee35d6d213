#include "gui/testing/gui_program_driver_win.h"

#include <algorithm>
#include <cstdio>

#include <commctrl.h>

#include "app/data_folder.h"
#include "base/file.h"
#include "base/wide_text.h"
#include "gui/help_layout.h"
#include "gui/settings_registry_win.h"
#include "gui/stored_settings.h"
#include "gui/testing/window_test_driver_win.h"

namespace mirune::gui_driver {
namespace {}  // namespace

// The Windows spelling of a path of this machine (Wine's drive Z: is the root).
std::wstring HostPath(const std::string& unix_path) {
  std::wstring path = L"Z:" + Wide(unix_path);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring ProgramFolderWide() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// A window's text as the system keeps it, without a message: the splash processes none.
std::wstring StoredText(HWND hwnd) {
  wchar_t buffer[4096] = {};
  InternalGetWindowText(hwnd, buffer, 4096);
  return buffer;
}

std::wstring Text(HWND hwnd) {
  wchar_t buffer[4096] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return buffer;
}

std::vector<std::wstring> ListItems(HWND list) {
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t buffer[1024] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
    items.push_back(buffer);
  }
  return items;
}

// Waits for `ready` (polling); false after the timeout.
bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (Clock::now() < end) {
    if (ready()) return true;
    Sleep(20);
  }
  return ready();
}

namespace {

// The top-level windows of process `pid`, the hidden ones too unless `visible_only`.
std::vector<HWND> TopLevelWindowsOf(DWORD pid, bool visible_only) {
  struct Found {
    DWORD pid;
    bool visible_only;
    std::vector<HWND> windows;
  } found{pid, visible_only, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Found*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == f->pid && (!f->visible_only || IsWindowVisible(hwnd))) {
          f->windows.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

}  // namespace

HWND ProcessWindow(DWORD pid, const std::wstring& class_name) {
  for (HWND hwnd : TopLevelWindowsOf(pid, true)) {
    if (ClassName(hwnd) == class_name) return hwnd;
  }
  return nullptr;
}

std::vector<HWND> ProcessWindows(DWORD pid) { return TopLevelWindowsOf(pid, true); }

std::wstring ToolTipText(DWORD pid, HWND owner, HWND tool) {
  HWND tip = nullptr;
  for (HWND hwnd : TopLevelWindowsOf(pid, false)) {
    if (_wcsicmp(ClassName(hwnd).c_str(), L"tooltips_class32") != 0) continue;
    tip = hwnd;
    break;
  }
  if (tip == nullptr) return L"<no tool tip>";
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return L"<process not opened>";
  constexpr size_t kChars = 1024;
  const size_t bytes = sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<uint8_t*>(
      VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::wstring text = L"<not read>";
  if (remote != nullptr) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
    std::vector<wchar_t> buffer(kChars, L'\0');
    if (WriteProcessMemory(process, remote, &info, sizeof(info), nullptr) &&
        WriteProcessMemory(process, remote + sizeof(info), buffer.data(), kChars * 2, nullptr)) {
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(tip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote),
                          SMTO_ABORTIFHUNG, 5000, &answer);
      if (ReadProcessMemory(process, remote + sizeof(info), buffer.data(), kChars * 2, nullptr)) {
        buffer.back() = L'\0';
        text = buffer.data();
      }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

// A control's rectangle in its parent's client area.
main_form::PixelRect ChildRect(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

GuiProgram::GuiProgram() {
  const std::wstring exe = ProgramFolderWide() + L"\\mirune-gui.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring command = L"\"" + exe + L"\"";
  start_ = Clock::now();
  started_ = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            ProgramFolderWide().c_str(), &startup, &process_);
}

GuiProgram::~GuiProgram() {
  if (!started_) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

HWND GuiProgram::WaitWindow(std::string_view class_name) {
  HWND hwnd = nullptr;
  WaitFor([&] { return (hwnd = ProcessWindow(pid(), Wide(class_name))) != nullptr; });
  return hwnd;
}

HWND GuiProgram::WaitMain(double* seconds) {
  HWND hwnd = WaitWindow(main_form::kMainWindowClass);
  if (seconds) *seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  main_ = hwnd;
  return hwnd;
}

MessageBoxSeen GuiProgram::Answer(int answer, const std::string& picture) {
  MessageBoxSeen seen;
  WaitFor([&] { return (seen.hwnd = ProcessWindow(pid(), L"#32770")) != nullptr; });
  if (!seen.hwnd) return seen;
  seen.title = Text(seen.hwnd);
  seen.text = Text(GetDlgItem(seen.hwnd, 0xFFFF));
  for (HWND other : ProcessWindows(pid())) {
    if (other == seen.hwnd || !IsWindowEnabled(other)) continue;
    wchar_t name[256] = {};
    GetClassNameW(other, name, 256);
    seen.others_enabled.push_back(name);
  }
  if (!picture.empty()) Screenshot(seen.hwnd, picture);
  PostMessageW(seen.hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  WaitFor([&] { return !IsWindow(seen.hwnd) || !IsWindowVisible(seen.hwnd); });
  return seen;
}

HWND GuiProgram::OpenUtility() {
  Click(main_form::kIdUtilityButton);
  HWND utility = nullptr;
  WaitFor([&] {
    utility = ProcessWindow(pid(), Wide(help_form::kUtilityWindowClass));
    return utility != nullptr;
  });
  return utility;
}

bool GuiProgram::Quit() {
  Click(main_form::kIdQuitButton);
  return WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0;
}

std::wstring ReadSetting(const char* key) {
  RegistrySettingsStore store;
  auto value = store.Get(key);
  return value.ok() ? Wide(*value) : L"<error>";
}

bool SeedSettings(const std::wstring& resume, const std::wstring& drive, const std::wstring& folder,
                  const std::wstring& filter) {
  RegDeleteTreeW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str());
  RegistrySettingsStore store;
  return store.Set(kKeyResumeFolder, Narrow(resume)).ok() &&
         store.Set(kKeyDriveName, Narrow(drive)).ok() &&
         store.Set(kKeyDirName, Narrow(folder)).ok() &&
         store.Set(kKeyFileItem, Narrow(filter)).ok();
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::wstring FolderListPath(HWND list) {
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index < 0) return {};
  wchar_t buffer[1024] = {};
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
  std::wstring text = buffer;
  return text.substr(text.find_first_not_of(L' '));
}

}  // namespace mirune::gui_driver
