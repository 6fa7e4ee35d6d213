#include "gui/index_choices.h"

#include <gtest/gtest.h>

#include <iterator>

#include "gui/help_layout.h"

namespace mirune::help {
namespace {

TEST(IndexRequestOf, TheDialogsDefaultsAreTheCommandLines) {
  IndexChoices choices;
  choices.workbook = "C:\\RazozaData\\Razoza.xls";
  const IndexRequest request = IndexRequestOf(choices);
  const IndexRequest command_line;
  EXPECT_EQ(request.input, choices.workbook);
  EXPECT_EQ(request.base, "");  // beside the workbook
  EXPECT_EQ(request.sheet, command_line.sheet);
  EXPECT_EQ(request.options.headings, command_line.options.headings);
  EXPECT_EQ(request.options.others, command_line.options.others);
  EXPECT_EQ(request.options.range_mark, command_line.options.range_mark);
  EXPECT_EQ(request.options.page_separator, command_line.options.page_separator);
  EXPECT_EQ(request.options.text_pages_first, command_line.options.text_pages_first);
  EXPECT_EQ(request.by_mark, command_line.by_mark);
  EXPECT_TRUE(request.idml);
}

TEST(IndexRequestOf, EachChoice) {
  IndexChoices choices;
  choices.sheet = 2;
  choices.headings = 1;
  choices.others = 1;
  choices.range_mark = 2;
  choices.separator = 1;
  choices.text_pages = 1;
  choices.by_mark = true;
  IndexRequest request = IndexRequestOf(choices);
  EXPECT_EQ(request.sheet, "Sort_Syori1");
  EXPECT_EQ(request.options.headings, KanaHeadings::kEachKana);
  EXPECT_EQ(request.options.others, OtherGroupsPlace::kBeforeKana);
  EXPECT_EQ(request.options.range_mark, "～");
  EXPECT_EQ(request.options.page_separator, ", ");
  EXPECT_FALSE(request.options.text_pages_first);
  EXPECT_TRUE(request.by_mark);

  choices.sheet = 1;
  choices.headings = 2;
  EXPECT_EQ(IndexRequestOf(choices).sheet, "AfterSort");
  EXPECT_EQ(IndexRequestOf(choices).options.headings, KanaHeadings::kNone);
}

TEST(IndexRequestOf, EveryListHasAValueForEachChoice) {
  using namespace help_form;  // NOLINT: the lists of the dialog
  EXPECT_EQ(std::size(kRangeMarkChoices), std::size(kRangeMarks));
  EXPECT_EQ(std::size(kSeparatorChoices), std::size(kSeparators));
  for (size_t i = 0; i < std::size(kRangeMarks); ++i) {
    // The example shows the mark it stands for.
    EXPECT_NE(kRangeMarkChoices[i].find(kRangeMarks[i]), std::string_view::npos) << i;
  }
}

TEST(IndexRequestOf, AChoiceOutOfRangeTakesTheDefault) {
  IndexChoices choices;
  choices.sheet = 7;
  choices.range_mark = -1;
  choices.separator = 9;
  const IndexRequest request = IndexRequestOf(choices);
  EXPECT_EQ(request.sheet, "");
  EXPECT_EQ(request.options.range_mark, "–");
  EXPECT_EQ(request.options.page_separator, "、");
}

}  // namespace
}  // namespace mirune::help
