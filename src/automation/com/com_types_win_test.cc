#include "automation/com/com_types_win.h"

#include <gtest/gtest.h>

#include <utility>

namespace mirune::com {
namespace {

TEST(UniqueBstrTest, RoundTripsUtf8IncludingCharactersBeyondTheBmp) {
  for (const char* text : {"", "InDesign", "索引語「かな」", "𠀋𡈽", "a\tb\r\n"}) {
    Result<UniqueBstr> b = UniqueBstr::FromUtf8(text);
    ASSERT_TRUE(b.ok());
    EXPECT_EQ(b->ToUtf8(), text);
  }
  EXPECT_EQ(SysStringLen(UniqueBstr::FromUtf8("𠀋").value().get()), 2u);  // a surrogate pair
}

TEST(UniqueBstrTest, MoveHandsOverOwnership) {
  UniqueBstr a = UniqueBstr::FromUtf8("あ").value();
  BSTR raw = a.get();
  UniqueBstr b = std::move(a);
  EXPECT_EQ(a.get(), nullptr);
  EXPECT_EQ(b.get(), raw);
  EXPECT_EQ(UniqueBstr().ToUtf8(), "");
}

TEST(UniqueVariantTest, ValuesConvertBack) {
  EXPECT_EQ(VariantToInt32(UniqueVariant::Int32(-1414816098).get()).value(), -1414816098);
  EXPECT_EQ(VariantToDouble(UniqueVariant::Double(12.5).get()).value(), 12.5);
  EXPECT_TRUE(VariantToBool(UniqueVariant::Bool(true).get()).value());
  EXPECT_FALSE(VariantToBool(UniqueVariant::Bool(false).get()).value());
  EXPECT_EQ(VariantToUtf8(UniqueVariant::Text("漢字").value().get()).value(), "漢字");
}

TEST(UniqueVariantTest, CoercesAsAutomationDoes) {
  // Hosts hand numbers back as text and counts as doubles; both must read as integers.
  EXPECT_EQ(VariantToInt32(UniqueVariant::Text("12").value().get()).value(), 12);
  EXPECT_EQ(VariantToInt32(UniqueVariant::Double(3.0).get()).value(), 3);
  EXPECT_EQ(VariantToUtf8(UniqueVariant::Int32(7).get()).value(), "7");
  Result<int32_t> bad = VariantToInt32(UniqueVariant::Text("abc").value().get());
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.message().rfind("返された値が整数ではありません（0x", 0), 0u) << bad.message();
}

TEST(UniqueVariantTest, DispatchValueHoldsItsOwnReference) {
  Result<ComPtr<IDispatch>> none = VariantToDispatch(UniqueVariant::Int32(1).get());
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.message(), "返された値がオブジェクトではありません");
  EXPECT_FALSE(VariantToDispatch(UniqueVariant::Dispatch(nullptr).get()).ok());
}

TEST(UniqueVariantTest, CopyIsDeepAndMoveEmptiesTheSource) {
  UniqueVariant a = UniqueVariant::Text("索引").value();
  UniqueVariant b = a.Copy().value();
  EXPECT_NE(a.get().bstrVal, b.get().bstrVal);
  UniqueVariant c = std::move(a);
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(VariantToUtf8(c.get()).value(), "索引");
  EXPECT_EQ(UniqueVariant::Missing().get().scode, DISP_E_PARAMNOTFOUND);
}

TEST(ComApartmentTest, NestsAndRefusesAMultithreadedThread) {
  {
    ComApartment outer;
    ASSERT_TRUE(outer.status().ok());
    ComApartment inner;  // same apartment again: counted, fine
    EXPECT_TRUE(inner.status().ok());
  }
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  {
    ComApartment sta;
    ASSERT_FALSE(sta.status().ok());
    EXPECT_EQ(sta.status().message().rfind("COM を初期化できません（0x80010106", 0), 0u)
        << sta.status().message();
  }
  CoUninitialize();
}

}  // namespace
}  // namespace mirune::com
