#include "automation/com/com_ptr_win.h"

#include <gtest/gtest.h>

#include <utility>

#include "automation/com/testing/table_dispatch_win.h"

namespace mirune::com {
namespace {

using testing::TableCounters;
using testing::TableDispatch;

// The object's reference count, read without changing it.
ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ComPtrTest, AttachAdoptsAndTheLastReleaseDeletes) {
  auto counters = std::make_shared<TableCounters>();
  {
    ComPtr<TableDispatch> object = TableDispatch::Make(counters);  // Make attaches `new`
    EXPECT_EQ(References(object.Get()), 1u);
    EXPECT_EQ(counters->live, 1);
  }
  EXPECT_EQ(counters->live, 0);
}

TEST(ComPtrTest, CopiesCountAndMovesDoNot) {
  auto counters = std::make_shared<TableCounters>();
  ComPtr<TableDispatch> object = TableDispatch::Make(counters);
  IUnknown* raw = object.Get();
  {
    ComPtr<IDispatch> copy = object;  // converting copy
    EXPECT_EQ(References(raw), 2u);
    ComPtr<IDispatch> moved = std::move(copy);
    EXPECT_FALSE(copy);
    EXPECT_EQ(References(raw), 2u);
    ComPtr<IDispatch> assigned;
    assigned = std::move(moved);
    EXPECT_EQ(References(raw), 2u);
    assigned = assigned;  // self-assignment keeps the reference
    EXPECT_EQ(References(raw), 2u);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(assigned.As(&unknown), S_OK);
    EXPECT_EQ(References(raw), 3u);
    IDispatch* detached = assigned.Detach();
    EXPECT_EQ(References(raw), 3u);
    detached->Release();
  }
  EXPECT_EQ(References(raw), 1u);
  object.Reset();
  EXPECT_EQ(counters->live, 0);
}

}  // namespace
}  // namespace mirune::com
