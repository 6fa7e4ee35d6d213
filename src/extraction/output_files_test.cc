#include "extraction/output_files.h"

#include <gtest/gtest.h>

#include "base/file.h"
#include "extraction/working_files.h"

namespace mirune {
namespace {

TEST(RazozaRtfTest, HeaderEscapesAndOneParagraphPerLine) {
  const std::string rtf = BuildRazozaRtf({"索引\tさくいん\t12", "a{b}\\c\t\t", "𠮷野家\t\t3"});
  EXPECT_EQ(rtf,
            "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041\r\n"
            "{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9"
            "{\\*\\falt MS Mincho};}}\r\n"
            "\\uc1\\pard\\plain\\f0\\fs21\\lang1041\\langfe1041\r\n"
            // 索 U+7D22, 引 U+5F15, さ U+3055, く U+304F, い U+3044, ん U+3093
            "\\u32034?\\u24341?\\tab \\u12373?\\u12367?\\u12356?\\u12435?\\tab 12\\par\r\n"
            "a\\{b\\}\\\\c\\tab \\tab \\par\r\n"
            // 𠮷 is the surrogate pair D842 DFB7: both units, signed; 野 U+91CE is -28210.
            "\\u-10174?\\u-8265?\\u-28210?\\u23478?\\tab \\tab 3\\par\r\n"
            "}\r\n");
}

TEST(RazozaRtfTest, EmptyListIsAnEmptyDocument) {
  const std::string rtf = BuildRazozaRtf({});
  EXPECT_EQ(rtf.find("\\par\r\n"), std::string::npos);
  EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
}

TEST(RazozaTextTest, Cp932WithCrLf) {
  bool fallback = true;
  const std::string text = BuildRazozaText({"索引\tさくいん\t12", "A\t\t"}, &fallback);
  EXPECT_FALSE(fallback);
  EXPECT_EQ(text, "\x8d\xf5\x88\xf8\t\x82\xb3\x82\xad\x82\xa2\x82\xf1\t12\r\nA\t\t\r\n");
  EXPECT_EQ(BuildRazozaText({}), "");
}

TEST(RazozaTextTest, UnrepresentableCharacterMakesTheWholeFileUtf8WithBom) {
  const struct {
    const char* line;
  } cases[] = {{"𠮷野家\tよしのや\t3"}, {"〜\t\t1"}, {"한국\t\t2"}};
  for (const auto& c : cases) {
    bool fallback = false;
    const std::string text = BuildRazozaText({"索引\t\t1", c.line}, &fallback);
    EXPECT_TRUE(fallback) << c.line;
    EXPECT_EQ(text, std::string("\xEF\xBB\xBF索引\t\t1\r\n") + c.line + "\r\n");
  }
}

TEST(RazozaFilesTest, WrittenAtomicallyOverAnOldFile) {
  const std::string folder = std::string(MIRUNE_BINARY_DIR) + "/output_files_test";
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string path = JoinPath(folder, "Razoza.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "old content that is longer").ok());
  ASSERT_TRUE(WriteRazozaTxt(path, {"語\t\t1"}).ok());
  EXPECT_EQ(*ReadFileBytes(path), "\x8c\xea\t\t1\r\n");
  ASSERT_TRUE(WriteRazozaDoc(JoinPath(folder, "Razoza.doc"), {"語\t\t1"}).ok());
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "Razoza.doc"))->substr(0, 6), "{\\rtf1");
}

TEST(WorkingFilesTest, NamesGrowPastThreeDigits) {
  const struct {
    int64_t number;
    const char* tag;
    const char* work;
  } cases[] = {{1, "InD_Tag001.txt", "W_Temp001.doc"},
               {4, "InD_Tag004.txt", "W_Temp004.doc"},
               {999, "InD_Tag999.txt", "W_Temp999.doc"},
               {1000, "InD_Tag1000.txt", "W_Temp1000.doc"},
               {10000, "InD_Tag10000.txt", "W_Temp10000.doc"},
               {40000, "InD_Tag40000.txt", "W_Temp40000.doc"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TagFileName(c.number), c.tag);
    EXPECT_EQ(WorkDocName(c.number), c.work);
  }
  const WorkingFolders folders("data");
  EXPECT_EQ(folders.ExportPath(3), JoinPath(JoinPath("data", "temp"), "InD_Tag003.txt"));
  EXPECT_EQ(folders.razoza_xls, JoinPath(JoinPath("data", "RazozaData"), "Razoza.xls"));
}

}  // namespace
}  // namespace mirune
