// Windows only: the wide paths of the file API.
#ifdef _WIN32

#include "base/wide_path.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace mirune {
namespace {

const std::string kLongName(300, 'a');
const std::wstring kLongWide(300, L'a');

struct WideCase {
  std::string path;
  std::wstring wide;
};

TEST(WidePathTest, FullyQualifiedShortPathsKeepTheirFormWithBackslashes) {
  const WideCase cases[] = {
      {"C:/data/Razoza.xls", L"C:\\data\\Razoza.xls"},
      {"C:\\索引\\a.txt", L"C:\\\u7d22\u5f15\\a.txt"},
      {"C:\\data/索引 データ\\a b.txt", L"C:\\data\\\u7d22\u5f15 \u30c7\u30fc\u30bf\\a b.txt"},
      {"\\\\server\\share\\a.txt", L"\\\\server\\share\\a.txt"},
      {"//server/share/a.txt", L"\\\\server\\share\\a.txt"},
      {"\\\\server/share\\索引/a.txt", L"\\\\server\\share\\\u7d22\u5f15\\a.txt"},
      // Already prefixed, or a device: as given (slashes turned, as the prefix needs).
      {"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {"\\\\?\\C:/x/y", L"\\\\?\\C:\\x\\y"},
      {"\\\\?\\UNC\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
      {"\\\\.\\pipe\\mirune", L"\\\\.\\pipe\\mirune"},
  };
  for (const WideCase& c : cases) EXPECT_EQ(ToWidePath(c.path), c.wide) << c.path;
}

TEST(WidePathTest, LongPathsGetThePrefix) {
  const WideCase cases[] = {
      {"C:\\" + kLongName, L"\\\\?\\C:\\" + kLongWide},
      {"C:/" + kLongName, L"\\\\?\\C:\\" + kLongWide},
      {"C:/x/../" + kLongName, L"\\\\?\\C:\\" + kLongWide},
      {"C:\\x\\.\\y\\..\\" + kLongName, L"\\\\?\\C:\\x\\" + kLongWide},
      {"\\\\server\\share\\" + kLongName, L"\\\\?\\UNC\\server\\share\\" + kLongWide},
      {"//server/share/x/../" + kLongName, L"\\\\?\\UNC\\server\\share\\" + kLongWide},
      {"\\\\?\\C:\\" + kLongName, L"\\\\?\\C:\\" + kLongWide},
  };
  for (const WideCase& c : cases) EXPECT_EQ(ToWidePath(c.path), c.wide) << c.path;
}

std::wstring CurrentFolder() {
  std::wstring cwd(GetCurrentDirectoryW(0, nullptr), L'\0');
  cwd.resize(GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
  if (cwd.back() != L'\\') cwd += L'\\';
  return cwd;
}

// Relative forms depend on the current folder: they are resolved, and the prefix is added
// when the current folder makes them long.
TEST(WidePathTest, RelativePathsAreResolvedFromTheCurrentFolder) {
  const std::wstring cwd = CurrentFolder();
  ASSERT_LT(cwd.size(), 100u);
  EXPECT_EQ(ToWidePath("a.txt"), cwd + L"a.txt");
  EXPECT_EQ(ToWidePath("x/../索引.txt"), cwd + L"\u7d22\u5f15.txt");
  EXPECT_EQ(ToWidePath(".\\a b\\c.txt"), cwd + L"a b\\c.txt");
  EXPECT_EQ(ToWidePath(kLongName), L"\\\\?\\" + cwd + kLongWide);
  // "C:a.txt" is a.txt in the current folder of drive C; "\a.txt" is at the root of the
  // current drive.
  const std::wstring drive = cwd.substr(0, 2);
  const std::string drive_utf8(drive.begin(), drive.end());
  EXPECT_EQ(ToWidePath(drive_utf8 + "a.txt"), cwd + L"a.txt");
  EXPECT_EQ(ToWidePath("\\a.txt"), drive + L"\\a.txt");
  EXPECT_EQ(ToWidePath("/a.txt"), drive + L"\\a.txt");
}

TEST(WidePathTest, FromWidePathTakesThePrefixOff) {
  const struct {
    std::wstring wide;
    std::string path;
  } cases[] = {
      {L"\\\\?\\C:\\x\\\u7d22", "C:\\x\\索"},
      {L"\\\\?\\UNC\\server\\share\\x", "\\\\server\\share\\x"},
      {L"C:\\x", "C:\\x"},
      {L"\\\\server\\share\\a b", "\\\\server\\share\\a b"},
      {L"\\\\?\\C:\\" + kLongWide, "C:\\" + kLongName},
      {L"\\\\?\\UNC\\server\\share\\" + kLongWide, "\\\\server\\share\\" + kLongName},
  };
  for (const auto& c : cases) EXPECT_EQ(FromWidePath(c.wide), c.path) << c.path;
}

}  // namespace
}  // namespace mirune

#endif  // _WIN32
