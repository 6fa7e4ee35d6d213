#include "workbook/entry_rows.h"

#include <gtest/gtest.h>

#include <string>

namespace mirune {
namespace {

std::string Show(const std::vector<EntryRow>& rows) {
  std::string out;
  for (const EntryRow& r : rows) {
    out += "[" + r.term + "|" + r.reading + "|" +
           (r.page.empty() ? "-" : (r.page.is_number() ? "#" : "") + r.page.text()) + "]";
  }
  return out;
}

TEST(EntryRowsTest, Lines) {
  struct Case {
    const char* text;
    const char* rows;
  };
  const Case cases[] = {
      {"索引\tさくいん\t12\n", "[索引|さくいん|#12]"},
      {"索引\tさくいん\t12", "[索引|さくいん|#12]"},   // no final LF
      {"a\tb\t1\r\nc\td\t2\r\n", "[a|b|#1][c|d|#2]"},  // CR LF
      {"a\tb\t\n", "[a|b|-]"},                         // no page
      {"a\tb\n", "[a|b|-]"},                           // two fields
      {"a\n", "[a||-]"},                               // one field
      {"\n\na\tb\t3\n\n", "[a|b|#3]"},                 // empty lines skipped
      {"123\t456\t7\n", "[123|456|#7]"},               // numeric-looking text
      // A page name that is no page number is kept as written (the page rule: page_field).
      {"a\tb\tiv\n", "[a|b|iv]"},
      // Control characters go before the line is split.
      {"和\x01紙\tわ\x7fし\t1\x1b"
       "2\n",
       "[和紙|わし|#12]"},
      {"\x01\x02\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    auto rows = ParseEntryRows(c.text);
    ASSERT_TRUE(rows.ok()) << c.text << ": " << rows.message();
    EXPECT_EQ(Show(*rows), c.rows) << c.text;
  }
}

TEST(EntryRowsTest, BadLinesNameTheLine) {
  auto rows = ParseEntryRows("a\tb\t1\nc\td\te\tf\n");
  ASSERT_FALSE(rows.ok());
  EXPECT_EQ(rows.code(), ErrorCode::kFormatError);
  EXPECT_NE(rows.message().find("索引リストの 2 行目: TAB で区切られた項目が 4 つ以上"),
            std::string::npos)
      << rows.message();
}

TEST(EntryRowsTest, MoreEntriesThanASheetHoldsFail) {
  std::string text;
  for (int i = 0; i < 65536; ++i) text += "a\tb\t1\n";
  EXPECT_TRUE(ParseEntryRows(text).ok());
  text += "\n\n";  // empty lines do not count
  EXPECT_TRUE(ParseEntryRows(text).ok());
  text += "z\tz\t2\n";
  auto rows = ParseEntryRows(text);
  EXPECT_EQ(rows.code(), ErrorCode::kOverflow);
  EXPECT_NE(rows.message().find("65537"), std::string::npos);
}

}  // namespace
}  // namespace mirune
