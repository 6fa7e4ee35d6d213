// The host contract run against the InDesign client: in-process over the dispatch adapter
// (fast), and across processes against test-indesign-server.exe as it would run against
// InDesign.

#include <gtest/gtest.h>

#include "automation/com/testing/indesign_client_hosts_win.h"
#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::indesign_contract {
namespace {

// The server registered for the whole test program (the fault tests use it too).
::testing::Environment* const registration =
    ::testing::AddGlobalTestEnvironment(new com::testing::TestInDesignRegistration);

INSTANTIATE_TEST_SUITE_P(
    InDesignClient, HostContractTest,
    ::testing::Values(com::testing::InProcessClientEnvironment(MIRUNE_BINARY_DIR),
                      com::testing::ServerClientEnvironment("server", "", MIRUNE_BINARY_DIR),
                      com::testing::ServerClientEnvironment("server_version2", "2.0",
                                                            MIRUNE_BINARY_DIR)),
    [](const ::testing::TestParamInfo<HostEnvironment>& info) { return info.param.name; });

}  // namespace
}  // namespace mirune::indesign_contract
