#include "automation/excel_address.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(ExcelAddressTest, ColumnLetters) {
  const std::pair<int, const char*> cases[] = {{1, "A"},   {26, "Z"},  {27, "AA"},
                                               {52, "AZ"}, {53, "BA"}, {256, "IV"}};
  for (const auto& [column, letters] : cases) EXPECT_EQ(ColumnLetters(column), letters);
}

TEST(ExcelAddressTest, RangesRoundTrip) {
  struct Case {
    CellRange range;
    const char* address;
  };
  const Case cases[] = {
      {CellRange::Cell(3, 2), "B3"},
      {CellRange::Area(1, 1, 10, 3), "A1:C10"},
      {CellRange::Columns(3, 26), "C:Z"},
      {CellRange::Columns(3, 3), "C:C"},
      {CellRange::Rows(5, 7), "5:7"},
      {CellRange::Rows(5, 5), "5:5"},
      {CellRange::Columns(1, kExcelMaxColumns), "A:IV"},
      {CellRange::Cell(kExcelMaxRows, kExcelMaxColumns), "IV65536"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RangeAddress(c.range), c.address);
    Result<CellRange> parsed = ParseRangeAddress(c.address);
    ASSERT_TRUE(parsed.ok()) << c.address << ": " << parsed.message();
    EXPECT_EQ(RangeAddress(*parsed), c.address);
  }
}

TEST(ExcelAddressTest, ExcelsOtherSpellingsAndBadAddresses) {
  EXPECT_EQ(RangeAddress(*ParseRangeAddress("$b$3")), "B3");
  EXPECT_EQ(RangeAddress(*ParseRangeAddress("a1:$C$10")), "A1:C10");
  for (const char* bad : {"", "A", "3", "A0", "IW1", "A65537", "C3:A1", "A1:", ":A1", "A1:C", "B3x",
                          "A1:B2:C3", "A-1"}) {
    Result<CellRange> parsed = ParseRangeAddress(bad);
    EXPECT_EQ(parsed.code(), ErrorCode::kInvalidArgument) << bad;
  }
}

}  // namespace
}  // namespace mirune
