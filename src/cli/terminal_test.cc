#include "cli/terminal.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>
#endif

namespace mirune::cli {
namespace {

TEST(TerminalTest, CommandLineNamesTheCommandAndEndsTheLine) {
  EXPECT_EQ(CommandLine("resort", "a.xls が見つかりません"),
            "mirune resort: a.xls が見つかりません\n");
  EXPECT_EQ(CommandLine("entries", "x\n"), "mirune entries: x\n");
}

#ifdef _WIN32
// A file or a pipe is not a console: the caller writes the UTF-8 bytes itself.
TEST(TerminalTest, FilesAndPipesAreNotConsoles) {
  HANDLE read_end = nullptr, write_end = nullptr;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
  EXPECT_FALSE(WriteConsoleText(write_end, "索引\n"));
  DWORD waiting = 1;
  ASSERT_TRUE(PeekNamedPipe(read_end, nullptr, 0, nullptr, &waiting, nullptr));
  EXPECT_EQ(waiting, 0u);  // nothing was written
  CloseHandle(read_end);
  CloseHandle(write_end);
  EXPECT_FALSE(WriteConsoleText(INVALID_HANDLE_VALUE, "x"));
  EXPECT_FALSE(WriteConsoleText(nullptr, "x"));
}

// A console of the test's own (under CTest the standard handles are pipes). Wine makes one
// without a screen or input when there is no display: run the tests under xvfb-run.
bool MakeConsole() {
  FreeConsole();
  if (!AllocConsole()) return false;
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info;
  const bool usable = out != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(out, &info);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (!usable) FreeConsole();
  return usable;
}

// A console receives the characters themselves, whatever its code page.
TEST(TerminalTest, ConsoleGetsTheCharacters) {
  if (!MakeConsole()) GTEST_SKIP() << "no usable console here";
  // A screen buffer of its own, so that what is written can be read back.
  HANDLE out =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE) << GetLastError();
  SetConsoleOutputCP(932);  // not UTF-8: the text must not depend on it
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(out, &info));
  const COORD start = info.dwCursorPosition;
  ASSERT_TRUE(WriteConsoleText(out, "索引語 ルビ"));
  wchar_t shown[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(out, shown, 6, start, &read));
  EXPECT_EQ(std::wstring(shown, read), L"\u7d22\u5f15\u8a9e \u30eb\u30d3");
  CloseHandle(out);
  FreeConsole();
}

// The console's code pages are the user's: the shell goes on using them after the program.
TEST(TerminalTest, SetUpLeavesTheConsoleCodePages) {
  if (!MakeConsole()) GTEST_SKIP() << "no usable console here";
  ASSERT_TRUE(SetConsoleOutputCP(932));
  ASSERT_TRUE(SetConsoleCP(932));
  SetUpConsole();
  EXPECT_EQ(GetConsoleOutputCP(), 932u);
  EXPECT_EQ(GetConsoleCP(), 932u);
  FreeConsole();
}

INPUT_RECORD Key(wchar_t c) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = TRUE;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
  record.Event.KeyEvent.uChar.UnicodeChar = c;
  return record;
}

// An answer typed in Japanese at a console whose code page is not UTF-8 arrives whole.
TEST(TerminalTest, ConsoleLinesAreReadAsTyped) {
  if (!MakeConsole()) GTEST_SKIP() << "no usable console here";
  SetConsoleCP(932);
  HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  std::vector<INPUT_RECORD> keys;
  for (const wchar_t c : std::wstring(L"\u306f\u3044 \r\U0001F600\r\x1a\r")) keys.push_back(Key(c));
  DWORD written = 0;
  ASSERT_TRUE(WriteConsoleInputW(in, keys.data(), static_cast<DWORD>(keys.size()), &written));
  std::string line;
  ASSERT_EQ(ReadConsoleLine(in, &line), ConsoleRead::kLine);
  EXPECT_EQ(line, "はい ");
  ASSERT_EQ(ReadConsoleLine(in, &line), ConsoleRead::kLine);
  EXPECT_EQ(line, "😀");
  EXPECT_EQ(ReadConsoleLine(in, &line), ConsoleRead::kEnd);
  CloseHandle(in);
  FreeConsole();
  HANDLE read_end = nullptr, write_end = nullptr;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
  EXPECT_EQ(ReadConsoleLine(read_end, &line), ConsoleRead::kNotConsole);
  CloseHandle(read_end);
  CloseHandle(write_end);
}
#endif

}  // namespace
}  // namespace mirune::cli
