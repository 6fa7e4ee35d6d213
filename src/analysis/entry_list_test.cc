#include "analysis/entry_list.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(TidyIndexDocumentTest, Normalises) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"\r", ""},
      {"a\tb\t1", "a\tb\t1\n"},
      // Empty paragraphs anywhere disappear, whatever their number.
      {"\r\r\ra\tb\t1\r\r\r\rc\td\t2\r\r", "a\tb\t1\nc\td\t2\n"},
      {"a\r\n\r\nb\n", "a\nb\n"},
      // A manual line break splits an entry line: the part before it stands alone.
      {"ab\vcd\tx\t3", "ab\ncd\tx\t3\n"},
      {"\v\va\v", "a\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(TidyIndexDocument(c.in), c.out) << c.in;
}

TEST(EntryListTest, AppendsStoriesInOrderAndCounts) {
  EntryList list;
  EXPECT_TRUE(list.empty());
  list.AppendStoryText("\r\r");
  EXPECT_TRUE(list.empty());
  list.AppendStoryText("B\tb\t2\r\r");
  list.AddEntries(1);
  list.AppendStoryText("\rA\ta\t1\r\rC\vD\td\t9\r");
  list.AddEntries(2);
  EXPECT_EQ(list.text(), "B\tb\t2\nA\ta\t1\nC\nD\td\t9\n");
  EXPECT_EQ(list.line_count(), 4u);
  EXPECT_EQ(list.entry_count(), 3);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"B\tb\t2", "A\ta\t1", "C", "D\td\t9"}));
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.entry_count(), 0);
}

TEST(EntryListTest, CountPassesSixteenBits) {
  EntryList list;
  std::string story;
  for (int i = 0; i < 40000; ++i) story += "t\tt\t1\r";
  list.AppendStoryText(story);
  list.AddEntries(40000);
  EXPECT_EQ(list.entry_count(), 40000);
  EXPECT_EQ(list.line_count(), 40000u);
}

}  // namespace
}  // namespace mirune
