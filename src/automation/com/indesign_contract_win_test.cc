// The host contract run against the InDesign client: in-process over the dispatch adapter
// (fast), and across processes against test-indesign-server.exe as it would run against
// InDesign.

#include <gtest/gtest.h>

#include <string>

#include "automation/com/activation_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::indesign_contract {
namespace {

constexpr char kDocument[] = "C:\\Contract\\sample.indd";
constexpr char kSecond[] = "C:\\Contract\\second.indd";
constexpr char kBook[] = "C:\\Contract\\book.indb";
constexpr char kLarge[] = "C:\\Contract\\large.indd";

// Every test runs in the thread's apartment; the first use makes it.
void EnterApartment() { static com::ComApartment apartment; }

HostEnvironment Paths(std::string name) {
  HostEnvironment env;
  env.name = std::move(name);
  env.version_settable = true;
  env.document_path = kDocument;
  env.second_document_path = kSecond;
  env.book_path = kBook;
  env.large_document_path = kLarge;
  env.temp_folder = MIRUNE_BINARY_DIR;
  return env;
}

HostEnvironment InProcessEnvironment() {
  HostEnvironment env = Paths("in_process");
  env.make_application = [](const std::string& version) {
    EnterApartment();
    auto engine = std::make_shared<indesign_engine::EngineApplication>();
    if (!version.empty()) engine->SetVersion(version);
    engine->RegisterDocument(ContractSampleDocument(kDocument));
    engine->RegisterDocument(ContractSecondDocument(kSecond));
    engine->RegisterDocument(ContractLargeDocument(kLarge));
    engine->RegisterBook(layout::MakeBook(kBook, {kDocument, kSecond}));
    auto state = std::make_shared<com::InDesignDispatchState>();
    state->application = engine;
    return com::MakeInDesignClient(com::MakeInDesignDispatch(state));
  };
  return env;
}

// The registered server; each application is the one server process, reset to nothing open.
HostEnvironment ServerEnvironment(std::string name, std::string version) {
  HostEnvironment env = Paths(std::move(name));
  env.make_application =
      [version](const std::string& asked) -> std::unique_ptr<indesign::Application> {
    EnterApartment();
    Result<com::ComPtr<IDispatch>> server =
        com::testing::ResetTestInDesign(asked.empty() ? version : asked);
    if (!server.ok()) {
      // Every call of the client then fails with "no object", and the tests say so.
      ADD_FAILURE() << server.message();
      return com::MakeInDesignClient(nullptr);
    }
    return com::MakeInDesignClient(std::move(server).value());
  };
  return env;
}

// The server registered for the whole test program (the fault tests use it too).
class ServerRegistration : public ::testing::Environment {
 public:
  void SetUp() override {
    EnterApartment();
    ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer"), 0u);
  }
  void TearDown() override {
    com::testing::QuitTestInDesign();
    com::testing::RunTestInDesignServer(L"/UnregServer");
  }
};

::testing::Environment* const registration =
    ::testing::AddGlobalTestEnvironment(new ServerRegistration);

INSTANTIATE_TEST_SUITE_P(InDesignClient, HostContractTest,
                         ::testing::Values(InProcessEnvironment(), ServerEnvironment("server", ""),
                                           ServerEnvironment("server_version2", "2.0")),
                         [](const ::testing::TestParamInfo<HostEnvironment>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace mirune::indesign_contract
