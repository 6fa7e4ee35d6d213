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
#include "app/gui_program_driver_win.h"
#include "app/settings_registry_win.h"
#include "app/win_text_win.h"
#include "base/file.h"
#include "progress/window_test_driver_win.h"

namespace mirune {

using namespace main_form;   // NOLINT: this window's own layout table
using namespace gui_driver;  // NOLINT: the driver of the program under test
namespace {

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
    EXPECT_EQ(gui_driver::ChildRect(control), TwipsToPixels(control_layout.rect, dpi))
        << control_layout.name;
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
  ASSERT_TRUE(
      SeedSettings(L"1", L"C:", L"C:\\mirune-folder-that-was-deleted", Wide(kFilterItemIdml)));
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
  EXPECT_EQ(ListItems(gui.control(kIdFile1)), std::vector<std::wstring>{L"章.indd"});
  const std::vector<std::wstring> folders = ListItems(gui.control(kIdDir1));
  ASSERT_FALSE(folders.empty());
  EXPECT_EQ(folders.back().substr(folders.back().find_first_not_of(L' ')), L"下");
  // The stored folder itself is the open one (not the fallback to c:\\).
  EXPECT_EQ(FolderListPath(gui.control(kIdDir1)), folder.substr(folder.rfind(L'\\') + 1));
  ASSERT_TRUE(gui.Quit());
}

TEST_F(GuiProgramTest, FilterBoxAndFileList) {
  const std::wstring folder = MakeFileFolder();
  ASSERT_TRUE(SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd)));
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
  ASSERT_TRUE(SeedSettings(L"1", L"C:", L"C:\\", Wide(kFilterItemIndd)));
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
  ASSERT_TRUE(SeedSettings(L"1", folder.substr(0, 2), folder, Wide(kFilterItemIndd)));
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
  ASSERT_TRUE(SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml)));
  const std::string results = Narrow(ProgramFolderWide()) + "\\RazozaData\\Razoza.txt";
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
  // The picture while Form6 has given way to Form2: both stand at the same place, and each
  // document of the book begins with Form6 in front again.
  if (progress) {
    Screenshot(progress, "form2_progress",
               [&] { return IsWindowVisible(progress) && !IsWindowVisible(abort_window); });
  }

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
  ASSERT_TRUE(SeedSettings(L"1", L"Z:", samples, Wide(kFilterItemIdml)));
  const std::string results = Narrow(ProgramFolderWide()) + "\\RazozaData\\Razoza.txt";
  CreateDirectoryW(Wide(Narrow(ProgramFolderWide()) + "\\RazozaData").c_str(), nullptr);
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

}  // namespace
}  // namespace mirune
