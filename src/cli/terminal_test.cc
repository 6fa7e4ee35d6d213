#include "cli/terminal.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
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

// A console receives the characters themselves, whatever its code page.
TEST(TerminalTest, ConsoleGetsTheCharacters) {
  FreeConsole();
  if (!AllocConsole()) GTEST_SKIP() << "no console can be made here";
  // A screen buffer of its own, so that what is written can be read back.
  HANDLE out =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE) << GetLastError();
  SetConsoleOutputCP(932);  // not UTF-8: the text must not depend on it
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(out, &info)) {
    CloseHandle(out);
    FreeConsole();
    // Wine makes a console without a screen when there is no display (run under xvfb-run).
    GTEST_SKIP() << "the console has no screen to read back";
  }
  const COORD start = info.dwCursorPosition;
  ASSERT_TRUE(WriteConsoleText(out, "索引語 ルビ"));
  wchar_t shown[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(out, shown, 6, start, &read));
  EXPECT_EQ(std::wstring(shown, read), L"\u7d22\u5f15\u8a9e \u30eb\u30d3");
  CloseHandle(out);
  FreeConsole();
}
#endif

}  // namespace
}  // namespace mirune::cli
