// Drives the real mirune-gui.exe from outside, as a person would: finds its windows and
// controls, clicks, chooses list entries, types into the filter box, answers message boxes
// and reads texts back. Needs a display (Xvfb under Wine); without one the tests are skipped.
// Pictures of the windows go to build/screenshots/.

#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/data_folder.h"
#include "automation/com/com_types_win.h"
#include "automation/com/excel_client_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/testing/server_process_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "base/file.h"
#include "base/wide_text.h"
#include "gui/file_pattern.h"
#include "gui/form_layout.h"
#include "gui/forms/window_metrics_win.h"
#include "gui/help_layout.h"
#include "gui/help_texts.h"
#include "gui/keyword_marking_form_layout.h"
#include "gui/progress_layout.h"
#include "gui/settings_registry_win.h"
#include "gui/testing/gui_program_driver_win.h"
#include "gui/testing/window_test_driver_win.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

namespace mirune {

using namespace main_form;   // NOLINT: this window's own layout table
using namespace gui_driver;  // NOLINT: the driver of the program under test
namespace {

// The window classes of a list, in one line ("" for none).
std::string ClassNames(const std::vector<std::wstring>& classes) {
  std::string out;
  for (const std::wstring& name : classes) out += (out.empty() ? "" : ", ") + Narrow(name);
  return out;
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
    if (control_layout.id != kIdSplashIcon) {
      EXPECT_EQ(StoredText(GetDlgItem(splash, control_layout.id)), Wide(control_layout.caption))
          << control_layout.name;
    }
  }
  // The splash's icon is mostly black: about 13 % of the painted window.
  EXPECT_TRUE(Screenshot(splash, "form5_splash", {}, 0.25)) << "Form5 was not seen painted";
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
    EXPECT_EQ(gui_driver::ChildRect(control), TwipsToPixels(control_layout.rect, dpi))
        << control_layout.name;
    if (!control_layout.caption.empty() && control_layout.kind != ControlKind::kFilterBox) {
      EXPECT_EQ(Text(control), Wide(control_layout.caption)) << control_layout.name;
    }
  }
  // The first run wrote the defaults and restored them. No InDesign is registered here: the
  // first filter is the IDML item, so that the list shows what can be extracted.
  EXPECT_EQ(ReadSetting("ResumeFolder"), L"1");
  EXPECT_EQ(ReadSetting("DriveName"), L"C:");
  EXPECT_EQ(ReadSetting("DirName"), L"C:\\");
  EXPECT_EQ(ReadSetting("File_Item"), Wide(kFilterItemIdml));
  EXPECT_EQ(Text(gui.control(kIdDriveList)).substr(0, 2), L"c:");
  EXPECT_EQ(FolderListPath(gui.control(kIdFolderList)), L"c:\\");
  EXPECT_EQ(Text(gui.control(kIdFilterBox)), Wide(kFilterItemIdml));
  EXPECT_TRUE(Checked(gui.control(kIdKeepFolderBox)));
  // The four filter items.
  HWND combo = gui.control(kIdFilterBox);
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
  EXPECT_EQ(ReadSetting("File_Item"), Wide(kFilterItemIdml));
}

// The display's dpi as Wine takes it for a program that starts (the user's setting),
// restored at the end of the test.
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof(previous_);
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
    set_ = RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof(dpi)) == ERROR_SUCCESS;
  }
  ~SystemDpi() {
    if (had_) {
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_),
                     sizeof(previous_));
    } else {
      RegDeleteValueW(key_, L"LogPixels");
    }
    RegCloseKey(key_);
  }
  bool set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 96;
  bool had_ = false;
  bool set_ = false;
};

// At 144 dpi every rectangle of the twips table scales by 144 / 1440 per twip.
TEST_F(GuiProgramTest, MainWindowLayoutAt144Dpi) {
  SystemDpi dpi_setting(144);
  ASSERT_TRUE(dpi_setting.set());
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  const int dpi = 144;
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, TwipsToPixels(kMainClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kMainClientHeightTwips, dpi));
  for (const ControlLayout& control_layout : MainWindowControls()) {
    HWND control = gui.control(control_layout.id);
    ASSERT_NE(control, nullptr) << control_layout.name;
    EXPECT_EQ(gui_driver::ChildRect(control), TwipsToPixels(control_layout.rect, dpi))
        << control_layout.name;
  }
  Screenshot(main, "form1_main_144dpi");
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, BoxClearedAtTheCloseForgetsTheFolder) {
  const std::wstring samples = HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples");
  ASSERT_TRUE(SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml)));
  {
    GuiProgram gui;
    HWND shown = gui.WaitMain();
    SawWindow(shown);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(Checked(gui.control(kIdKeepFolderBox)));
    EXPECT_EQ(FolderListPath(gui.control(kIdFolderList)), L"samples");
    gui.Click(kIdKeepFolderBox);
    ASSERT_TRUE(WaitFor([&] { return !Checked(gui.control(kIdKeepFolderBox)); }));
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
  EXPECT_FALSE(Checked(gui.control(kIdKeepFolderBox)));
  EXPECT_EQ(FolderListPath(gui.control(kIdFolderList)), L"c:\\");
  EXPECT_EQ(Text(gui.control(kIdFilterBox)), Wide(kFilterItemIndd));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, StoredFolderDeletedFallsBackToCWithTheBoxTicked) {
  ASSERT_TRUE(
      SeedSettings(L"1", L"C:", L"C:\\mirune-folder-that-was-deleted", Wide(kFilterItemIdml)));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(FolderListPath(gui.control(kIdFolderList)), L"c:\\");
  EXPECT_TRUE(Checked(gui.control(kIdKeepFolderBox)));
  // The restore went on with the stored filter after the fallback.
  EXPECT_EQ(Text(gui.control(kIdFilterBox)), Wide(kFilterItemIdml));
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

// A folder whose path passes the 260 characters of the plain file API is listed like any
// other: its sub-folders, its files, and the folder itself in the folder list.
TEST_F(GuiProgramTest, FolderPastTheOldPathLimitIsListed) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"mirune-long";
  while (folder.size() < 300) folder += L"\\長いフォルダ名の階層" + std::to_wstring(folder.size());
  ASSERT_TRUE(CreateFolders(Narrow(folder + L"\\下")).ok());
  ASSERT_TRUE(WriteFileAtomic(Narrow(folder + L"\\章.indd"), "x").ok());
  ASSERT_TRUE(SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListItems(gui.control(kIdFileList)), std::vector<std::wstring>{L"章.indd"});
  const std::vector<std::wstring> folders = ListItems(gui.control(kIdFolderList));
  ASSERT_FALSE(folders.empty());
  EXPECT_EQ(folders.back().substr(folders.back().find_first_not_of(L' ')), L"下");
  // The stored folder itself is the open one (not the fallback to c:\\).
  EXPECT_EQ(FolderListPath(gui.control(kIdFolderList)), folder.substr(folder.rfind(L'\\') + 1));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, FilterBoxAndFileList) {
  const std::wstring folder = MakeFileFolder();
  ASSERT_TRUE(SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  HWND files = gui.control(kIdFileList);
  EXPECT_EQ(ListItems(files), (std::vector<std::wstring>{L"a.indd", L"e.INDD"}));
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), 0);

  // A pattern typed by the user lists its files at once.
  HWND edit = FindWindowExW(gui.control(kIdFilterBox), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (wchar_t c : std::wstring(L"*.txt")) PostMessageW(edit, WM_CHAR, c, 0);
  EXPECT_TRUE(WaitFor([&] {
    return ListItems(files) == std::vector<std::wstring>{L"b.txt", L"c.TXT"};
  })) << Narrow(Text(gui.control(kIdFilterBox)));

  // The IDML item: the folder of chapters is offered as a book first.
  HWND combo = gui.control(kIdFilterBox);
  SendMessageW(combo, CB_SETCURSEL, 3, 0);
  PostMessageW(gui.WaitMain(), WM_COMMAND, MAKEWPARAM(kIdFilterBox, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_TRUE(WaitFor([&] {
    return ListItems(files) == std::vector<std::wstring>{L"本\\", L"d.idml"};
  }));
  Screenshot(gui.WaitMain(), "form1_idml_filter");

  // Into the folder "本", then its empty sub-folder: no file, no selection, no message.
  HWND folders = gui.control(kIdFolderList);
  auto open = [&](const std::wstring& name) {
    const std::vector<std::wstring> items = ListItems(folders);
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].substr(items[i].find_first_not_of(L' ')) == name) {
        SendMessageW(folders, LB_SETCURSEL, i, 0);
        PostMessageW(gui.WaitMain(), WM_COMMAND, MAKEWPARAM(kIdFolderList, LBN_DBLCLK),
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
  gui.Click(kIdRunButton);
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
  if ((GetLogicalDrives() & 1) || GetFileAttributesW(L"A:\\") != INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "this machine has a drive a:";
  }
  DriveWithoutMedium drive;
  ASSERT_TRUE(drive.defined());
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND drives = gui.control(kIdDriveList);
  LRESULT drive_a = -1;
  for (LRESULT i = 0; i < SendMessageW(drives, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t entry[256] = {};
    SendMessageW(drives, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    if (entry[0] == L'a' && entry[1] == L':') drive_a = i;
  }
  ASSERT_GE(drive_a, 0) << "drive a: is not listed";

  // Retry asks again, Cancel goes back to c:\.
  SendMessageW(drives, CB_SETCURSEL, drive_a, 0);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdDriveList, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  const std::wstring text = Wide("a: ドライブにディスク又はメディアをセットして下さい");
  MessageBoxSeen first = gui.Answer(IDRETRY, "missing_medium");
  EXPECT_EQ(first.title, Wide("エラー"));
  EXPECT_EQ(first.text, text);
  MessageBoxSeen second = gui.Answer(IDCANCEL);
  EXPECT_EQ(second.title, Wide("エラー"));
  EXPECT_EQ(second.text, text);
  EXPECT_TRUE(WaitFor([&] {
    return Text(drives).rfind(L"c:", 0) == 0 &&
           FolderListPath(gui.control(kIdFolderList)) == L"c:\\";
  }));
  EXPECT_EQ(ProcessWindow(gui.pid(), L"#32770"), nullptr);
  ASSERT_TRUE(gui.Quit());
}

// The contents of a floppy change without the program knowing: a click on the folder list
// re-reads the file list when it shows "a:\\" exactly, and only then. Drive a: is a folder of
// the build linked by the test's fixture (gui_drive_a_test), named in MIRUNE_DRIVE_A.
TEST_F(GuiProgramTest, ClickOnTheFolderListRereadsTheRootOfDriveA) {
  const char* medium = std::getenv("MIRUNE_DRIVE_A");
  if (medium == nullptr) GTEST_SKIP() << "drive a: is made by the fixture of gui_drive_a_test";
  const std::string root = Narrow(HostPath(medium));
  const struct {
    const wchar_t* folder;
    const char* below;  // the folder below the drive's root, as the medium holds it
    bool reread;
  } cases[] = {
      {L"a:\\", "", true},
      {L"a:\\sub", "\\sub", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.folder));
    const std::string folder = root + c.below;
    (void)RemoveFile(folder + "\\new.indd");
    ASSERT_TRUE(WriteFileAtomic(folder + "\\old.indd", "x").ok());
    ASSERT_TRUE(SeedSettings(L"1", L"a:", c.folder, Wide(kFilterItemIndd)));
    GuiProgram gui;
    HWND main = gui.WaitMain();
    SawWindow(main);
    ASSERT_NE(main, nullptr);
    HWND files = gui.control(kIdFileList);
    HWND folders = gui.control(kIdFolderList);
    ASSERT_TRUE(WaitFor([&] { return ListItems(files) == std::vector<std::wstring>{L"old.indd"}; }))
        << "the program did not open " << Narrow(c.folder);
    // Put into the medium behind the program's back, then the click.
    ASSERT_TRUE(WriteFileAtomic(folder + "\\new.indd", "x").ok());
    // Sent, not posted: it returns once the click has been handled.
    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutW(main, WM_COMMAND, MAKEWPARAM(kIdFolderList, LBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(folders), SMTO_ABORTIFHUNG, 10000, &answer),
        0);
    const std::vector<std::wstring> expected =
        c.reread ? std::vector<std::wstring>{L"new.indd", L"old.indd"}
                 : std::vector<std::wstring>{L"old.indd"};
    EXPECT_EQ(ListItems(files), expected);
    ASSERT_TRUE(gui.Quit());
  }
}

TEST_F(GuiProgramTest, InDesignDocumentGetsTheRecoveryMessageWithItsCause) {
  const std::wstring folder = MakeFileFolder();
  ASSERT_TRUE(SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND shown = gui.WaitMain();
  SawWindow(shown);
  ASSERT_NE(shown, nullptr);
  gui.Click(kIdRunButton);
  MessageBoxSeen seen = gui.Answer(IDOK, "failure_cause_first");
  EXPECT_EQ(seen.title, L"確認");
  // The cause on the first line, naming the file; the fixed text after it.
  EXPECT_EQ(seen.text.rfind(L"原因: ", 0), 0u) << Narrow(seen.text);
  const std::wstring first_line = seen.text.substr(0, seen.text.find(L"\r\n"));
  EXPECT_NE(first_line.find(L"a.indd"), std::wstring::npos) << Narrow(seen.text);
  EXPECT_NE(seen.text.find(L"\r\n\r\n" + Wide("処理を開始または続行することができませんでした。")),
            std::wstring::npos)
      << Narrow(seen.text);
  // The window stays usable.
  EXPECT_TRUE(IsWindowEnabled(gui.control(kIdFileList)));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, SampleBookFromTheMainWindowGivesTheCommandLinesResult) {
  const std::wstring samples = HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples");
  ASSERT_TRUE(SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml)));
  const std::string results = Narrow(ProgramFolderWide()) + "\\RazozaData\\Razoza.txt";
  DeleteFileW(Wide(results).c_str());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND files = gui.control(kIdFileList);
  ASSERT_FALSE(ListItems(files).empty());
  EXPECT_EQ(ListItems(files)[0], L"book\\");
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), 0);

  gui.Click(kIdRunButton);
  MessageBoxSeen start = gui.Answer(IDOK);
  EXPECT_EQ(start.title, Wide("ミルネ Ver1.0"));

  // During the job: the abort window; every guarded handler and the close box do nothing.
  HWND abort_window = gui.WaitWindow("MiruneAbortForm6");
  ASSERT_NE(abort_window, nullptr);
  // The pause says what it is for, counting down.
  EXPECT_TRUE(WaitFor([&] {
    return StoredText(GetDlgItem(abort_window, kIdActivityText)).find(Wide("秒で抽出を始めます")) !=
           std::wstring::npos;
  })) << Narrow(StoredText(GetDlgItem(abort_window, kIdActivityText)));
  Screenshot(abort_window, "form6_abort");
  EXPECT_FALSE(IsWindowEnabled(gui.control(kIdFileList)));
  gui.Click(kIdQuitButton);
  gui.Click(kIdUtilityButton);  // "ユーティリティ": ignored while the job runs
  PostMessageW(main, WM_CLOSE, 0, 0);
  PostMessageW(abort_window, WM_CLOSE, 0, 0);
  HWND progress = gui.WaitWindow("MiruneProgressForm2");
  // The picture while Form6 has given way to Form2: both stand at the same place, and each
  // document of the book begins with Form6 in front again.
  if (progress) {
    Screenshot(progress, "form2_progress",
               [&] { return IsWindowVisible(progress) && !IsWindowVisible(abort_window); });
    // The next chapter's pause: Form6 beside Form2, both over the main window, Form2's counts
    // in sight.
    const bool both =
        WaitFor([&] { return IsWindowVisible(progress) && IsWindowVisible(abort_window); });
    if (both) {
      RECT two, six, main_rect, overlap;
      GetWindowRect(progress, &two);
      GetWindowRect(abort_window, &six);
      GetWindowRect(main, &main_rect);
      EXPECT_FALSE(IntersectRect(&overlap, &two, &six)) << "Form6 covers Form2";
      EXPECT_LE(two.right, six.left);
      EXPECT_LE(std::abs((six.top + six.bottom) / 2 - (main_rect.top + main_rect.bottom) / 2), 2);
      const int pair_centre = (two.left + six.right) / 2;
      const int main_centre = (main_rect.left + main_rect.right) / 2;
      EXPECT_LE(std::abs(pair_centre - main_centre), 2);
      ScreenshotTogether({progress, abort_window}, "form2_form6_side_by_side", [&] {
        return IsWindowVisible(progress) && IsWindowVisible(abort_window);
      });
    }
  }

  // The end: the completion (and any notes) answered until the controls are back.
  MessageBoxSeen done;
  std::vector<std::wstring> titles;
  while (!IsWindowEnabled(gui.control(kIdFileList))) {
    MessageBoxSeen seen = gui.Answer(IDOK, titles.empty() ? "extraction_done" : "");
    if (!seen.hwnd) break;
    titles.push_back(seen.title);
    if (seen.title == Wide("ミルネ Ver1.0")) done = seen;
  }
  EXPECT_NE(done.text.find(Wide("索引抽出処理が終了しました")), std::wstring::npos)
      << Narrow(done.text);
  // Where the results are: the last line names the folder.
  const std::wstring folder_line =
      Wide("結果のフォルダー: ") + ProgramFolderWide() + L"\\RazozaData";
  EXPECT_EQ(done.text.substr(done.text.size() - std::min(done.text.size(), folder_line.size())),
            folder_line)
      << Narrow(done.text);
  EXPECT_TRUE(IsWindow(main)) << "the close during the job was not refused";
  EXPECT_EQ(ProcessWindow(gui.pid(), Wide(help_form::kUtilityWindowClass)), nullptr)
      << "the utility window was opened during the job";
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
  ASSERT_TRUE(SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml)));
  const std::string results = Narrow(ProgramFolderWide()) + "\\RazozaData\\Razoza.txt";
  CreateDirectoryW(Wide(Narrow(ProgramFolderWide()) + "\\RazozaData").c_str(), nullptr);
  const std::string previous = "前回の結果\t\t1\r\n";
  ASSERT_TRUE(WriteFileAtomic(results, previous).ok());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  ASSERT_NE(main, nullptr);
  gui.Click(kIdRunButton);
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

  // No completion: one box says that it stopped and that the previous results are kept.
  MessageBoxSeen stopped = gui.Answer(IDOK, "extraction_aborted");
  EXPECT_EQ(stopped.text.rfind(Wide("中止しました。前回の結果はそのまま残っています。"), 0), 0u)
      << Narrow(stopped.text);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(gui.control(kIdFileList)) != FALSE; }));
  EXPECT_EQ(ProcessWindow(gui.pid(), L"#32770"), nullptr) << "a box after the abort's";
  EXPECT_TRUE(IsWindowEnabled(gui.control(kIdFileList)));
  auto after = ReadFileBytes(results);
  ASSERT_TRUE(after.ok()) << after.message();
  EXPECT_EQ(*after, previous);
  ASSERT_TRUE(gui.Quit());
}

// A visible top-level window of another process whose caption holds `part`; null when none.
HWND OtherProcessWindowTitled(DWORD pid, const std::wstring& part) {
  struct Found {
    DWORD pid;
    std::wstring part;
    HWND hwnd = nullptr;
  } found{pid, part};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Found*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == f->pid || !IsWindowVisible(hwnd)) return TRUE;
        if (StoredText(hwnd).find(f->part) == std::wstring::npos) return TRUE;
        f->hwnd = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.hwnd;
}

// "結果のフォルダーを開く" on the main window and on the utility window: Explorer on
// RazozaData; before the first extraction, a message naming where the results will be.
TEST_F(GuiProgramTest, ResultsFolderButtonsOpenRazozaData) {
  // Names with underscores in the lists: the items are tall enough to show them.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring shown = std::wstring(temp) + L"mirune_gui_underscores";
  CreateDirectoryW(shown.c_str(), nullptr);
  CreateDirectoryW((shown + L"\\old_root").c_str(), nullptr);
  ASSERT_TRUE(WriteFileAtomic(Narrow(shown + L"\\chapter_1.idml"), "x").ok());
  ASSERT_TRUE(SeedSettings(L"1", shown.substr(0, 2), shown, Wide(kFilterItemIdml)));
  const std::wstring results = ProgramFolderWide() + L"\\RazozaData";
  const std::wstring aside = results + L"-aside";
  const bool had = MoveFileExW(results.c_str(), aside.c_str(), 0) != FALSE;
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListItems(gui.control(kIdFileList)).back(), L"chapter_1.idml");
  // The button's tool tip says where the results are kept.
  EXPECT_EQ(Narrow(ToolTipText(gui.pid(), main, gui.control(kIdOpenResultsButton))),
            "結果のフォルダー: " + Narrow(results));
  Screenshot(main, "form1_results_button");
  gui.Click(kIdOpenResultsButton);
  MessageBoxSeen missing = gui.Answer(IDOK, "results_folder_missing");
  EXPECT_NE(missing.text.find(Wide("結果のフォルダーはまだありません")), std::wstring::npos)
      << Narrow(missing.text);
  EXPECT_NE(missing.text.find(results), std::wstring::npos) << Narrow(missing.text);
  if (had) {
    ASSERT_TRUE(MoveFileExW(aside.c_str(), results.c_str(), 0));
  } else {
    ASSERT_TRUE(CreateDirectoryW(results.c_str(), nullptr));
  }
  gui.Click(kIdOpenResultsButton);
  HWND explorer = nullptr;
  EXPECT_TRUE(WaitFor(
      [&] { return (explorer = OtherProcessWindowTitled(gui.pid(), L"RazozaData")) != nullptr; }));
  EXPECT_EQ(ProcessWindow(gui.pid(), L"#32770"), nullptr) << "the folder was not opened";
  if (explorer) {
    Screenshot(explorer, "results_folder_explorer");
    PostMessageW(explorer, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindow(explorer); });
  }
  // The utility window's button, on "使い方".
  HWND utility = gui.OpenUtility();
  ASSERT_NE(utility, nullptr);
  PostMessageW(GetDlgItem(utility, help_form::kIdOpenResults), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor(
      [&] { return (explorer = OtherProcessWindowTitled(gui.pid(), L"RazozaData")) != nullptr; }));
  if (explorer) PostMessageW(explorer, WM_CLOSE, 0, 0);
  ASSERT_TRUE(gui.Quit());
}

// The windows of `class_name` that the program has, shown or not.
int CountProcessWindows(DWORD pid, const std::wstring& class_name) {
  struct Count {
    DWORD pid;
    std::wstring class_name;
    int n = 0;
  } count{pid, class_name};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* c = reinterpret_cast<Count*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[256] = {};
        GetClassNameW(hwnd, name, 256);
        if (owner == c->pid && c->class_name == name) ++c->n;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.n;
}

void ClickIn(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool Shown(HWND window, int id) { return IsWindowVisible(GetDlgItem(window, id)) != FALSE; }

// Clicks tab `tab` of Form3's tab strip where it lies (every tab is kTabWidthTwips wide).
void ClickTab(HWND utility, int tab) {
  HWND strip = GetDlgItem(utility, help_form::kIdTabs);
  const int dpi = WindowDpi(utility);
  const int x = TwipsToPixels(kTabWidthTwips, dpi) * tab + TwipsToPixels(kTabWidthTwips, dpi) / 2;
  const int y = TwipsToPixels(kTabHeightTwips, dpi) / 2;
  PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// The manual kept out of the program folder for the length of a test (put back after).
class ManualAside {
 public:
  ManualAside() : path_(Wide(help::ManualPath(Narrow(ProgramFolderWide())))) {
    moved_ = MoveFileExW(path_.c_str(), (path_ + L".aside").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  ~ManualAside() {
    if (moved_) MoveFileExW((path_ + L".aside").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
  }

 private:
  std::wstring path_;
  bool moved_ = false;
};

TEST_F(GuiProgramTest, UtilityWindowTabsHideShowHelpWindowsAndTheMissingManual) {
  ManualAside manual_aside;
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND utility = gui.OpenUtility();
  ASSERT_NE(utility, nullptr);
  EXPECT_EQ(Text(utility), Wide(help_form::kUtilityCaption));
  for (const ControlLayout& control_layout : help_form::UtilityWindowControls()) {
    HWND control = GetDlgItem(utility, control_layout.id);
    ASSERT_NE(control, nullptr) << control_layout.name;
    if (control_layout.kind == ControlKind::kButton || control_layout.kind == ControlKind::kLabel) {
      EXPECT_EQ(Text(control), Wide(control_layout.caption)) << control_layout.name;
    }
  }
  // "使い方" in front.
  const int usage_button = help_form::kIdUsageButtons + help_form::kUsageFirstSteps;
  const int tools_button = help_form::kIdToolButtons + help_form::kToolsResort;
  EXPECT_TRUE(Shown(utility, usage_button));
  EXPECT_FALSE(Shown(utility, tools_button));
  Screenshot(utility, "form3_usage");

  // "ツール", closed, opened again: still "ツール".
  ClickTab(utility, 1);
  ASSERT_TRUE(WaitFor([&] { return Shown(utility, tools_button); }));
  EXPECT_FALSE(Shown(utility, usage_button));
  EXPECT_TRUE(Shown(utility, help_form::kIdToolButtons + help_form::kToolsIndex));
  Screenshot(utility, "form3_tools");
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsClose);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(utility); }));
  EXPECT_TRUE(IsWindow(utility)) << "hidden, not unloaded";
  EXPECT_EQ(gui.OpenUtility(), utility);
  EXPECT_TRUE(Shown(utility, tools_button));
  EXPECT_FALSE(Shown(utility, usage_button));
  EXPECT_EQ(SendMessageW(GetDlgItem(utility, help_form::kIdTabs), TCM_GETCURSEL, 0, 0), 1);

  // "使用説明書" without the manual: the message names the program folder; Form3 stays.
  ClickTab(utility, 0);
  ASSERT_TRUE(WaitFor([&] { return Shown(utility, usage_button); }));
  ClickIn(utility, help_form::kIdUsageButtons + help_form::kUsageManual);
  MessageBoxSeen missing = gui.Answer(IDOK, "manual_missing");
  EXPECT_EQ(missing.title, L"確認");
  EXPECT_EQ(missing.text, Wide(help::ManualFailureMessage(Narrow(ProgramFolderWide()))));
  EXPECT_TRUE(IsWindowVisible(utility));

  // "初めての方へ" twice: one Form4. The click on "こんなときは" posted after them is handled
  // after both (one queue), so once Form10 is there both clicks have been.
  const std::wstring form4_class = Wide(help_form::kFirstStepsWindowClass);
  ClickIn(utility, usage_button);
  ClickIn(utility, usage_button);
  ClickIn(utility, help_form::kIdUsageButtons + help_form::kUsageFaq);
  HWND form10 = gui.WaitWindow(help_form::kFaqWindowClass);
  ASSERT_NE(form10, nullptr);
  HWND form4 = gui.WaitWindow(help_form::kFirstStepsWindowClass);
  ASSERT_NE(form4, nullptr);
  EXPECT_EQ(CountProcessWindows(gui.pid(), form4_class), 1);
  EXPECT_EQ(Text(form10), Wide(help_form::kFaqCaption));
  EXPECT_EQ(Text(GetDlgItem(form10, help_form::kIdFaqText)), Wide(help::FaqText()));
  Screenshot(form10, "form10_faq");
  ClickIn(form10, help_form::kIdFaqClose);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(form10); })) << "閉じる unloads Form10";

  SetForegroundWindow(form4);
  EXPECT_EQ(Text(form4), Wide(help_form::kFirstStepsCaption));
  EXPECT_EQ(Text(GetDlgItem(form4, help_form::kIdFirstStepsText)), Wide(help::FirstStepsText()));
  EXPECT_EQ(Text(GetDlgItem(form4, help_form::kIdFirstStepsManual)), L"使用説明書を読む");
  EXPECT_EQ(Text(GetDlgItem(form4, help_form::kIdFirstStepsClose)), L"閉じる");
  Screenshot(form4, "form4_first_steps");
  // Its manual button: the same message; Form4 stays.
  ClickIn(form4, help_form::kIdFirstStepsManual);
  MessageBoxSeen from_form4 = gui.Answer(IDOK);
  EXPECT_EQ(from_form4.text, missing.text);
  EXPECT_TRUE(IsWindowVisible(form4));
  ClickIn(form4, help_form::kIdFirstStepsClose);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(form4); })) << "閉じる unloads Form4";
  // Loaded fresh at the next request.
  ClickIn(utility, usage_button);
  HWND form4_again = gui.WaitWindow(help_form::kFirstStepsWindowClass);
  ASSERT_NE(form4_again, nullptr);
  EXPECT_EQ(CountProcessWindows(gui.pid(), form4_class), 1);

  // "使い方"'s own close button hides Form3 too.
  ClickIn(utility, help_form::kIdUsageButtons + help_form::kUsageClose);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(utility); }));
  ASSERT_TRUE(gui.Quit());
}

// A fresh folder in the prefix's temporary folder.
std::string FreshFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name;
  SHFILEOPSTRUCTW remove{};
  const std::wstring from = folder + L'\0';
  remove.wFunc = FO_DELETE;
  remove.pFrom = from.c_str();
  remove.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationW(&remove);
  (void)CreateFolders(Narrow(folder));
  return Narrow(folder);
}

// Runs mirune.exe of the program folder with `arguments`; its exit code.
DWORD RunCommandLine(const std::wstring& arguments) {
  const std::wstring exe = ProgramFolderWide() + L"\\mirune.exe";
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return 999;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 999;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

// A Razoza.xls in `folder` made by the command line from the workbook test's entry list.
std::string MakeRazozaXls(const std::string& folder) {
  const std::string workbook = folder + "\\Razoza.xls";
  const std::wstring entries =
      HostPath(std::string(MIRUNE_SOURCE_DIR) + "/tests/data/workbook/entries.txt");
  EXPECT_EQ(RunCommandLine(L"workbook \"" + entries + L"\" -o \"" + Wide(workbook) + L"\""), 0u);
  return workbook;
}

void SetText(HWND window, int id, const std::string& text) {
  SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

// Form3 on its "ツール" tab.
HWND OpenTools(GuiProgram& gui) {
  HWND utility = gui.OpenUtility();
  if (!utility) return nullptr;
  ClickTab(utility, 1);
  const int tools_button = help_form::kIdToolButtons + help_form::kToolsResort;
  return WaitFor([&] { return Shown(utility, tools_button); }) ? utility : nullptr;
}

// The marking's inputs: the sample IDML document at `input` (its bytes in `sample`) and the
// keyword workbook of the tests at `keywords`.
void WriteMarkingInputs(const std::string& input, const std::string& keywords,
                        std::string* sample) {
  auto document = ReadFileBytes(Narrow(
      HostPath(std::string(MIRUNE_SHARED_DIR) + "/samples/idml/simpleidml_4-pages_CS5.5.idml")));
  ASSERT_TRUE(document.ok()) << document.message();
  ASSERT_TRUE(WriteFileAtomic(input, *document).ok());
  auto keyword_bytes = ReadFileBytes(
      Narrow(HostPath(std::string(MIRUNE_SOURCE_DIR) + "/tests/data/marking/Keyword.xls")));
  ASSERT_TRUE(keyword_bytes.ok());
  ASSERT_TRUE(WriteFileAtomic(keywords, *keyword_bytes).ok());
  *sample = std::move(document).value();
}

TEST_F(GuiProgramTest, KeywordMarkingFromForm11OnAnIdmlDocumentSavesBesideIt) {
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  const std::string folder = FreshFolder(L"mirune-gui-marking");
  const std::string input = folder + "\\simple.idml";
  const std::string keywords = folder + "\\Keyword.xls";
  std::string sample;
  ASSERT_NO_FATAL_FAILURE(WriteMarkingInputs(input, keywords, &sample));
  // A name already taken: the result goes under the next one.
  ASSERT_TRUE(WriteFileAtomic(folder + "\\simple-marked.idml", "taken").ok());

  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND utility = OpenTools(gui);
  ASSERT_NE(utility, nullptr);
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsMarking);
  HWND form11 = gui.WaitWindow(keyword_form::kWindowClass);
  ASSERT_NE(form11, nullptr);
  EXPECT_EQ(Text(form11), Wide(keyword_form::kCaption));
  for (const ControlLayout& control_layout : keyword_form::Form11Controls()) {
    if (control_layout.kind == ControlKind::kLabel || control_layout.kind == ControlKind::kButton) {
      EXPECT_EQ(Text(GetDlgItem(form11, control_layout.id)), Wide(control_layout.caption))
          << control_layout.name;
    }
  }
  SetText(form11, keyword_form::kIdDocumentPath, input);
  SetText(form11, keyword_form::kIdKeywordsPath, keywords);
  Screenshot(form11, "form11_keyword_marking");

  // "OK": no InDesign on this computer. The cause first, in Japanese, then the way without it
  // ("IDMLに実行"); not kFailed, whose dialogs and rights do not apply.
  ClickIn(form11, keyword_form::kIdOkButton);
  MessageBoxSeen unreachable = gui.Answer(IDOK, "form11_no_indesign");
  EXPECT_EQ(unreachable.title, L"確認");
  EXPECT_EQ(unreachable.text.rfind(Wide("原因: このコンピューターには InDesign がインストールされて"
                                        "いません"),
                                   0),
            0u)
      << Narrow(unreachable.text);
  EXPECT_NE(unreachable.text.find(Wide("「IDMLに実行」")), std::wstring::npos);
  EXPECT_EQ(unreachable.text.find(Wide("管理者として実行")), std::wstring::npos);
  EXPECT_TRUE(IsWindowVisible(form11));

  // "IDMLに実行": kConfirmStart without InDesign's Find/Change, Form11 put away, the files saved,
  // kFinished, then where the result went.
  ClickIn(form11, keyword_form::kIdRunOnIdml);
  MessageBoxSeen confirm = gui.Answer(IDOK, "form11_idml_confirmation");
  EXPECT_EQ(confirm.text.rfind(Wide("以下のドキュメントの一括マーキング処理を開始します。"), 0), 0u)
      << Narrow(confirm.text);
  EXPECT_EQ(confirm.text.find(Wide("置換形式")), std::wstring::npos) << Narrow(confirm.text);
  MessageBoxSeen finished = gui.Answer(IDOK);
  EXPECT_EQ(finished.text, Wide("一括マーキング処理が終了しました。"));
  const std::string first_output = folder + "\\simple-marked-2.idml";
  EXPECT_TRUE(FileExists(first_output)) << "kFinished comes once every file is saved";
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(form11); })) << "Form11 unloaded after the job";
  MessageBoxSeen saved = gui.Answer(IDOK);
  const std::string output = folder + "\\simple-marked-2.idml";
  EXPECT_NE(saved.text.find(Wide(output)), std::wstring::npos) << Narrow(saved.text);
  EXPECT_EQ(saved.text.find(Wide("マーキングした箇所: 0")), std::wstring::npos)
      << Narrow(saved.text);
  EXPECT_TRUE(FileExists(output));
  auto after = ReadFileBytes(input);
  ASSERT_TRUE(after.ok());
  EXPECT_EQ(*after, sample) << "the input is never written";
  auto taken = ReadFileBytes(folder + "\\simple-marked.idml");
  ASSERT_TRUE(taken.ok());
  EXPECT_EQ(*taken, "taken");

  // A book folder of IDML chapters: the marked chapters go to a new folder beside it.
  const std::string book = folder + "\\book";
  ASSERT_TRUE(CreateFolders(book).ok());
  std::vector<std::string> chapters;
  for (const char* name : {"chapter1.idml", "chapter2.idml"}) {
    auto bytes =
        ReadFileBytes(Narrow(HostPath(std::string(MIRUNE_SOURCE_DIR) + "/samples/book/" + name)));
    ASSERT_TRUE(bytes.ok());
    ASSERT_TRUE(WriteFileAtomic(book + "\\" + name, *bytes).ok());
    chapters.push_back(*bytes);
  }
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsMarking);
  form11 = gui.WaitWindow(keyword_form::kWindowClass);
  ASSERT_NE(form11, nullptr);
  SetText(form11, keyword_form::kIdDocumentPath, book);
  SetText(form11, keyword_form::kIdKeywordsPath, keywords);
  ClickIn(form11, keyword_form::kIdRunOnIdml);
  EXPECT_NE(gui.Answer(IDOK).text.find(Wide(book)),
            std::wstring::npos);  // kConfirmStart names the book
  EXPECT_EQ(gui.Answer(IDOK).text, Wide("一括マーキング処理が終了しました。"));
  MessageBoxSeen book_saved = gui.Answer(IDOK);
  const std::string book_output = book + "-marked";
  EXPECT_NE(book_saved.text.find(Wide(book_output)), std::wstring::npos) << Narrow(book_saved.text);
  EXPECT_TRUE(FileExists(book_output + "\\chapter1.idml"));
  EXPECT_TRUE(FileExists(book_output + "\\chapter2.idml"));
  auto first = ReadFileBytes(book + "\\chapter1.idml");
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(*first, chapters[0]);
  ASSERT_TRUE(gui.Quit());
}

// The file window of the program with `title`: the file typed into its name box and opened.
bool OpenInFileWindow(GuiProgram& gui, const std::wstring& title, const std::string& path) {
  HWND dialog = nullptr;
  if (!WaitFor([&] {
        dialog = FindWindowW(L"#32770", title.c_str());
        return dialog != nullptr && IsWindowVisible(dialog);
      })) {
    return false;
  }
  // The name box: the combo box cmb13 (its edit) of the Explorer-style window, or edt1.
  HWND name = GetDlgItem(dialog, 0x47C);
  if (name) {
    HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
    if (edit) name = edit;
  } else {
    name = GetDlgItem(dialog, 0x480);
  }
  if (!name) return false;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

TEST_F(GuiProgramTest, ResortFromTheUtilityWindowWritesTheCopyBesideASavedWorkbook) {
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  // An underscore in the folder: the index dialog's path shows it.
  const std::string folder = FreshFolder(L"mirune_gui_resort");
  const std::string workbook = MakeRazozaXls(folder);
  auto before = ReadFileBytes(workbook);
  ASSERT_TRUE(before.ok()) << before.message();

  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND utility = OpenTools(gui);
  ASSERT_NE(utility, nullptr);
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsResort);
  MessageBoxSeen offer = gui.Answer(IDOK, "resort_offer");
  EXPECT_EQ(offer.title, L"確認");
  EXPECT_NE(offer.text.find(Wide("Razoza.xlsを選びますか？")), std::wstring::npos)
      << Narrow(offer.text);
  EXPECT_EQ(offer.text.rfind(L"原因: ", 0), 0u) << Narrow(offer.text);
  EXPECT_EQ(ClassNames(offer.others_enabled), "");
  // "読みを記憶する" is ticked at first, as `mirune resort` learns unless told not to.
  EXPECT_TRUE(Checked(GetDlgItem(utility, help_form::kIdResortLearn)));
  ASSERT_TRUE(OpenInFileWindow(gui, Wide("並べ替え直す Razoza.xls を選んで下さい"), workbook));
  MessageBoxSeen done = gui.Answer(IDOK);
  const std::string output = folder + "\\Razoza-resort.xls";
  EXPECT_EQ(done.text.rfind(Wide("ソート処理が終了しました。"), 0), 0u) << Narrow(done.text);
  EXPECT_NE(done.text.find(Wide(output)), std::wstring::npos) << Narrow(done.text);
  EXPECT_TRUE(FileExists(output));
  auto after = ReadFileBytes(workbook);
  ASSERT_TRUE(after.ok());
  EXPECT_EQ(*after, *before) << "the chosen workbook is never written";

  // The index dialog proposes the workbook just re-sorted, not the fresh one.
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsIndex);
  HWND dialog = gui.WaitWindow(help_form::kIndexDialogClass);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(GetDlgItem(dialog, help_form::kIdIndexWorkbook)), Wide(output));
  Screenshot(dialog, "index_dialog_resorted");
  ClickIn(dialog, help_form::kIdIndexCreate);
  MessageBoxSeen made = gui.Answer(IDOK);
  EXPECT_EQ(made.text.rfind(Wide("索引を作成しました。"), 0), 0u) << Narrow(made.text);
  const std::string index_txt = folder + "\\Razoza-resort-索引.txt";
  ASSERT_TRUE(FileExists(index_txt));
  ASSERT_TRUE(WriteFileAtomic(index_txt, "earlier").ok());
  // A second time: it asks before writing over the earlier set; Cancel keeps it.
  ClickIn(dialog, help_form::kIdIndexCreate);
  MessageBoxSeen overwrite = gui.Answer(IDCANCEL, "index_overwrite_question");
  EXPECT_NE(overwrite.text.find(Wide(index_txt)), std::wstring::npos) << Narrow(overwrite.text);
  EXPECT_NE(overwrite.text.find(Wide("上書きしますか？")), std::wstring::npos);
  EXPECT_EQ(ClassNames(overwrite.others_enabled), "");
  auto kept = ReadFileBytes(index_txt);
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(*kept, "earlier");
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, IndexDialogWritesTheIndexBesideTheWorkbook) {
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  const std::string folder = FreshFolder(L"mirune-gui-index");
  const std::string workbook = MakeRazozaXls(folder);

  GuiProgram gui;
  HWND main = gui.WaitMain();
  SawWindow(main);
  ASSERT_NE(main, nullptr);
  HWND utility = OpenTools(gui);
  ASSERT_NE(utility, nullptr);
  ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsIndex);
  HWND dialog = gui.WaitWindow(help_form::kIndexDialogClass);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(dialog), Wide(help_form::kIndexDialogCaption));
  SetText(dialog, help_form::kIdIndexWorkbook, workbook);
  Screenshot(dialog, "index_dialog");
  ClickIn(dialog, help_form::kIdIndexCreate);
  MessageBoxSeen done = gui.Answer(IDOK);
  EXPECT_EQ(done.text.rfind(Wide("索引を作成しました。"), 0), 0u) << Narrow(done.text);
  for (const char* name : {"Razoza-索引.txt", "Razoza-索引-tagged.txt", "Razoza-索引.xls"}) {
    const std::string path = folder + "\\" + name;
    EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_NE(done.text.find(Wide(path)), std::wstring::npos) << Narrow(done.text);
  }
  // The dialog stays for another try.
  EXPECT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(gui.Quit());
}

// An environment variable of this process, which the program started from the test
// inherits, set for the scope: cleared also when an assertion ends the test early, so that no
// later test reaches a test server by it.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name_, value.c_str());
  }
  ~ScopedEnvironmentVariable() { SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  const wchar_t* name_;
};

// A visible main window of the user's Excel ("XLMAIN") or InDesign, with `title`, made and
// served on a thread of the test, where the program's desktop detection finds it.
class HostMainWindow {
 public:
  HostMainWindow(std::wstring class_name, std::wstring title) {
    thread_ = std::thread([this, class_name = std::move(class_name), title = std::move(title)] {
      WNDCLASSW window_class{};
      window_class.lpfnWndProc = DefWindowProcW;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.lpszClassName = class_name.c_str();
      RegisterClassW(&window_class);
      HWND hwnd =
          CreateWindowExW(0, class_name.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                          0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      thread_id_ = GetCurrentThreadId();
      hwnd_ = hwnd;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(hwnd);
    });
    WaitFor([&] { return hwnd_.load() != nullptr; });
  }
  ~HostMainWindow() {
    while (thread_id_.load() == 0) Sleep(1);
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND hwnd() const { return hwnd_.load(); }

 private:
  std::thread thread_;
  std::atomic<HWND> hwnd_{nullptr};
  std::atomic<DWORD> thread_id_{0};
};

// Runs the extraction of the one file that `folder` lists under `filter` from the main window,
// answering every message box until the controls are back; Razoza.txt (or the error).
Result<std::string> ExtractFromMainWindow(const std::wstring& folder, std::string_view filter,
                                          std::wstring* completion, HWND indesign = nullptr,
                                          std::string* indesign_seen = nullptr) {
  // Whether the user's InDesign window is shown, at each step the test looks.
  auto look = [&](const char* when) {
    if (indesign && indesign_seen) {
      *indesign_seen += std::string(indesign_seen->empty() ? "" : " ") + when +
                        (IsWindowVisible(indesign) ? ":shown" : ":hidden");
    }
  };
  if (!SeedSettings(L"1", folder.substr(0, 2), folder, Wide(filter))) {
    return Error{ErrorCode::kIoError, "the settings could not be stored"};
  }
  const std::string results = Narrow(ProgramFolderWide()) + "\\RazozaData\\Razoza.txt";
  DeleteFileW(Wide(results).c_str());
  GuiProgram gui;
  HWND main = gui.WaitMain();
  if (main == nullptr) return Error{ErrorCode::kInternal, "no main window"};
  gui.Click(kIdRunButton);
  WaitFor([&] { return ProcessWindow(gui.pid(), L"#32770") != nullptr; });
  look("start");
  gui.Answer(IDOK);  // the start
  gui.WaitWindow("MiruneAbortForm6");
  while (!IsWindowEnabled(gui.control(kIdFileList))) {
    HWND box = nullptr;
    WaitFor([&] { return (box = ProcessWindow(gui.pid(), L"#32770")) != nullptr; });
    if (box && Text(box) == Wide("ミルネ Ver1.0")) look("completion");
    MessageBoxSeen seen = gui.Answer(IDOK);
    if (!seen.hwnd) break;
    if (seen.title == Wide("ミルネ Ver1.0")) *completion = seen.text;
  }
  // InDesign is shown again once the job has ended.
  if (indesign)
    WaitFor([&] { return IsWindowVisible(indesign) != FALSE; }, std::chrono::seconds(10));
  look("after");
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
  std::wstring com_completion;
  // The user's InDesign window: hidden while the job drives InDesign, shown after it.
  HostMainWindow indesign_window(L"indesign", L"Adobe InDesign 2025");
  std::string com_seen;
  Result<std::string> through_com = [&] {
    const ScopedEnvironmentVariable indesign(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
    return ExtractFromMainWindow(indd_folder, kFilterItemIndd, &com_completion,
                                 indesign_window.hwnd(), &com_seen);
  }();
  EXPECT_EQ(com_seen, "start:shown completion:hidden after:shown");
  {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
  }
  com::testing::RunTestInDesignServer(L"/UnregServer");
  std::wstring engine_completion;
  std::string engine_seen;
  Result<std::string> on_engine = ExtractFromMainWindow(
      idml_folder, kFilterItemIdml, &engine_completion, indesign_window.hwnd(), &engine_seen);
  // A job on the embedded engine leaves the user's InDesign alone.
  EXPECT_EQ(engine_seen, "start:shown completion:shown after:shown");

  ASSERT_TRUE(through_com.ok()) << through_com.message() << Narrow(com_completion);
  ASSERT_TRUE(on_engine.ok()) << on_engine.message();
  EXPECT_NE(com_completion.find(Wide("索引抽出処理が終了しました")), std::wstring::npos)
      << Narrow(com_completion);
  EXPECT_FALSE(through_com->empty());
  EXPECT_EQ(*through_com, *on_engine);
}

// "Excelソート処理" with Razoza.xls open in the running Excel (test-excel-server, the embedded
// workbook engine with Excel's automation members) and shown in an Excel window: the job
// asks, re-sorts the corrected workbook in Excel into AfterSort in second place, folding the
// rows the correction brought together, and says it is done; the file is not saved.
TEST_F(GuiProgramTest, ResortFromTheUtilityWindowInTheRunningExcel) {
  ASSERT_EQ(com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/RegServer"), 0u);
  com::ComApartment apartment;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string path = Narrow(std::wstring(temp)) + "Razoza.xls";
  ASSERT_TRUE(WriteRazozaXls("柿\tかき\t9\n牡蠣\tかき\t4\n柿\tかき\t3\n", path).ok());
  const std::string before = ReadFileBytes(path).value();
  Result<std::unique_ptr<com::ExcelClient>> excel = com::ExcelClient::Create("Mirune.TestExcel");
  ASSERT_TRUE(excel.ok()) << excel.message();
  Result<std::unique_ptr<ExcelWorkbook>> book = (*excel)->OpenWorkbook(path);
  ASSERT_TRUE(book.ok()) << book.message();
  // The user corrects a reading on Org: the two rows of 柿 come together.
  ASSERT_TRUE((*book)->SetCell(*(*book)->FindSheet("Org"), 2, 2, CellValue::Text("ぼれい")).ok());
  HostMainWindow excel_window(L"XLMAIN", L"Microsoft Excel - Razoza.xls");
  const ScopedEnvironmentVariable excel_prog_id(L"MIRUNE_EXCEL_PROGID", L"Mirune.TestExcel");
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  {
    GuiProgram gui;
    HWND main = gui.WaitMain();
    SawWindow(main);
    ASSERT_NE(main, nullptr);
    HWND utility = gui.OpenUtility();
    ASSERT_NE(utility, nullptr);
    ClickTab(utility, 1);
    const int resort_button = help_form::kIdToolButtons + help_form::kToolsResort;
    ASSERT_TRUE(WaitFor([&] { return Shown(utility, resort_button); }));
    ClickIn(utility, resort_button);
    const MessageBoxSeen start = gui.Answer(IDOK);
    EXPECT_EQ(start.title, Wide(kResortTitle));
    EXPECT_EQ(start.text, Wide(kResortStartMessage));
    // The utility window takes no input while the re-sort asks.
    EXPECT_EQ(ClassNames(start.others_enabled), "");
    const MessageBoxSeen done = gui.Answer(IDOK);
    EXPECT_EQ(done.text, Wide(kResortDoneMessage)) << Narrow(done.text);
    EXPECT_TRUE(gui.Quit());
  }
  Result<int> after_sort = (*book)->FindSheet("AfterSort");
  EXPECT_TRUE(after_sort.ok() && *after_sort == 2);
  if (after_sort.ok()) {
    // The term's pages ascending, through Excel's Sort with Key2 (the old folding gave "9,3").
    EXPECT_EQ((*book)->GetCell(*after_sort, 1, 3)->AsText(), "3,9");
  }
  EXPECT_EQ(ReadFileBytes(path).value(), before) << "the workbook was saved";
  (void)(*excel)->application().Call("Quit");
  com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
}

// "動作確認" on the tools tab with the test InDesign and Excel registered: the report in a
// message box, the same text kept as 動作確認.txt in the program folder's RazozaData.
TEST_F(GuiProgramTest, TheCheckButtonShowsAndKeepsTheReport) {
  ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer /Shape:arrays"), 0u);
  ASSERT_EQ(com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/RegServer"), 0u);
  const std::string report = Narrow(ProgramFolderWide()) + "\\RazozaData\\動作確認.txt";
  DeleteFileW(Wide(report).c_str());
  const ScopedEnvironmentVariable indesign_prog_id(L"MIRUNE_INDESIGN_PROGID",
                                                   Wide(com::testing::kTestInDesignProgId));
  const ScopedEnvironmentVariable excel_prog_id(L"MIRUNE_EXCEL_PROGID", L"Mirune.TestExcel");
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  {
    GuiProgram gui;
    HWND main = gui.WaitMain();
    SawWindow(main);
    ASSERT_NE(main, nullptr);
    HWND utility = OpenTools(gui);
    ASSERT_NE(utility, nullptr);
    ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsDiagnosis);
    const MessageBoxSeen seen = gui.Answer(IDOK, "check_report");
    EXPECT_EQ(seen.title, L"動作確認");
    EXPECT_NE(seen.text.find(L"ジョブが使う操作はすべて動作しました。"), std::wstring::npos)
        << Narrow(seen.text);
    EXPECT_NE(seen.text.find(L"ページとテキストフレームは一括で読みます"), std::wstring::npos)
        << Narrow(seen.text);
    EXPECT_NE(seen.text.find(Wide(report)), std::wstring::npos) << Narrow(seen.text);
    EXPECT_TRUE(IsWindowVisible(utility));
    EXPECT_TRUE(gui.Quit());
  }
  Result<std::string> kept = ReadFileBytes(report);
  ASSERT_TRUE(kept.ok()) << kept.message();
  EXPECT_NE(kept->find("ミルネ 動作確認"), std::string::npos);
  com::ComApartment apartment;
  com::testing::QuitTestInDesign();
  com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
  com::testing::RunTestInDesignServer(L"/UnregServer");
}

// "OK" of Form11 with a document open in the running InDesign and Keyword.xls open in the
// running Excel (the test servers, on the embedded engines) and shown in an Excel window: the
// job asks, marks every keyword in InDesign and says it is done; nothing is saved.
TEST_F(GuiProgramTest, KeywordMarkingFromForm11InTheRunningInDesignAndExcel) {
  ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer"), 0u);
  ASSERT_EQ(com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/RegServer"), 0u);
  com::ComApartment apartment;
  const std::string folder = FreshFolder(L"mirune-gui-running-marking");
  const std::string input = folder + "\\simple.idml";
  const std::string keywords = folder + "\\Keyword.xls";
  std::string sample;
  ASSERT_NO_FATAL_FAILURE(WriteMarkingInputs(input, keywords, &sample));

  ASSERT_TRUE(com::testing::ResetTestInDesign("").ok());
  Result<std::unique_ptr<indesign::Application>> indesign =
      com::ConnectInDesign(com::testing::kTestInDesignProgId);
  ASSERT_TRUE(indesign.ok()) << indesign.message();
  Result<indesign::OpenedItem> opened = (*indesign)->Open(input);
  ASSERT_TRUE(opened.ok() && opened->document) << opened.message();
  ASSERT_FALSE(opened->document->Modified().value());
  // What the user sets in InDesign's find and change window before the marking.
  indesign::ChangeFormatting formatting;
  formatting.fill_color = "RazozaMark1";
  ASSERT_TRUE((*indesign)->SetChangeFormatting(formatting).ok());
  Result<std::unique_ptr<com::ExcelClient>> excel = com::ExcelClient::Create("Mirune.TestExcel");
  ASSERT_TRUE(excel.ok()) << excel.message();
  ASSERT_TRUE((*excel)->OpenWorkbook(keywords).ok());
  HostMainWindow excel_window(L"XLMAIN", L"Microsoft Excel - Keyword.xls");
  const ScopedEnvironmentVariable indesign_prog_id(L"MIRUNE_INDESIGN_PROGID",
                                                   Wide(com::testing::kTestInDesignProgId));
  const ScopedEnvironmentVariable excel_prog_id(L"MIRUNE_EXCEL_PROGID", L"Mirune.TestExcel");
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
  {
    GuiProgram gui;
    HWND main = gui.WaitMain();
    SawWindow(main);
    ASSERT_NE(main, nullptr);
    HWND utility = OpenTools(gui);
    ASSERT_NE(utility, nullptr);
    ClickIn(utility, help_form::kIdToolButtons + help_form::kToolsMarking);
    HWND form11 = gui.WaitWindow(keyword_form::kWindowClass);
    ASSERT_NE(form11, nullptr);
    ClickIn(form11, keyword_form::kIdOkButton);
    const MessageBoxSeen confirm = gui.Answer(IDOK);
    EXPECT_EQ(confirm.text.rfind(Wide("以下のドキュメントの一括マーキング処理を開始します。"), 0),
              0u)
        << Narrow(confirm.text);
    // Form3 and Form11 take no input while the job asks: no second job starts from them.
    EXPECT_EQ(ClassNames(confirm.others_enabled), "");
    const MessageBoxSeen finished = gui.Answer(IDOK);
    EXPECT_EQ(finished.text, Wide("一括マーキング処理が終了しました。")) << Narrow(finished.text);
    EXPECT_TRUE(gui.Quit());
  }
  EXPECT_TRUE(opened->document->Modified().value()) << "nothing was marked in InDesign";
  EXPECT_EQ(ReadFileBytes(input).value(), sample) << "the document was saved";
  (void)(*excel)->application().Call("Quit");
  opened->document.reset();
  indesign->reset();
  com::testing::QuitTestInDesign();
  com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
  com::testing::RunTestInDesignServer(L"/UnregServer");
}

}  // namespace
}  // namespace mirune
