#pragma once

// The embedded engine as a host of the contract (testing/host_contract.h): the environments
// that the engine's contract tests and the extraction's page marking tests run on.

#include <string>

#include "automation/indesign_engine/testing/host_contract.h"

namespace mirune::indesign_contract {

// An engine that reports `version` ("" for its own; a test may ask for another) with the
// contract's documents and book registered under kContractDocumentPath and its neighbours.
// Exports go to `temp_folder`.
HostEnvironment EngineEnvironment(const std::string& name, const std::string& version,
                                  const std::string& temp_folder);

// Named "file_backed": documents and book read from stand-in files in `folder` (made here) by
// a loader, so that closing without saving can be seen to leave the files alone. Exports go
// to `folder` too.
HostEnvironment FileBackedEnvironment(const std::string& folder);

}  // namespace mirune::indesign_contract
