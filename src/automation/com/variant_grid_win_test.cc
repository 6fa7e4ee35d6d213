#include "automation/com/variant_grid_win.h"

#include <gtest/gtest.h>

namespace mirune::com {
namespace {

VariantGrid MakeGrid() {
  VariantGrid grid;
  grid.rows = 2;
  grid.columns = 3;
  grid.cells.push_back(UniqueVariant::Text("索引").value());
  grid.cells.push_back(UniqueVariant::Text("さくいん").value());
  grid.cells.push_back(UniqueVariant::Int32(12));
  grid.cells.push_back(UniqueVariant::Text("𠀋").value());
  grid.cells.push_back(UniqueVariant());
  grid.cells.push_back(UniqueVariant::Double(1.5));
  return grid;
}

TEST(VariantGridTest, RowsAreTheFirstDimensionAndBoundsStartAtOne) {
  UniqueVariant array = GridToVariant(MakeGrid()).value();
  ASSERT_EQ(array.type(), VT_ARRAY | VT_VARIANT);
  SAFEARRAY* sa = array.get().parray;
  LONG low = 0, high = 0;
  SafeArrayGetLBound(sa, 1, &low);
  SafeArrayGetUBound(sa, 1, &high);
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 2);
  SafeArrayGetUBound(sa, 2, &high);
  EXPECT_EQ(high, 3);
  LONG index[2] = {1, 3};  // row 1, column 3
  UniqueVariant cell;
  ASSERT_EQ(SafeArrayGetElement(sa, index, cell.put()), S_OK);
  EXPECT_EQ(VariantToInt32(cell.get()).value(), 12);
}

TEST(VariantGridTest, RoundTripsEveryKindOfValue) {
  UniqueVariant array = GridToVariant(MakeGrid()).value();
  VariantGrid back = VariantToGrid(array.get()).value();
  ASSERT_EQ(back.rows, 2);
  ASSERT_EQ(back.columns, 3);
  EXPECT_EQ(VariantToUtf8(back.at(0, 0).get()).value(), "索引");
  EXPECT_EQ(VariantToUtf8(back.at(0, 1).get()).value(), "さくいん");
  EXPECT_EQ(VariantToInt32(back.at(0, 2).get()).value(), 12);
  EXPECT_EQ(VariantToUtf8(back.at(1, 0).get()).value(), "𠀋");
  EXPECT_TRUE(back.at(1, 1).empty());
  EXPECT_EQ(VariantToDouble(back.at(1, 2).get()).value(), 1.5);
}

TEST(VariantGridTest, SingleValueIsAOneCellGrid) {
  const UniqueVariant value = UniqueVariant::Text("A1").value();
  VariantGrid grid = VariantToGrid(value.get()).value();
  EXPECT_EQ(grid.rows, 1);
  EXPECT_EQ(grid.columns, 1);
  EXPECT_EQ(VariantToUtf8(grid.at(0, 0).get()).value(), "A1");
  EXPECT_EQ(VariantToUtf8(value.get()).value(), "A1");  // the source is left as it was
}

TEST(VariantGridTest, RefusesMismatchedSizes) {
  VariantGrid grid = MakeGrid();
  grid.columns = 4;
  Result<UniqueVariant> array = GridToVariant(grid);
  ASSERT_FALSE(array.ok());
  EXPECT_EQ(array.code(), ErrorCode::kInvalidArgument);
}

}  // namespace
}  // namespace mirune::com
