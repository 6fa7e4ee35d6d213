// The InDesign client on what the host contract does not cover: the members it calls and how
// often, its messages, closed handles, and the faults of a server across processes.

#include <gtest/gtest.h>

#include <string>

#include "automation/com/dispatcher_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/message_filter_win.h"
#include "automation/com/testing/indesign_client_hosts_win.h"
#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::com {
namespace {

constexpr const char* kDocument = indesign_contract::kContractDocumentPath;

class InDesignClientTest : public testing::InProcessClientTest {};

// A host whose every object resolves every name: a document stays a document (its name says
// so), a book a book.
TEST_F(InDesignClientTest, ABookIsToldByItsNameNotByANameThatResolves) {
  state_->behaviour.documents_resolve_book_names = true;
  engine_->RegisterBook(layout::MakeBook("C:\\Contract\\book.indb", {kDocument}));
  client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
  auto document = client_->Open(kDocument);
  ASSERT_TRUE(document.ok()) << document.message();
  EXPECT_NE(document->document, nullptr);
  EXPECT_EQ(document->book, nullptr);
  ASSERT_TRUE(document->document->Close(indesign::kSaveNo).ok());
  auto book = client_->Open("C:\\Contract\\book.indb");
  ASSERT_TRUE(book.ok()) << book.message();
  EXPECT_NE(book->book, nullptr);
}

// ChangeText's and Search's results count in either shape.
TEST_F(InDesignClientTest, ChangeCountsReadInEitherShape) {
  for (const bool objects : {true, false}) {
    state_->behaviour.lists_as_objects = objects;
    client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
    auto document = Open();
    ASSERT_NE(document, nullptr);
    indesign::ChangeFormatting formatting;
    formatting.fill_color = "RazozaMark1";
    ASSERT_TRUE(client_->SetChangeFormatting(formatting).ok());
    ASSERT_TRUE(client_->SetFindWhat("の").ok());
    ASSERT_TRUE(client_->SetChangeTo("").ok());
    Result<int32_t> changed = client_->ChangeText();
    ASSERT_TRUE(changed.ok()) << changed.message();
    EXPECT_GT(*changed, 1) << objects;
    ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
  }
}

TEST_F(InDesignClientTest, ClosedDocumentHandlesFailAsNotFoundWithoutCallingInDesign) {
  auto document = Open();
  ASSERT_NE(document, nullptr);
  auto page = document->PageItem(1).value();
  ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
  const int64_t calls = state_->calls;
  EXPECT_EQ(document->PageCount().code(), ErrorCode::kNotFound);
  EXPECT_EQ(page->Name().code(), ErrorCode::kNotFound);
  EXPECT_EQ(state_->calls, calls);
  // Another handle of the same document learns it from InDesign: kNotFound as well.
  auto again = Open();
  ASSERT_NE(again, nullptr);
  auto other = client_->DocumentItem(1).value();
  ASSERT_TRUE(again->Close(indesign::kSaveNo).ok());
  Result<int32_t> count = other->PageCount();
  EXPECT_EQ(count.code(), ErrorCode::kNotFound);
  EXPECT_NE(count.message().find("0x80020009"), std::string::npos) << count.message();
}

TEST_F(InDesignClientTest, FailuresNameTheMemberAndCarryInDesignsText) {
  auto document = Open();
  ASSERT_NE(document, nullptr);
  Status exported = document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat + 1, "x");
  EXPECT_EQ(exported.code(), ErrorCode::kHostError);
  EXPECT_EQ(
      exported.message(),
      "InDesign の Document.Stories.Item(1).Export(1416066169, \"x\") が失敗しました（0x80020009: "
      "書き出し形式 1416066169 はタグ付きテキストではありません）");
  EXPECT_EQ(client_->DocumentItem(0).code(), ErrorCode::kNotFound);
  EXPECT_EQ(client_->DocumentItem(2).code(), ErrorCode::kNotFound);
}

TEST_F(InDesignClientTest, ChangeFormattingAndFindOptionsRoundTrip) {
  indesign::ChangeFormatting formatting;
  formatting.fill_color = "RazozaMark1";
  ASSERT_TRUE(client_->SetChangeFormatting(formatting).ok());
  EXPECT_EQ(client_->GetChangeFormatting().value().fill_color, "RazozaMark1");
  EXPECT_EQ(client_->GetChangeFormatting().value().applied_character_style, "");
  ASSERT_TRUE(client_->SetFindOptions({true, false}).ok());
  EXPECT_TRUE(engine_->GetFindOptions().value().case_sensitive);
  EXPECT_FALSE(client_->GetFindOptions().value().whole_word);
}

// Across processes: the faults of the server (registered for the whole test program, see
// indesign_contract_win_test.cc).
class InDesignServerFaultTest : public testing::TestInDesignServerTest {};

TEST_F(InDesignServerFaultTest, ServerThatFailsEveryCallGivesItsTextAndTheCode) {
  Result<ComPtr<IDispatch>> server = testing::ResetTestInDesign("");
  ASSERT_TRUE(server.ok()) << server.message();
  Dispatcher control = Control(*server);
  const UniqueVariant on = UniqueVariant::Bool(true);
  ASSERT_TRUE(control.Call("FailEveryCall", std::span<const UniqueVariant>(&on, 1)).ok());
  auto client = MakeInDesignClient(*server);
  Result<indesign::OpenedItem> opened = client->Open(kDocument);
  EXPECT_EQ(opened.code(), ErrorCode::kHostError);
  EXPECT_EQ(opened.message(),
            "InDesign の Open(\"C:\\Contract\\sample.i…\") が失敗しました（0x80020009: "
            "試験用 InDesign はすべての呼び出しを失敗させています）");
  EXPECT_FALSE(client->Version().ok());
  const UniqueVariant off = UniqueVariant::Bool(false);
  ASSERT_TRUE(control.Call("FailEveryCall", std::span<const UniqueVariant>(&off, 1)).ok());
  EXPECT_TRUE(client->Version().ok());
}

// What a client sees of a busy InDesign once its retries are spent: the rejection's code and
// its Japanese cause, and the calls work again when InDesign is free.
TEST_F(InDesignServerFaultTest, RejectedCallsFailWithTheBusyCauseUntilTheServerIsFree) {
  Result<ComPtr<IDispatch>> server = testing::ResetTestInDesign("");
  ASSERT_TRUE(server.ok()) << server.message();
  auto client = MakeInDesignClient(*server);
  const UniqueVariant ms = UniqueVariant::Int32(800);
  ASSERT_TRUE(Control(*server).Call("RejectCallsFor", std::span<const UniqueVariant>(&ms, 1)).ok());
  Result<std::string> version = client->Version();
  EXPECT_EQ(version.code(), ErrorCode::kHostError);
  EXPECT_EQ(version.message(),
            "InDesign の Version が失敗しました（0x80010001: "
            "アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど））");
  Sleep(1000);
  EXPECT_TRUE(client->Version().ok());
}

// The retry through the client's message filter needs a COM runtime that consults the
// server's filter: Windows, not Wine 8.
TEST_F(InDesignServerFaultTest, BusyServerIsRetriedThroughTheMessageFilter) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr) {
    GTEST_SKIP() << "Wine ignores the server's message filter";
  }
  Result<ComPtr<IDispatch>> server = testing::ResetTestInDesign("");
  ASSERT_TRUE(server.ok()) << server.message();
  auto client = MakeInDesignClient(*server);
  MessageFilterScope filter(BusyRetryPolicy{10000, 100});
  ASSERT_TRUE(filter.status().ok());
  const UniqueVariant ms = UniqueVariant::Int32(600);
  ASSERT_TRUE(Control(*server).Call("BeBusy", std::span<const UniqueVariant>(&ms, 1)).ok());
  Result<std::string> version = client->Version();
  ASSERT_TRUE(version.ok()) << version.message();
  EXPECT_GT(filter.filter()->rejections(), 0);
}

}  // namespace
}  // namespace mirune::com
