#pragma once

// The extraction's page marking on every host of automation/indesign.h: value-parameterised
// tests (extraction/page_marking_host_test.cc) over the host contract's environments
// (automation/indesign_engine/testing/host_contract.h). The engine's are instantiated in
// page_marking_engine_test.cc, the InDesign client's in page_marking_client_win_test.cc.

#include <gtest/gtest.h>

#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::indesign_test {

class HostPageMarkingTest : public ::testing::TestWithParam<indesign_contract::HostEnvironment> {};

}  // namespace mirune::indesign_test
