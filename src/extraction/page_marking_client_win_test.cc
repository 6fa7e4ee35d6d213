// The extraction's page marking through the InDesign client (Windows build): on the host
// contract's environments of the client (testing/host_page_marking.h), on every shape of list
// results and set of members with its calls, on characters counted in UTF-16 units, and on a
// server that ends in the middle.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "automation/com/indesign_client_win.h"
#include "automation/com/testing/indesign_client_hosts_win.h"
#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "extraction/testing/host_page_marking.h"
#include "extraction/testing/mark_pages.h"

namespace mirune::indesign_test {
namespace {

// test-indesign-server.exe registered for the whole test program.
::testing::Environment* const registration =
    ::testing::AddGlobalTestEnvironment(new com::testing::TestInDesignRegistration);

INSTANTIATE_TEST_SUITE_P(
    InDesignClient, HostPageMarkingTest,
    ::testing::Values(com::testing::InProcessClientEnvironment(MIRUNE_BINARY_DIR),
                      com::testing::ServerClientEnvironment("server", "", MIRUNE_BINARY_DIR),
                      com::testing::ServerClientEnvironment("server_version2", "2.0",
                                                            MIRUNE_BINARY_DIR)),
    [](const ::testing::TestParamInfo<indesign_contract::HostEnvironment>& info) {
      return info.param.name;
    });

}  // namespace
}  // namespace mirune::indesign_test

namespace mirune::com {
namespace {

constexpr const char* kDocument = indesign_contract::kContractDocumentPath;

class InDesignClientTest : public testing::InProcessClientTest {};

class InDesignServerFaultTest : public testing::TestInDesignServerTest {};

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

}  // namespace
}  // namespace mirune::com
