// The InDesign client on what the host contract does not cover: the members it calls and how
// often, its messages, closed handles, and the faults of a server across processes.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "automation/com/dispatcher_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/message_filter_win.h"
#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "extraction/testing/mark_pages.h"

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

// Page marking on every shape of list results and every set of members, with its calls
// (counted in the adapter; name look-ups are not calls there). Five frames on four pages, one
// frame empty: Version; per frame Contents; per marked frame Characters, Item and the write of
// Contents (5 + 4 × 3 = 17 with the Version: "rest" below). The first batched read of each kind
// is checked against Count once.
TEST_F(InDesignClientTest, PageMarkingOnEveryShapeAndMemberSet) {
  struct Case {
    const char* name;
    bool objects;
    std::set<std::string> without;
    int64_t calls;
    size_t fallbacks;
  };
  constexpr int64_t kRest = 1 + 5 + 4 * 3;
  const Case cases[] = {
      // Names: Pages, EveryItem, Name, Count. Pages: Pages, EveryItem, GetElements, Count.
      // Per page: TextFrames, EveryItem, GetElements.
      {"arrays", false, {}, kRest + 4 + 4 + 4 * 3, 0},
      // Names: as above with the list's Count and four Items. Pages: the same, and then the
      // plain members from here on (a collection costs what they cost and two calls more).
      // Per page: TextFrames, Count, an Item per frame.
      {"objects", true, {}, kRest + (4 + 1 + 4) + (4 + 1 + 4) + 4 * 2 + 5, 1},
      // Names: Pages, then Count and per page Item and Name. Pages: Pages, Count, four
      // Items. Per page: TextFrames, Count, an Item per frame.
      {"arrays without EveryItem", false, {"EveryItem"}, kRest + (2 + 4 * 2) + 6 + 4 * 2 + 5, 2},
      {"objects without EveryItem", true, {"EveryItem"}, kRest + (2 + 4 * 2) + 6 + 4 * 2 + 5, 2},
      // Names batched; Pages: Pages, EveryItem, then the plain members.
      {"arrays without GetElements", false, {"GetElements"}, kRest + 4 + 7 + 4 * 2 + 5, 1},
  };
  for (const Case& c : cases) {
    state_->behaviour.lists_as_objects = c.objects;
    state_->behaviour.without = c.without;
    client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
    auto document = Open();
    ASSERT_NE(document, nullptr) << c.name;
    state_->calls = 0;
    const Status marked = indesign_test::MarkPages(*client_, *document);
    ASSERT_TRUE(marked.ok()) << c.name << ": " << marked.ToString();
    EXPECT_EQ(state_->calls, c.calls) << c.name;
    EXPECT_EQ(InDesignClientFallbacks(*client_).size(), c.fallbacks) << c.name;
    // The choice is kept: a second document costs no check and takes no new fallback.
    ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
    document = Open();
    ASSERT_NE(document, nullptr) << c.name;
    ASSERT_TRUE(indesign_test::MarkPages(*client_, *document).ok()) << c.name;
    EXPECT_EQ(InDesignClientFallbacks(*client_).size(), c.fallbacks) << c.name;
    ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
  }
}

// The marker lands where the engine puts it whatever shape the lists come in.
TEST_F(InDesignClientTest, PageMarkingOnPlainMembersMarksAsTheEngineDoes) {
  state_->behaviour.without = {"EveryItem", "GetElements"};
  client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
  auto document = Open();
  ASSERT_NE(document, nullptr);
  ASSERT_TRUE(indesign_test::MarkPages(*client_, *document).ok());
  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  engine->RegisterDocument(indesign_contract::ContractSampleDocument(kDocument));
  auto direct = engine->Open(kDocument).value().document;
  ASSERT_TRUE(indesign_test::MarkPages(*engine, *direct).ok());
  const int32_t stories = direct->StoryCount().value();
  ASSERT_EQ(document->StoryCount().value(), stories);
  for (int32_t s = 1; s <= stories; ++s) {
    EXPECT_EQ(document->StoryItem(s).value()->ReadTail(1000).value().contents,
              direct->StoryItem(s).value()->ReadTail(1000).value().contents)
        << "story " << s;
  }
}

// A host whose Characters count a character beyond the BMP as two: the marker still goes
// after the frame's last character (checked before writing), as the engine puts it.
TEST_F(InDesignClientTest, CharactersCountedInUtf16UnitsGetTheMarkerAtTheRightPlace) {
  constexpr char kWide[] = "C:\\Contract\\wide.indd";
  layout::DocumentBuilder b(kWide);
  const int32_t page = b.AddPage("7");
  const int32_t story = b.AddStory();
  b.Append(story, "𠮷野家の𠮷\r", {});
  b.AddFrame(page, story);
  engine_->RegisterDocument(b.Build().value());
  for (const bool utf16 : {false, true}) {
    state_->behaviour.count_utf16 = utf16;
    client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
    auto document = client_->Open(kWide).value().document;
    const Status marked = indesign_test::MarkPages(*client_, *document);
    ASSERT_TRUE(marked.ok()) << utf16 << ": " << marked.ToString();
    std::string text;
    for (const std::string& c : document->StoryItem(1).value()->ReadTail(100).value().contents) {
      text += c;
    }
    EXPECT_EQ(text, "𠮷野家の𠮷\r◆♭♪0007♪♭◆") << utf16;
    bool counted_in_units = false;
    for (const std::string& fallback : InDesignClientFallbacks(*client_)) {
      counted_in_units |= fallback.find("UTF-16") != std::string::npos;
    }
    EXPECT_EQ(counted_in_units, utf16);
    ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
  }
}

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
