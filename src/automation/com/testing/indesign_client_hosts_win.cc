#include "automation/com/testing/indesign_client_hosts_win.h"

#include "automation/com/indesign_client_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/builder.h"

namespace mirune::com::testing {
namespace {

using indesign_contract::ContractPathsEnvironment;
using indesign_contract::HostEnvironment;
using indesign_contract::kContractBookPath;
using indesign_contract::kContractDocumentPath;
using indesign_contract::kContractLargePath;
using indesign_contract::kContractSecondPath;

// Every test runs in the thread's apartment; the first use makes it.
void EnterApartment() { static ComApartment apartment; }

}  // namespace

HostEnvironment InProcessClientEnvironment(const std::string& temp_folder) {
  HostEnvironment env = ContractPathsEnvironment("in_process", temp_folder);
  env.make_application = [](const std::string& version) {
    EnterApartment();
    auto engine = std::make_shared<indesign_engine::EngineApplication>();
    if (!version.empty()) engine->SetVersion(version);
    engine->RegisterDocument(indesign_contract::ContractSampleDocument(kContractDocumentPath));
    engine->RegisterDocument(indesign_contract::ContractSecondDocument(kContractSecondPath));
    engine->RegisterDocument(indesign_contract::ContractLargeDocument(kContractLargePath));
    engine->RegisterBook(
        layout::MakeBook(kContractBookPath, {kContractDocumentPath, kContractSecondPath}));
    auto state = std::make_shared<InDesignDispatchState>();
    state->application = engine;
    return MakeInDesignClient(MakeInDesignDispatch(state));
  };
  return env;
}

HostEnvironment ServerClientEnvironment(std::string name, std::string version,
                                        const std::string& temp_folder) {
  HostEnvironment env = ContractPathsEnvironment(std::move(name), temp_folder);
  env.make_application =
      [version](const std::string& asked) -> std::unique_ptr<indesign::Application> {
    EnterApartment();
    Result<ComPtr<IDispatch>> server = ResetTestInDesign(asked.empty() ? version : asked);
    if (!server.ok()) {
      // Every call of the client then fails with "no object", and the tests say so.
      ADD_FAILURE() << server.message();
      return MakeInDesignClient(nullptr);
    }
    return MakeInDesignClient(std::move(server).value());
  };
  return env;
}

void TestInDesignRegistration::SetUp() {
  EnterApartment();
  ASSERT_EQ(RunTestInDesignServer(L"/RegServer"), 0u);
}

void TestInDesignRegistration::TearDown() {
  QuitTestInDesign();
  RunTestInDesignServer(L"/UnregServer");
}

void InProcessClientTest::SetUp() {
  ASSERT_TRUE(apartment_.status().ok());
  engine_ = std::make_shared<indesign_engine::EngineApplication>();
  engine_->RegisterDocument(indesign_contract::ContractSampleDocument(kContractDocumentPath));
  state_ = std::make_shared<InDesignDispatchState>();
  state_->application = engine_;
  client_ = MakeInDesignClient(MakeInDesignDispatch(state_));
}

std::unique_ptr<indesign::Document> InProcessClientTest::Open() {
  auto opened = client_->Open(kContractDocumentPath);
  EXPECT_TRUE(opened.ok()) << opened.message();
  return opened.ok() ? std::move(opened->document) : nullptr;
}

}  // namespace mirune::com::testing
