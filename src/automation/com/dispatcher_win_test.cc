#include "automation/com/dispatcher_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "automation/com/testing/table_dispatch_win.h"

namespace mirune::com {
namespace {

using testing::RaiseException;
using testing::ReturnHresult;
using testing::ReturnInt32;
using testing::ReturnObject;
using testing::ReturnText;
using testing::TableCall;
using testing::TableCounters;
using testing::TableDispatch;

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(apartment_.status().ok()); }

  Dispatcher Wrap(const ComPtr<TableDispatch>& object, std::string type, std::string path = {}) {
    return Dispatcher(object, cache_, "InDesign", std::move(type), std::move(path));
  }

  ComApartment apartment_;
  std::shared_ptr<TableCounters> counters_ = std::make_shared<TableCounters>();
  std::shared_ptr<DispIdCache> cache_ = std::make_shared<DispIdCache>();
};

TEST_F(DispatcherTest, ResolvesEachNameOncePerType) {
  ComPtr<TableDispatch> a = TableDispatch::Make(counters_);
  ComPtr<TableDispatch> b = TableDispatch::Make(counters_);
  for (auto& object : {a, b}) {
    object->Add("Name", ReturnText("x"));
    object->Add("Count", ReturnInt32(3));
  }
  Dispatcher first = Wrap(a, "Page");
  Dispatcher second = Wrap(b, "Page");
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(first.GetInt32("Count").ok());
    ASSERT_TRUE(second.GetInt32("Count").ok());
  }
  ASSERT_TRUE(first.GetText("Name").ok());
  EXPECT_EQ(counters_->lookups["Count"], 1);
  EXPECT_EQ(counters_->lookups["Name"], 1);
  // Another type resolves its own names.
  ASSERT_TRUE(Wrap(b, "Story").GetInt32("Count").ok());
  EXPECT_EQ(counters_->lookups["Count"], 2);
  EXPECT_EQ(cache_->size(), 3u);
}

TEST_F(DispatcherTest, PassesArgumentsInTheirNaturalOrder) {
  ComPtr<TableDispatch> object = TableDispatch::Make(counters_);
  std::vector<std::string> seen;
  std::vector<VARTYPE> types;
  WORD flags = 0;
  object->Add("Export", [&](TableCall& call, VARIANT*, EXCEPINFO*) {
    flags = call.flags;
    for (UniqueVariant& arg : call.args) {
      types.push_back(arg.type());
      if (arg.type() != VT_BOOL) seen.push_back(VariantToUtf8(arg.get()).value());
    }
    return S_OK;
  });
  std::vector<UniqueVariant> args;
  args.push_back(UniqueVariant::Int32(1416066168));
  args.push_back(UniqueVariant::Text("C:\\本\\story.txt").value());
  args.push_back(UniqueVariant::Bool(false));
  ASSERT_TRUE(Wrap(object, "Story").Call("Export", args).ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"1416066168", "C:\\本\\story.txt"}));
  EXPECT_EQ(types, (std::vector<VARTYPE>{VT_I4, VT_BSTR, VT_BOOL}));
  EXPECT_EQ(flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
}

TEST_F(DispatcherTest, PassesNamedArgumentsByName) {
  ComPtr<TableDispatch> object = TableDispatch::Make(counters_);
  std::map<std::string, std::string> seen;
  size_t positional = 0;
  object->Add("SaveAs",
              [&](TableCall& call, VARIANT*, EXCEPINFO*) {
                positional = call.args.size();
                for (auto& [name, value] : call.named)
                  seen[name] = VariantToUtf8(value.get()).value();
                return S_OK;
              },
              {"FileName", "FileFormat", "CreateBackup"});
  std::vector<NamedArg> named;
  named.push_back({"FileFormat", UniqueVariant::Int32(-4143)});
  named.push_back({"FileName", UniqueVariant::Text("D:\\索引.xls").value()});
  const UniqueVariant first = UniqueVariant::Int32(5);
  ASSERT_TRUE(Wrap(object, "Workbook")
                  .Call("SaveAs", std::span<const UniqueVariant>(&first, 1), named)
                  .ok());
  EXPECT_EQ(positional, 1u);
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"FileFormat", "-4143"},
                                                      {"FileName", "D:\\索引.xls"}}));
  // Member and argument names are cached together.
  ASSERT_TRUE(Wrap(object, "Workbook").Call("SaveAs", {}, named).ok());
  EXPECT_EQ(counters_->lookups["SaveAs"], 1);
}

TEST_F(DispatcherTest, PutWritesThePropertyAndGetReadsItBack) {
  ComPtr<TableDispatch> object = TableDispatch::Make(counters_);
  UniqueVariant stored;
  object->Add("Contents", [&](TableCall& call, VARIANT* result, EXCEPINFO*) -> HRESULT {
    if (call.flags & DISPATCH_PROPERTYPUT) {
      stored = std::move(call.named.at("="));
      return S_OK;
    }
    return VariantCopy(result, stored.get_mut());
  });
  Dispatcher character = Wrap(object, "Character");
  for (const char* text : {"索", "𠀋", ""}) {
    ASSERT_TRUE(character.Put("Contents", UniqueVariant::Text(text).value()).ok());
    EXPECT_EQ(character.GetText("Contents").value(), text);
  }
}

TEST_F(DispatcherTest, ObjectsAreReleasedWhenTheirHandlesGo) {
  ComPtr<TableDispatch> document = TableDispatch::Make(counters_);
  document->Add("Name", ReturnText("第1章.indd"));
  ComPtr<TableDispatch> documents = TableDispatch::Make(counters_);
  documents->Add("Item", ReturnObject(document));
  documents->Add("Count", ReturnInt32(1));
  ComPtr<TableDispatch> application = TableDispatch::Make(counters_);
  application->Add("Documents", ReturnObject(documents));
  document.Reset();
  documents.Reset();
  EXPECT_EQ(counters_->live, 3);
  {
    Dispatcher app = Wrap(application, "Application");
    for (int i = 0; i < 5; ++i) {
      Result<Dispatcher> list = app.GetObject("Documents", "Documents");
      ASSERT_TRUE(list.ok()) << list.message();
      EXPECT_EQ(list->path(), "Documents");
      Result<Dispatcher> doc = list->ItemObject(1, "Document");
      ASSERT_TRUE(doc.ok()) << doc.message();
      EXPECT_EQ(doc->path(), "Documents.Item(1)");
      EXPECT_EQ(doc->GetText("Name").value(), "第1章.indd");
    }
  }
  application.Reset();
  EXPECT_EQ(counters_->live, 0);  // every reference taken by a call was given back
}

TEST_F(DispatcherTest, FailuresNameTheMemberAndCarryTheServersText) {
  ComPtr<TableDispatch> documents = TableDispatch::Make(counters_);
  documents->Add("Item", RaiseException("ドキュメントが開かれていません"));
  documents->Add("Count", ReturnHresult(DISP_E_BADINDEX));
  documents->Add("Add", ReturnHresult(RPC_E_CALL_REJECTED));
  documents->Add("Name", ReturnText("abc"));
  Dispatcher list = Wrap(documents, "Documents", "Documents");

  struct Case {
    Status status;
    ErrorCode code;
    const char* message;
  };
  const Case cases[] = {
      {list.Item(1).status(), ErrorCode::kHostError,
       "InDesign の Documents.Item(1) が失敗しました（0x80020009: "
       "ドキュメントが開かれていません）"},
      {list.GetInt32("Count").status(), ErrorCode::kNotFound,
       "InDesign の Documents.Count が失敗しました（0x8002000B: 番号が範囲外です）"},
      {list.Call("Add").status(), ErrorCode::kHostError,
       "InDesign の Documents.Add が失敗しました（0x80010001: "
       "アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど））"},
      {list.Get("Parent").status(), ErrorCode::kHostError,
       "InDesign の Documents.Parent が失敗しました（0x80020006: 名前が見つかりません）"},
      {list.GetInt32("Name").status(), ErrorCode::kHostError,
       "InDesign の Documents.Name の値が整数ではありません（0x80020005: 引数の型が合いません）"},
      {list.GetObject("Name", "Document").status(), ErrorCode::kHostError,
       "InDesign の Documents.Name の値がオブジェクトではありません（0x80020005: "
       "引数の型が合いません）"},
  };
  for (const Case& c : cases) {
    ASSERT_FALSE(c.status.ok());
    EXPECT_EQ(c.status.code(), c.code) << c.status.message();
    EXPECT_EQ(c.status.message(), c.message);
  }
}

TEST_F(DispatcherTest, FailedNamesAreNotCached) {
  ComPtr<TableDispatch> object = TableDispatch::Make(counters_);
  Dispatcher d = Wrap(object, "Story");
  EXPECT_FALSE(d.Get("Search").ok());
  EXPECT_FALSE(d.Get("Search").ok());
  EXPECT_EQ(counters_->lookups["Search"], 2);
  EXPECT_EQ(cache_->size(), 0u);
}

TEST_F(DispatcherTest, AnExceptionWithTheCodeOfABadIndexIsNotFound) {
  ComPtr<TableDispatch> object = TableDispatch::Make(counters_);
  object->Add("Gone", [](TableCall&, VARIANT*, EXCEPINFO* excep) -> HRESULT {
    excep->scode = DISP_E_BADINDEX;
    excep->bstrDescription = SysAllocString(L"文書は既に閉じられています");
    return DISP_E_EXCEPTION;
  });
  object->Add("Failed", RaiseException("失敗"));
  Dispatcher d = Wrap(object, "Document");
  Status gone = d.Get("Gone").status();
  EXPECT_EQ(gone.code(), ErrorCode::kNotFound);
  EXPECT_EQ(gone.message(),
            "InDesign の Gone が失敗しました（0x80020009: 文書は既に閉じられています）");
  EXPECT_EQ(d.Get("Failed").code(), ErrorCode::kHostError);
}

}  // namespace
}  // namespace mirune::com
