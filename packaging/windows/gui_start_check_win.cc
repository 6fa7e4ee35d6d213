// mirune_gui_start_check.exe: starts an installed mirune-gui.exe as a user would from the
// start menu, waits for its main window, checks the caption, closes the window and waits for
// the program to end. The release's install test runs it under Wine.
//   mirune_gui_start_check.exe PROGRAM_FOLDER
// Exit 0 when the main window came and the program ended after its close; 1 otherwise, with
// the cause on standard error.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/wide_text.h"
#include "gui/form_layout.h"

namespace mirune {
namespace {

using Clock = std::chrono::steady_clock;
// The splash alone takes about three seconds and a fresh Wine prefix is slow to draw the
// first window; this bounds a hung start, it is not a pause.
constexpr auto kStartTimeout = std::chrono::seconds(90);
constexpr DWORD kExitTimeoutMs = 30000;

struct Search {
  DWORD pid;
  std::wstring class_name;
  HWND found = nullptr;
};

// A visible top-level window of `class_name` that belongs to the process `pid`.
HWND ProcessWindow(DWORD pid, const std::wstring& class_name) {
  Search search{pid, class_name};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[256] = {};
        GetClassNameW(hwnd, name, 256);
        if (owner == s->pid && s->class_name == name && IsWindowVisible(hwnd)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Fail(const std::string& cause) { std::fprintf(stderr, "%s\n", cause.c_str()); }

int Run(const std::wstring& folder) {
  const std::wstring exe = folder + L"\\mirune-gui.exe";
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  // Started in its own folder, as the start menu's shortcut starts it.
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    Fail(Narrow(exe) + " を起動できません（エラー " + std::to_string(GetLastError()) + "）");
    return 1;
  }
  const auto start = Clock::now();
  const std::wstring main_class = Wide(main_form::kMainWindowClass);
  HWND main = nullptr;
  while (!(main = ProcessWindow(process.dwProcessId, main_class))) {
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      Fail("mirune-gui.exe がメイン画面を出す前に終了しました（終了コード " + std::to_string(code) +
           "）");
      return 1;
    }
    if (Clock::now() - start > kStartTimeout) {
      Fail("mirune-gui.exe のメイン画面が 90 秒たっても現れません");
      TerminateProcess(process.hProcess, 1);
      return 1;
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  wchar_t caption[256] = {};
  InternalGetWindowText(main, caption, 256);
  std::printf("メイン画面「%s」が %.1f 秒で現れました\n", Narrow(caption).c_str(), seconds);
  int status = 0;
  if (caption != Wide(main_form::kProductTitle)) {
    Fail("メイン画面の題名が「" + std::string(main_form::kProductTitle) + "」ではありません");
    status = 1;
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
    Fail("メイン画面を閉じても mirune-gui.exe が終了しません");
    TerminateProcess(process.hProcess, 1);
    status = 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

}  // namespace
}  // namespace mirune

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "使い方: mirune_gui_start_check.exe プログラムのフォルダー\n");
    return 1;
  }
  return mirune::Run(argv[1]);
}
