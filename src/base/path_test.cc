#include "base/path.h"

#include <gtest/gtest.h>

#include <set>

namespace mirune {
namespace {

struct SplitCase {
  const char* path;
  const char* file_name;
  const char* parent;
};

TEST(PathTest, FileNameAndParentFolder) {
  const SplitCase cases[] = {
      {"a/b.idml", "b.idml", "a"},
      {"/b", "b", "/"},
      {"b.idml", "b.idml", ""},
      {"/data/索引/Razoza.xls", "Razoza.xls", "/data/索引"},
      {"a//b", "b", "a"},
      {"a/", "", "a"},
      {"/", "", "/"},
      {"a/../b c.idml", "b c.idml", "a/.."},
#ifndef _WIN32
      {"//b", "b", "/"},
#else
      {"C:\\book\\ch1.idml", "ch1.idml", "C:\\book"},
      {"C:\\ch1.idml", "ch1.idml", "C:\\"},
      {"C:/book/ch1.idml", "ch1.idml", "C:/book"},
      {"C:\\book/索引 データ\\ch1.idml", "ch1.idml", "C:\\book/索引 データ"},
      {"C:\\", "", "C:\\"},
      // Drive-relative: the current folder of drive C.
      {"C:ch1.idml", "ch1.idml", "C:"},
      {"C:book\\ch1.idml", "ch1.idml", "C:book"},
      {"C:", "", "C:"},
      // The root of the current drive.
      {"\\ch1.idml", "ch1.idml", "\\"},
      {"\\book\\ch1.idml", "ch1.idml", "\\book"},
      // Network paths: the share is the root.
      {"\\\\server\\share\\ch1.idml", "ch1.idml", "\\\\server\\share\\"},
      {"\\\\server\\share\\book\\ch1.idml", "ch1.idml", "\\\\server\\share\\book"},
      {"\\\\server\\share\\", "", "\\\\server\\share\\"},
      {"\\\\server\\share", "", "\\\\server\\share"},
      {"//server/share/ch1.idml", "ch1.idml", "//server/share/"},
      {"\\\\server/share\\book/ch1.idml", "ch1.idml", "\\\\server/share\\book"},
      // The long-path prefix.
      {"\\\\?\\C:\\ch1.idml", "ch1.idml", "\\\\?\\C:\\"},
      {"\\\\?\\C:\\book\\ch1.idml", "ch1.idml", "\\\\?\\C:\\book"},
      {"\\\\?\\UNC\\server\\share\\ch1.idml", "ch1.idml", "\\\\?\\UNC\\server\\share\\"},
      {"\\\\?\\UNC\\server\\share\\a\\ch1.idml", "ch1.idml", "\\\\?\\UNC\\server\\share\\a"},
      {"\\\\.\\pipe\\x", "x", "\\\\.\\pipe\\"},
#endif
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(FileName(c.path), c.file_name) << c.path;
    EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
  }
}

TEST(PathTest, JoinPathAddsOneSeparator) {
#ifdef _WIN32
  const struct {
    const char* folder;
    const char* joined;
  } cases[] = {
      {"C:\\data", "C:\\data\\a.txt"},
      {"C:\\data\\", "C:\\data\\a.txt"},
      {"C:/data/", "C:/data/a.txt"},
      {"C:\\", "C:\\a.txt"},
      {"C:", "C:a.txt"},  // stays in drive C's current folder
      {"C:book", "C:book\\a.txt"},
      {"\\", "\\a.txt"},
      {"\\\\server\\share", "\\\\server\\share\\a.txt"},
      {"\\\\server\\share\\", "\\\\server\\share\\a.txt"},
      {"\\\\?\\UNC\\server\\share", "\\\\?\\UNC\\server\\share\\a.txt"},
      {"\\\\?\\C:", "\\\\?\\C:\\a.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, "a.txt"), c.joined) << c.folder;
#else
  EXPECT_EQ(JoinPath("/data", "a.txt"), "/data/a.txt");
  EXPECT_EQ(JoinPath("/data/", "a.txt"), "/data/a.txt");
#endif
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
  EXPECT_EQ(JoinPath("x/", "a.txt"), "x/a.txt");
}

TEST(PathTest, ExtensionComparesAsciiLettersWithoutCase) {
  const struct {
    const char* path;
    bool idml;
  } cases[] = {
      {"ch1.idml", true},     {"ch1.IDML", true},       {"/book/ch1.IdMl", true},
      {"ch1.idm", false},     {"ch1.idml.bak", false},  {".idml", false},
      {"/book/.idml", false}, {"book.idml/ch1", false}, {"索引.idml", true},
      {"idml", false},        {"a.b.idml", true},
  };
  for (const auto& c : cases) EXPECT_EQ(PathExtensionIs(c.path, ".idml"), c.idml) << c.path;
}

TEST(PathTest, TemporaryNamesAreShortAndRecognisable) {
  std::set<std::string> names;
  for (uint64_t e : {0ull, 1ull, 36ull, 0xFFFFFFFFFFFFFFFFull, 123456789ull}) {
    const std::string name = TemporaryFileName(e);
    EXPECT_TRUE(IsTemporaryFileName(name)) << name;
    EXPECT_EQ(name.size(), 20u) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 5u);
  for (const char* other :
       {".mirune-.tmp", ".mirune-abcdefgh.tmpx", "mirune-abcdefgh.tmp", ".mirune-ABCDEFGH.tmp",
        ".mirune-abcdefg.tmp", "Razoza.txt", "x.mirune-abcdefgh.tmp"}) {
    EXPECT_FALSE(IsTemporaryFileName(other)) << other;
  }
}

}  // namespace
}  // namespace mirune
