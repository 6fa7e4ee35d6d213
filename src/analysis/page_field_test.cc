#include "analysis/page_field.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(PageFieldTest, FromName) {
  struct Case {
    const char* name;
    const char* text;
    bool number;
    double value;
  } cases[] = {
      {"0012", "12", true, 12},
      {"12345", "12345", true, 12345},
      {"0000", "0", true, 0},
      {" 7 ", "7", true, 7},
      {"9999999999", "9999999999", true, 9999999999.0},
      {"999999999999999", "999999999999999", true, 999999999999999.0},  // 15 digits
      {"000000999999999999999", "999999999999999", true, 999999999999999.0},
      {"1000000000000000", "1000000000000000", false, 0},  // 16 digits: text
      {"00001000000000000000", "1000000000000000", false, 0},
      {"iv", "iv", false, 0},
      {"A-3", "A-3", false, 0},
      {"12a", "12a", false, 0},
      {"-1", "-1", false, 0},
      {"１２", "１２", false, 0},
      {"", "", false, 0},
      {"   ", "", false, 0},
  };
  for (const auto& c : cases) {
    const PageField page = PageField::FromName(c.name);
    EXPECT_EQ(page.text(), c.text) << c.name;
    EXPECT_EQ(page.is_number(), c.number) << c.name;
    EXPECT_EQ(page.number(), c.value) << c.name;
    EXPECT_EQ(page.empty(), std::string(c.text).empty()) << c.name;
  }
}

TEST(PageFieldTest, EqualByTheirText) {
  EXPECT_EQ(PageField::FromName("0012"), PageField::FromName("12"));
  EXPECT_NE(PageField::FromName("12"), PageField::FromName("１２"));
  EXPECT_EQ(PageField(), PageField::FromName(""));
}

}  // namespace
}  // namespace mirune
