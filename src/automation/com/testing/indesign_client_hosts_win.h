#pragma once

// The InDesign client as a host of the contract (automation/indesign_engine/testing/
// host_contract.h), for the client's contract tests and the extraction's page marking tests
// (Windows build): the client in-process over the dispatch adapter and across processes
// against test-indesign-server.exe, the server's registration for a whole test program, and
// the fixtures of the tests that look into the adapter's state or drive the server.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "automation/com/com_ptr_win.h"
#include "automation/com/com_types_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/testing/indesign_dispatch_win.h"
#include "automation/indesign.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::com::testing {

// The client over the dispatch adapter on a fresh engine holding the contract's documents
// and book; exports go to `temp_folder`.
indesign_contract::HostEnvironment InProcessClientEnvironment(const std::string& temp_folder);

// The client on the registered test-indesign-server.exe, the one server process reset to
// nothing open and reporting `version` ("" for the engine's own). A server that cannot be
// reached fails the test and gives a client whose every call fails.
indesign_contract::HostEnvironment ServerClientEnvironment(std::string name, std::string version,
                                                           const std::string& temp_folder);

// Registers test-indesign-server.exe for the whole test program; at the end asks the running
// server to end and unregisters it. Add it with ::testing::AddGlobalTestEnvironment.
class TestInDesignRegistration : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

// A client over the dispatch adapter on an engine holding the contract sample at
// kContractDocumentPath; the adapter's state (behaviour, call count) is the test's to change.
class InProcessClientTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // The contract sample opened through the client, or null after a failed expectation.
  std::unique_ptr<indesign::Document> Open();

  ComApartment apartment_;
  std::shared_ptr<indesign_engine::EngineApplication> engine_;
  std::shared_ptr<InDesignDispatchState> state_;
  std::unique_ptr<indesign::Application> client_;
};

// Tests across processes against test-indesign-server.exe (registered for the whole test
// program by TestInDesignRegistration, or a private one).
class TestInDesignServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(apartment_.status().ok()); }

  // The server's test members (FailEveryCall, EndAfterCalls, RejectCallsFor, BeBusy …).
  Dispatcher Control(ComPtr<IDispatch> server) {
    return Dispatcher(std::move(server), nullptr, "InDesign", "Application", "");
  }

  ComApartment apartment_;
};

}  // namespace mirune::com::testing
