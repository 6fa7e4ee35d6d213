// The InDesign client on what the host contract does not cover: the members it calls and how
// often, its messages, closed handles, and the faults of a server across processes.

#include <gtest/gtest.h>

#include <string>

#include "automation/com/dispatcher_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/indesign_dispatch_win.h"
#include "automation/com/message_filter_win.h"
#include "automation/com/test_indesign_server_support_win.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/host_contract.h"
#include "automation/indesign_engine/test_support.h"

namespace mirune::com {
namespace {

constexpr char kDocument[] = "C:\\Contract\\sample.indd";

class InDesignClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(apartment_.status().ok());
    engine_ = std::make_shared<indesign_engine::EngineApplication>();
    engine_->RegisterDocument(indesign_contract::ContractSampleDocument(kDocument));
    state_ = std::make_shared<InDesignDispatchState>();
    state_->application = engine_;
    client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
  }

  std::unique_ptr<indesign::Document> Open() {
    auto opened = client_->Open(kDocument);
    EXPECT_TRUE(opened.ok()) << opened.message();
    return opened.ok() ? std::move(opened->document) : nullptr;
  }

  ComApartment apartment_;
  std::shared_ptr<indesign_engine::EngineApplication> engine_;
  std::shared_ptr<InDesignDispatchState> state_;
  std::unique_ptr<indesign::Application> client_;
};

TEST_F(InDesignClientTest, PageMarkingMakesFewCallsPerTextFrame) {
  auto document = Open();
  ASSERT_NE(document, nullptr);
  state_->calls = 0;
  ASSERT_TRUE(indesign_test::MarkPages(*client_, *document).ok());
  // Five frames on four pages: Version; Pages, EveryItem and Name, then Pages, EveryItem and
  // GetElements; per page TextFrames, EveryItem and GetElements; per frame Contents; per
  // marked frame (the empty one is not) Characters, Item and the write of Contents.
  EXPECT_EQ(state_->calls, 1 + 3 + 3 + 4 * 3 + 5 + 4 * 3);
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
class InDesignServerFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(apartment_.status().ok()); }

  Dispatcher Control(ComPtr<IDispatch> server) {
    return Dispatcher(std::move(server), nullptr, "InDesign", "Application", "");
  }

  ComApartment apartment_;
};

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

TEST_F(InDesignServerFaultTest, ServerEndingInTheMiddleFailsTheNextCallWithoutHanging) {
  HANDLE process = nullptr;
  Result<ComPtr<IDispatch>> server = testing::StartPrivateTestInDesign(&process);
  ASSERT_TRUE(server.ok()) << server.message();
  auto client = MakeInDesignClient(*server);
  auto opened = client->Open(kDocument);
  ASSERT_TRUE(opened.ok()) << opened.message();
  const UniqueVariant n = UniqueVariant::Int32(5);
  ASSERT_TRUE(Control(*server).Call("EndAfterCalls", std::span<const UniqueVariant>(&n, 1)).ok());
  const DWORD start = GetTickCount();
  Status marked = indesign_test::MarkPages(*client, *opened->document);
  EXPECT_LT(GetTickCount() - start, 30000u);
  ASSERT_FALSE(marked.ok());
  EXPECT_EQ(marked.code(), ErrorCode::kHostError);
  EXPECT_NE(marked.message().find("InDesign の "), std::string::npos) << marked.message();
  EXPECT_NE(marked.message().find("0x800706BE"), std::string::npos) << marked.message();
  // Every later call fails at once too, and the process has gone.
  EXPECT_FALSE(client->Version().ok());
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  CloseHandle(process);
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
