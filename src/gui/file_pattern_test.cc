#include "gui/file_pattern.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(FilePatternTest, SplitTrimsBlanksAndDropsEmptyParts) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitFilePatterns("*.indd; (InDesignドキュメント)"),
            (V{"*.indd", "(InDesignドキュメント)"}));
  EXPECT_EQ(SplitFilePatterns("*.*"), (V{"*.*"}));
  EXPECT_EQ(SplitFilePatterns(" *.a ;; *.b;"), (V{"*.a", "*.b"}));
  EXPECT_EQ(SplitFilePatterns(""), V{});
}

TEST(FilePatternTest, FilterItemsListTheirFiles) {
  struct Case {
    std::string_view filter;
    std::string_view name;
    bool listed;
  } cases[] = {
      {kFilterItemIndd, "本文.indd", true},
      {kFilterItemIndd, "本文.INDD", true},
      {kFilterItemIndd, "本文.indb", false},
      {kFilterItemIndd, "(InDesignドキュメント)", true},  // a file of that very name
      {kFilterItemIndd, "InDesignドキュメント", false},
      {kFilterItemIndb, "全集.indb", true},
      {kFilterItemAll, "README", true},
      {kFilterItemAll, "a.b.c", true},
      {kFilterItemIdml, "chapter1.idml", true},
      {kFilterItemIdml, "chapter1.idml.bak", false},
      {"*.indd", "x.indd", true},
      {"*.txt", "メモ.txt", true},
      {"*.txt", "メモ.text", false},
      {"章?.idml", "章1.idml", true},
      {"章?.idml", "章10.idml", false},
      {"*a*b*c", "xaxxbxxc", true},
      {"*a*b*c", "xaxxbxxcx", false},
      {"ｆ*.txt", "Ｆ1.txt", true},
      {"", "x", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesAnyFilePattern(c.name, SplitFilePatterns(c.filter)), c.listed)
        << c.filter << " / " << c.name;
  }
}

TEST(FilePatternTest, LongHostileNamesMatchQuickly) {
  const std::string name(20000, 'a');
  EXPECT_FALSE(MatchesFilePattern(name, "*a*a*a*a*a*a*a*a*b"));
}

TEST(FilePatternTest, BookFoldersOnlyForIdmlPatterns) {
  EXPECT_TRUE(PatternsListIdmlBooks(SplitFilePatterns(kFilterItemIdml)));
  EXPECT_TRUE(PatternsListIdmlBooks(SplitFilePatterns("*.IDML")));
  EXPECT_FALSE(PatternsListIdmlBooks(SplitFilePatterns(kFilterItemAll)));
  EXPECT_FALSE(PatternsListIdmlBooks(SplitFilePatterns(kFilterItemIndd)));
  EXPECT_EQ(BookFolderEntry("本"), "本\\");
  EXPECT_EQ(BookFolderOfEntry("本\\"), "本");
  EXPECT_EQ(BookFolderOfEntry("本.idml"), "");
  EXPECT_EQ(BookFolderOfEntry("\\"), "");
}

}  // namespace
}  // namespace mirune
