#include "automation/com/variant_list_win.h"

#include <gtest/gtest.h>

namespace mirune::com {
namespace {

TEST(VariantListTest, RoundTripsTextAndObjectsInOrder) {
  std::vector<UniqueVariant> values;
  values.push_back(UniqueVariant::Text("一").value());
  values.push_back(UniqueVariant::Int32(2));
  values.push_back(UniqueVariant::Text("iv").value());
  Result<UniqueVariant> array = ListToVariant(values);
  ASSERT_TRUE(array.ok());
  EXPECT_EQ(array->type(), VT_ARRAY | VT_VARIANT);
  Result<std::vector<UniqueVariant>> back = VariantToList(array->get());
  ASSERT_TRUE(back.ok()) << back.message();
  ASSERT_EQ(back->size(), 3u);
  EXPECT_EQ(VariantToUtf8((*back)[0].get()).value(), "一");
  EXPECT_EQ(VariantToInt32((*back)[1].get()).value(), 2);
  EXPECT_EQ(VariantToUtf8((*back)[2].get()).value(), "iv");
}

TEST(VariantListTest, ReadsArraysOfStringsWithAnyLowerBound) {
  SAFEARRAYBOUND bound = {2, 1};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 1, &bound);
  for (LONG i = 1; i <= 2; ++i) {
    BSTR text = SysAllocString(i == 1 ? L"a" : L"b");
    SafeArrayPutElement(array, &i, text);
    SysFreeString(text);
  }
  VARIANT value;
  value.vt = VT_ARRAY | VT_BSTR;
  value.parray = array;
  UniqueVariant owner = UniqueVariant::Adopt(value);
  Result<std::vector<UniqueVariant>> list = VariantToList(owner.get());
  ASSERT_TRUE(list.ok()) << list.message();
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ(VariantToUtf8((*list)[0].get()).value(), "a");
  EXPECT_EQ(VariantToUtf8((*list)[1].get()).value(), "b");
}

TEST(VariantListTest, SingleValuesAndEmptyAndEmptyArrays) {
  EXPECT_EQ(VariantToList(UniqueVariant::Int32(7).get()).value().size(), 1u);
  EXPECT_TRUE(VariantToList(UniqueVariant().get()).value().empty());
  Result<UniqueVariant> none = ListToVariant({});
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(VariantToList(none->get()).value().empty());
}

}  // namespace
}  // namespace mirune::com
