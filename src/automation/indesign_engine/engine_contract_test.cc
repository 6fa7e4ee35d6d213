// The host contract run against the embedded engine.

#include "automation/indesign_engine/testing/engine_hosts.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "base/path.h"

namespace mirune::indesign_contract {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Engine, HostContractTest,
    ::testing::Values(EngineEnvironment("current", "", MIRUNE_BINARY_DIR),
                      EngineEnvironment("version2", "2.0", MIRUNE_BINARY_DIR),
                      FileBackedEnvironment(JoinPath(MIRUNE_BINARY_DIR, "engine_contract_files"))),
    [](const ::testing::TestParamInfo<HostEnvironment>& info) { return info.param.name; });

}  // namespace
}  // namespace mirune::indesign_contract
