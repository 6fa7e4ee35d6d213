// Windows only: the wide paths of the file API.
#ifdef _WIN32

#include "base/wide_path.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(WidePathTest, ShortPathsKeepTheirFormWithBackslashes) {
  EXPECT_EQ(ToWidePath("C:/data/Razoza.xls"), L"C:\\data\\Razoza.xls");
  EXPECT_EQ(ToWidePath("C:\\索引\\a.txt"), L"C:\\\u7d22\u5f15\\a.txt");
  EXPECT_EQ(ToWidePath("\\\\?\\C:\\x"), L"\\\\?\\C:\\x");
}

TEST(WidePathTest, LongPathsGetThePrefix) {
  const std::string long_name(300, 'a');
  EXPECT_EQ(ToWidePath("C:\\" + long_name), L"\\\\?\\C:\\" + std::wstring(300, L'a'));
  EXPECT_EQ(ToWidePath("C:/x/../" + long_name), L"\\\\?\\C:\\" + std::wstring(300, L'a'));
  EXPECT_EQ(ToWidePath("\\\\server\\share\\" + long_name),
            L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'a'));
}

TEST(WidePathTest, FromWidePathTakesThePrefixOff) {
  EXPECT_EQ(FromWidePath(L"\\\\?\\C:\\x\\\u7d22"), "C:\\x\\索");
  EXPECT_EQ(FromWidePath(L"\\\\?\\UNC\\server\\share\\x"), "\\\\server\\share\\x");
  EXPECT_EQ(FromWidePath(L"C:\\x"), "C:\\x");
}

}  // namespace
}  // namespace mirune

#endif  // _WIN32
