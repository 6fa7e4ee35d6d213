// Drives the real mirune-gui.exe from outside, as a person would: finds its windows and
// controls, clicks, chooses list entries, types into the filter box, answers message boxes
// and reads texts back. Needs a display (Xvfb under Wine); without one the tests are skipped.
// Pictures of the windows go to build/screenshots/.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/data_folder.h"
#include "app/file_pattern.h"
#include "app/form_layout.h"
#include "app/settings_registry_win.h"
#include "app/win_text_win.h"
#include "automation/com/com_types_win.h"
#include "automation/com/test_indesign_server_support_win.h"
#include "base/file.h"
#include "progress/window_test_driver_win.h"

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(30);

// The Windows spelling of a path of this machine (Wine's drive Z: is the root).
std::wstring HostPath(const std::string& unix_path) {
  std::wstring path = L"Z:" + Wide(unix_path);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring ProgramFolder() {
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
bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds timeout = kTimeout) {
  const auto end = Clock::now() + timeout;
  while (Clock::now() < end) {
    if (ready()) return true;
    Sleep(20);
  }
  return ready();
}

struct FoundWindow {
  DWORD pid;
  std::wstring class_name;
  HWND hwnd = nullptr;
};

HWND ProcessWindow(DWORD pid, const std::wstring& class_name) {
  FoundWindow found{pid, class_name};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<FoundWindow*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[256] = {};
        GetClassNameW(hwnd, name, 256);
        if (owner == f->pid && f->class_name == name && IsWindowVisible(hwnd)) {
          f->hwnd = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.hwnd;
}

// A control's rectangle in its parent's client area.
PixelRect ChildRect(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The window's pixels as they are on the screen (RGB rows); empty when it has none.
std::vector<uint8_t> CaptureWindow(HWND hwnd, int* width_out, int* height_out) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  const auto* bgra = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  *width_out = width;
  *height_out = height;
  return rgb;
}

// Saves the window as it is on the screen, once the display shows it (X maps a window a
// little after Windows shows it: the picture is taken when it is no longer all black and
// two looks agree).
void Screenshot(HWND hwnd, const std::string& name) {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> previous;
  WaitFor(
      [&] {
        previous.swap(rgb);
        rgb = CaptureWindow(hwnd, &width, &height);
        // Painted: not all black, and the same as the look before.
        return rgb == previous &&
               std::any_of(rgb.begin(), rgb.end(), [](uint8_t v) { return v > 0x20; });
      },
      std::chrono::seconds(5));
  if (rgb.empty()) return;
  (void)CreateFolders(testing::ScreenshotFolder());
  (void)WriteFileAtomic(testing::ScreenshotFolder() + "/" + name + ".png",
                        testing::EncodePng(width, height, rgb));
}

struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
};

class GuiProgram {
 public:
  GuiProgram() {
    const std::wstring exe = ProgramFolder() + L"\\mirune-gui.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command = L"\"" + exe + L"\"";
    start_ = Clock::now();
    started_ = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              ProgramFolder().c_str(), &startup, &process_);
  }
  ~GuiProgram() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 9);
      WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  bool started() const { return started_; }
  DWORD pid() const { return process_.dwProcessId; }

  HWND WaitWindow(std::string_view class_name) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = ProcessWindow(pid(), Wide(class_name))) != nullptr; });
    return hwnd;
  }
  // The main window, shown and ready (its file list filled); the seconds since the start.
  HWND WaitMain(double* seconds = nullptr) {
    HWND hwnd = WaitWindow(kMainWindowClass);
    if (seconds) *seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    main_ = hwnd;
    return hwnd;
  }
  HWND control(int id) const { return GetDlgItem(main_, id); }

  // The next message box of the program: title and text; answered with `answer`. A picture
  // of it is saved under `picture` when given.
  MessageBoxSeen Answer(int answer, const std::string& picture = "") {
    MessageBoxSeen seen;
    WaitFor([&] { return (seen.hwnd = ProcessWindow(pid(), L"#32770")) != nullptr; });
    if (!seen.hwnd) return seen;
    seen.title = Text(seen.hwnd);
    seen.text = Text(GetDlgItem(seen.hwnd, 0xFFFF));
    if (!picture.empty()) Screenshot(seen.hwnd, picture);
    PostMessageW(seen.hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    WaitFor([&] { return !IsWindow(seen.hwnd) || !IsWindowVisible(seen.hwnd); });
    return seen;
  }

  void Click(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }

  // Closes with the button "終了"; true when the process has ended.
  bool Quit() {
    Click(kIdCommand3);
    return WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  Clock::time_point start_;
  HWND main_ = nullptr;
};

std::wstring ReadSetting(const char* key) {
  RegistrySettingsStore store;
  auto value = store.Get(key);
  return value.ok() ? Wide(*value) : L"<error>";
}

void SeedSettings(const std::wstring& resume, const std::wstring& drive, const std::wstring& folder,
                  const std::wstring& filter) {
  RegDeleteTreeW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str());
  RegistrySettingsStore store;
  ASSERT_TRUE(store.Set(kKeyResumeFolder, Narrow(resume)).ok());
  ASSERT_TRUE(store.Set(kKeyDriveName, Narrow(drive)).ok());
  ASSERT_TRUE(store.Set(kKeyDirName, Narrow(folder)).ok());
  ASSERT_TRUE(store.Set(kKeyFileItem, Narrow(filter)).ok());
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

// Set when the program showed no window at all: the later tests fail at once instead of
// waiting for windows that cannot come.
bool g_no_windows = false;

class GuiProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t display[256] = {};
    if (GetEnvironmentVariableW(L"DISPLAY", display, 256) == 0) {
      GTEST_SKIP() << "no display (run under xvfb-run)";
    }
    if (g_no_windows) {
      GTEST_FAIL() << "mirune-gui.exe showed no window in an earlier test";
    }
  }
  void TearDown() override {
    if (HasFatalFailure() && !saw_window_) {
      g_no_windows = true;
      ADD_FAILURE() << "mirune-gui.exe showed no window. A Wine session started without a "
                       "display keeps its desktop without one: run `wineserver -k`, then the "
                       "tests under xvfb-run (scripts/test.sh does).";
    }
  }
  // The tests note that the program showed its main window.
  void SawWindow(HWND hwnd) { saw_window_ = saw_window_ || hwnd != nullptr; }

 private:
  bool saw_window_ = false;
};

TEST_F(GuiProgramTest, FirstRunLayoutCaptionsAndSettings) {
  RegDeleteTreeW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str());
  GuiProgram gui;
  ASSERT_TRUE(gui.started());
  HWND splash = gui.WaitWindow(kSplashWindowClass);
  SawWindow(splash);
  ASSERT_NE(splash, nullptr) << "no splash";
  EXPECT_EQ(StoredText(splash), Wide(kProductTitle));
  for (const ControlLayout& control_layout : SplashWindowControls()) {
    if (control_layout.id != kIdSplashImage1) {
      EXPECT_EQ(StoredText(GetDlgItem(splash, control_layout.id)), Wide(control_layout.caption))
          << control_layout.name;
    }
  }
  Screenshot(splash, "form5_splash");
  double seconds = 0;
  HWND main = gui.WaitMain(&seconds);
  ASSERT_NE(main, nullptr);
  std::printf("main window shown %.2f s after the start (splash included)\n", seconds);
  EXPECT_GE(seconds, 2.5);
  EXPECT_FALSE(IsWindowVisible(splash) && IsWindow(splash));

  EXPECT_EQ(Text(main), Wide(kProductTitle));
  const int dpi = 96;
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, TwipsToPixels(kMainClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kMainClientHeightTwips, dpi));
  for (const ControlLayout& control_layout : MainWindowControls()) {
    HWND control = gui.control(control_layout.id);
    ASSERT_NE(control, nullptr) << control_layout.name;
    EXPECT_EQ(ChildRect(control), TwipsToPixels(control_layout.rect, dpi)) << control_layout.name;
    if (!control_layout.caption.empty() && control_layout.kind != ControlKind::kFilterBox) {
      EXPECT_EQ(Text(control), Wide(control_layout.caption)) << control_layout.name;
    }
  }
  // The first run wrote the defaults and restored them.
  EXPECT_EQ(ReadSetting("ResumeFolder"), L"1");
  EXPECT_EQ(ReadSetting("DriveName"), L"C:");
  EXPECT_EQ(ReadSetting("DirName"), L"C:\\");
  EXPECT_EQ(ReadSetting("File_Item"), L"*.indd");
  EXPECT_EQ(Text(gui.control(kIdDrive1)).substr(0, 2), L"c:");
  EXPECT_EQ(FolderListPath(gui.control(kIdDir1)), L"c:\\");
  EXPECT_EQ(Text(gui.control(kIdCombo1)), L"*.indd");
  EXPECT_TRUE(Checked(gui.control(kIdCheck1)));
  // The four filter items.
  HWND combo = gui.control(kIdCombo1);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
  const std::string_view items[] = {kFilterItemIndd, kFilterItemIndb, kFilterItemAll,
                                    kFilterItemIdml};
  for (int i = 0; i < 4; ++i) {
    wchar_t buffer[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(std::wstring(buffer), Wide(items[i]));
  }
  Screenshot(main, "form1_main");

  ASSERT_TRUE(gui.Quit());
  // Box ticked at the close: the selection is kept.
  EXPECT_EQ(ReadSetting("ResumeFolder"), L"1");
  EXPECT_EQ(ReadSetting("DriveName"), L"c:");
  EXPECT_EQ(ReadSetting("DirName"), L"C:\\");
  EXPECT_EQ(ReadSetting("File_Item"), L"*.indd");
}

TEST_F(GuiProgramTest, BoxClearedAtTheCloseForgetsTheFolder) {
  const std::wstring samples = HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples");
  SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml));
  {
    GuiProgram gui;
    HWND shown = gui.WaitMain();
    SawWindow(shown);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(Checked(gui.control(kIdCheck1)));
    EXPECT_EQ(FolderListPath(gui.control(kIdDir1)), L"samples");
    gui.Click(kIdCheck1);
    ASSERT_TRUE(WaitFor([&] { return !Checked(gui.control(kIdCheck1)); }));
    ASSERT_TRUE(gui.Quit());
  }
  EXPECT_EQ(ReadSetting("ResumeFolder"), L"0");
  EXPECT_EQ(ReadSetting("DriveName"), L"C:");
  EXPECT_EQ(ReadSetting("DirName"), L"C:\\");
  EXPECT_EQ(ReadSetting("File_Item"), L"*.indd");
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(Checked(gui.control(kIdCheck1)));
  EXPECT_EQ(FolderListPath(gui.control(kIdDir1)), L"c:\\");
  EXPECT_EQ(Text(gui.control(kIdCombo1)), Wide(kFilterItemIndd));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, StoredFolderDeletedFallsBackToCWithTheBoxTicked) {
  SeedSettings(L"1", L"C:", L"C:\\mirune-folder-that-was-deleted", Wide(kFilterItemIdml));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(FolderListPath(gui.control(kIdDir1)), L"c:\\");
  EXPECT_TRUE(Checked(gui.control(kIdCheck1)));
  // The restore went on with the stored filter after the fallback.
  EXPECT_EQ(Text(gui.control(kIdCombo1)), Wide(kFilterItemIdml));
  ASSERT_TRUE(gui.Quit());
}

// A folder of test files in the prefix's temporary folder.
std::wstring MakeFileFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"mirune-gui-files";
  const std::string narrow = Narrow(folder);
  (void)CreateFolders(narrow + "\\本\\空");
  for (const char* name : {"a.indd", "b.txt", "c.TXT", "d.idml", "本\\章1.idml", "e.INDD"}) {
    (void)WriteFileAtomic(narrow + "\\" + name, "x");
  }
  return folder;
}

TEST_F(GuiProgramTest, FilterBoxAndFileList) {
  const std::wstring folder = MakeFileFolder();
  SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  HWND files = gui.control(kIdFile1);
  EXPECT_EQ(ListItems(files), (std::vector<std::wstring>{L"a.indd", L"e.INDD"}));
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), 0);

  // A pattern typed by the user lists its files at once.
  HWND edit = FindWindowExW(gui.control(kIdCombo1), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (wchar_t c : std::wstring(L"*.txt")) PostMessageW(edit, WM_CHAR, c, 0);
  EXPECT_TRUE(WaitFor([&] {
    return ListItems(files) == std::vector<std::wstring>{L"b.txt", L"c.TXT"};
  })) << Narrow(Text(gui.control(kIdCombo1)));

  // The IDML item: the folder of chapters is offered as a book first.
  HWND combo = gui.control(kIdCombo1);
  SendMessageW(combo, CB_SETCURSEL, 3, 0);
  PostMessageW(gui.WaitMain(), WM_COMMAND, MAKEWPARAM(kIdCombo1, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_TRUE(WaitFor([&] {
    return ListItems(files) == std::vector<std::wstring>{L"本\\", L"d.idml"};
  }));
  Screenshot(gui.WaitMain(), "form1_idml_filter");

  // Into the folder "本", then its empty sub-folder: no file, no selection, no message.
  HWND folders = gui.control(kIdDir1);
  auto open = [&](const std::wstring& name) {
    const std::vector<std::wstring> items = ListItems(folders);
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].substr(items[i].find_first_not_of(L' ')) == name) {
        SendMessageW(folders, LB_SETCURSEL, i, 0);
        PostMessageW(gui.WaitMain(), WM_COMMAND, MAKEWPARAM(kIdDir1, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(folders));
        return WaitFor([&] { return FolderListPath(folders) == name; });
      }
    }
    return false;
  };
  ASSERT_TRUE(open(L"本"));
  EXPECT_TRUE(WaitFor([&] { return ListItems(files) == std::vector<std::wstring>{L"章1.idml"}; }));
  ASSERT_TRUE(open(L"空"));
  EXPECT_TRUE(WaitFor([&] { return ListItems(files).empty(); }));
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(ProcessWindow(gui.pid(), L"#32770"), nullptr);

  // 実行 without a file: the refusal of the file check.
  gui.Click(kIdCommand1);
  MessageBoxSeen seen = gui.Answer(IDOK);
  EXPECT_EQ(seen.title, L"確認");
  EXPECT_EQ(seen.text, Wide("InDesign文書を選択して下さい　"));
  ASSERT_TRUE(gui.Quit());
}

// A drive a: whose root cannot be read, as a drive without a medium: a DOS device name
// pointing nowhere, removed again at the end of the test.
class DriveWithoutMedium {
 public:
  DriveWithoutMedium() {
    defined_ = DefineDosDeviceW(0, L"A:", L"Z:\\mirune-no-medium-in-this-drive") != 0;
  }
  ~DriveWithoutMedium() {
    if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"A:", nullptr);
  }
  bool defined() const { return defined_; }

 private:
  bool defined_ = false;
};

TEST_F(GuiProgramTest, DriveWithoutMediumAsksRetryOrCancel) {
  if (GetLogicalDrives() & 1) GTEST_SKIP() << "this machine has a drive a:";
  DriveWithoutMedium drive;
  ASSERT_TRUE(drive.defined());
  SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd));
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND drives = gui.control(kIdDrive1);
  LRESULT drive_a = -1;
  for (LRESULT i = 0; i < SendMessageW(drives, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t entry[256] = {};
    SendMessageW(drives, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    if (entry[0] == L'a' && entry[1] == L':') drive_a = i;
  }
  ASSERT_GE(drive_a, 0) << "drive a: is not listed";

  // Retry asks again, Cancel goes back to c:\.
  SendMessageW(drives, CB_SETCURSEL, drive_a, 0);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdDrive1, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  const std::wstring text = Wide("a: ドライブにディスク又はメディアをセットして下さい");
  MessageBoxSeen first = gui.Answer(IDRETRY, "missing_medium");
  EXPECT_EQ(first.title, Wide("エラー"));
  EXPECT_EQ(first.text, text);
  MessageBoxSeen second = gui.Answer(IDCANCEL);
  EXPECT_EQ(second.title, Wide("エラー"));
  EXPECT_EQ(second.text, text);
  EXPECT_TRUE(WaitFor([&] {
    return Text(drives).rfind(L"c:", 0) == 0 && FolderListPath(gui.control(kIdDir1)) == L"c:\\";
  }));
  EXPECT_EQ(ProcessWindow(gui.pid(), L"#32770"), nullptr);
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, InDesignDocumentGetsTheRecoveryMessageWithItsCause) {
  const std::wstring folder = MakeFileFolder();
  SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  gui.Click(kIdCommand1);
  MessageBoxSeen seen = gui.Answer(IDOK);
  EXPECT_EQ(seen.title, L"確認");
  EXPECT_EQ(seen.text.rfind(Wide("処理を開始または続行することができませんでした。"), 0), 0u)
      << Narrow(seen.text);
  EXPECT_NE(seen.text.find(L"詳細: "), std::wstring::npos);
  EXPECT_NE(seen.text.find(L"a.indd"), std::wstring::npos);
  // The window stays usable.
  EXPECT_TRUE(IsWindowEnabled(gui.control(kIdFile1)));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, SampleBookFromTheMainWindowGivesTheCommandLinesResult) {
  const std::wstring samples = HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples");
  SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml));
  const std::string results = Narrow(ProgramFolder()) + "\\RazozaData\\Razoza.txt";
  DeleteFileW(Wide(results).c_str());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND files = gui.control(kIdFile1);
  ASSERT_FALSE(ListItems(files).empty());
  EXPECT_EQ(ListItems(files)[0], L"book\\");
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), 0);

  gui.Click(kIdCommand1);
  MessageBoxSeen start = gui.Answer(IDOK);
  EXPECT_EQ(start.title, Wide("ミルネ Ver1.0"));

  // During the job: the abort window; every guarded handler and the close box do nothing.
  HWND abort_window = gui.WaitWindow("MiruneAbortForm6");
  ASSERT_NE(abort_window, nullptr);
  Screenshot(abort_window, "form6_abort");
  EXPECT_FALSE(IsWindowEnabled(gui.control(kIdFile1)));
  gui.Click(kIdCommand3);
  PostMessageW(main, WM_CLOSE, 0, 0);
  PostMessageW(abort_window, WM_CLOSE, 0, 0);
  HWND progress = gui.WaitWindow("MiruneProgressForm2");
  // The picture once Form6 has given way to Form2 (both stand at the same place).
  WaitFor([&] { return progress && IsWindowVisible(progress) && !IsWindowVisible(abort_window); });
  if (progress) Screenshot(progress, "form2_progress");

  // The end: the completion (and any notes) answered until the controls are back.
  MessageBoxSeen done;
  std::vector<std::wstring> titles;
  while (!IsWindowEnabled(gui.control(kIdFile1))) {
    MessageBoxSeen seen = gui.Answer(IDOK);
    if (!seen.hwnd) break;
    titles.push_back(seen.title);
    if (seen.title == Wide("ミルネ Ver1.0")) done = seen;
  }
  EXPECT_NE(done.text.find(Wide("索引抽出処理が終了しました")), std::wstring::npos)
      << Narrow(done.text);
  EXPECT_TRUE(IsWindow(main)) << "the close during the job was not refused";
  auto produced = ReadFileBytes(results);
  ASSERT_TRUE(produced.ok()) << produced.message();
  auto golden = ReadFileBytes(Narrow(
      HostPath(std::string(MIRUNE_SOURCE_DIR) + "/tests/data/extraction/sample_book_Razoza.txt")));
  ASSERT_TRUE(golden.ok()) << golden.message();
  EXPECT_EQ(*produced, *golden);
  ASSERT_TRUE(gui.Quit());
}

// The abort through Form6: 処理中止, the question answered Yes, and the job ends without a
// completion; the previous results stay as they were and the window is usable again.
TEST_F(GuiProgramTest, AbortThroughTheAbortWindowKeepsThePreviousResults) {
  const std::wstring samples = HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples");
  SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml));
  const std::string results = Narrow(ProgramFolder()) + "\\RazozaData\\Razoza.txt";
  CreateDirectoryW(Wide(Narrow(ProgramFolder()) + "\\RazozaData").c_str(), nullptr);
  const std::string previous = "前回の結果\t\t1\r\n";
  ASSERT_TRUE(WriteFileAtomic(results, previous).ok());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  ASSERT_NE(main, nullptr);
  gui.Click(kIdCommand1);
  MessageBoxSeen start = gui.Answer(IDOK);
  EXPECT_EQ(start.title, Wide("ミルネ Ver1.0"));

  HWND abort_window = gui.WaitWindow("MiruneAbortForm6");
  ASSERT_NE(abort_window, nullptr);
  HWND button = FindWindowExW(abort_window, nullptr, L"Button", Wide("処理中止").c_str());
  ASSERT_NE(button, nullptr);
  PostMessageW(button, BM_CLICK, 0, 0);
  MessageBoxSeen question = gui.Answer(IDYES, "form6_abort_question");
  EXPECT_EQ(question.title, L"確認");
  EXPECT_EQ(question.text, Wide("処理を中止しますか？"));

  // No completion: any box that comes is answered, and none is the completion.
  std::vector<std::wstring> texts;
  while (!IsWindowEnabled(gui.control(kIdFile1))) {
    MessageBoxSeen seen = gui.Answer(IDOK);
    if (!seen.hwnd) break;
    texts.push_back(seen.text);
  }
  for (const std::wstring& text : texts) {
    EXPECT_EQ(text.find(Wide("索引抽出処理が終了しました")), std::wstring::npos) << Narrow(text);
  }
  EXPECT_TRUE(IsWindowEnabled(gui.control(kIdFile1)));
  auto after = ReadFileBytes(results);
  ASSERT_TRUE(after.ok()) << after.message();
  EXPECT_EQ(*after, previous);
  ASSERT_TRUE(gui.Quit());
}

// Runs the extraction of the one file that `folder` lists under `filter` from the main window,
// answering every message box until the controls are back; Razoza.txt (or the error).
Result<std::string> ExtractFromMainWindow(const std::wstring& folder, std::string_view filter,
                                          std::wstring* completion) {
  SeedSettings(L"1", folder.substr(0, 2), folder, Wide(filter));
  const std::string results = Narrow(ProgramFolder()) + "\\RazozaData\\Razoza.txt";
  DeleteFileW(Wide(results).c_str());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  if (main == nullptr) return Error{ErrorCode::kInternal, "no main window"};
  gui.Click(kIdCommand1);
  gui.Answer(IDOK);  // the start
  gui.WaitWindow("MiruneAbortForm6");
  while (!IsWindowEnabled(gui.control(kIdFile1))) {
    MessageBoxSeen seen = gui.Answer(IDOK);
    if (!seen.hwnd) break;
    if (seen.title == Wide("ミルネ Ver1.0")) *completion = seen.text;
  }
  // The notes after the job, when there are any.
  for (int i = 0; i < 20 && ProcessWindow(gui.pid(), L"#32770") == nullptr; ++i) Sleep(100);
  if (ProcessWindow(gui.pid(), L"#32770") != nullptr) gui.Answer(IDOK);
  gui.Quit();
  return ReadFileBytes(results);
}

// An .indd goes to the InDesign of the computer through COM (here test-indesign-server, which
// reads an IDML package given an InDesign document's name) and gives what the embedded engine
// gives for the same package.
TEST_F(GuiProgramTest, InDesignDocumentGoesThroughTheInDesignOfTheComputer) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring indd_folder = std::wstring(temp) + L"mirune-gui-indd";
  const std::wstring idml_folder = std::wstring(temp) + L"mirune-gui-idml";
  const std::string package = ReadFileBytes(Narrow(HostPath(std::string(MIRUNE_SOURCE_DIR) +
                                                            "/samples/book/chapter1.idml")))
                                  .value();
  (void)CreateFolders(Narrow(indd_folder));
  (void)CreateFolders(Narrow(idml_folder));
  ASSERT_TRUE(WriteFileAtomic(Narrow(indd_folder) + "\\chapter1.indd", package).ok());
  ASSERT_TRUE(WriteFileAtomic(Narrow(idml_folder) + "\\chapter1.idml", package).ok());

  ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer"), 0u);
  SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
  std::wstring com_completion;
  Result<std::string> through_com =
      ExtractFromMainWindow(indd_folder, kFilterItemIndd, &com_completion);
  SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", nullptr);
  {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
  }
  com::testing::RunTestInDesignServer(L"/UnregServer");
  std::wstring engine_completion;
  Result<std::string> on_engine =
      ExtractFromMainWindow(idml_folder, kFilterItemIdml, &engine_completion);

  ASSERT_TRUE(through_com.ok()) << through_com.message() << Narrow(com_completion);
  ASSERT_TRUE(on_engine.ok()) << on_engine.message();
  EXPECT_NE(com_completion.find(Wide("索引抽出処理が終了しました")), std::wstring::npos)
      << Narrow(com_completion);
  EXPECT_FALSE(through_com->empty());
  EXPECT_EQ(*through_com, *on_engine);
}

}  // namespace
}  // namespace mirune
