#include "workbook/entry_rows.h"

#include <gtest/gtest.h>

#include <string>

namespace mirune {
namespace {

std::string Show(const std::vector<EntryRow>& rows) {
  std::string out;
  for (const EntryRow& r : rows) {
    out += "[" + r.term + "|" + r.reading + "|" + (r.page ? std::to_string(*r.page) : "-") + "]";
  }
  return out;
}

TEST(EntryRowsTest, Lines) {
  struct Case {
    const char* text;
    const char* rows;
  };
  const Case cases[] = {
      {"索引\tさくいん\t12\n", "[索引|さくいん|12]"},
      {"索引\tさくいん\t12", "[索引|さくいん|12]"},  // no final LF
      {"a\tb\t1\r\nc\td\t2\r\n", "[a|b|1][c|d|2]"},  // CR LF
      {"a\tb\t\n", "[a|b|-]"},                       // no page
      {"a\tb\n", "[a|b|-]"},                         // two fields
      {"a\n", "[a||-]"},                             // one field
      {"\n\na\tb\t3\n\n", "[a|b|3]"},                // empty lines skipped
      {"123\t456\t7\n", "[123|456|7]"},              // numeric-looking text
      {"a\tb\t 12 \n", "[a|b|12]"},                  // spaces around the page
      {"", ""},
  };
  for (const Case& c : cases) {
    auto rows = ParseEntryRows(c.text);
    ASSERT_TRUE(rows.ok()) << c.text << ": " << rows.message();
    EXPECT_EQ(Show(*rows), c.rows) << c.text;
  }
}

TEST(EntryRowsTest, BadLinesNameTheLine) {
  struct Case {
    const char* text;
    const char* message_part;
  };
  const Case cases[] = {
      {"a\tb\t1\nc\td\te\tf\n", "line 2: more than three"},
      {"a\tb\tx12\n", "line 1: the page \"x12\" is not a number"},
      {"a\tb\t-1\n", "is not a number"},
      {"a\tb\t1234567890\n", "is not a number"},
  };
  for (const Case& c : cases) {
    auto rows = ParseEntryRows(c.text);
    ASSERT_FALSE(rows.ok()) << c.text;
    EXPECT_EQ(rows.code(), ErrorCode::kFormatError);
    EXPECT_NE(rows.message().find(c.message_part), std::string::npos) << rows.message();
  }
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
