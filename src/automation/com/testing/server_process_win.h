#pragma once

// For the tests that run the out-of-process test servers: starting a server executable with
// a switch (/RegServer, /UnregServer) and telling whether the tests run under Wine.

#include <windows.h>

#include <string>
#include <string_view>

namespace mirune::com::testing {

// Runs the executable at `build_path` (the build's path: under Wine a Linux path, reached
// through drive Z:) with `switch_text` and waits up to 30 s; its exit code, or -1.
DWORD RunServerExecutable(const char* build_path, const std::wstring& switch_text);

// Asks the running instance of `prog_id` (one try) to Quit; false when none runs. `host` names
// the application in messages.
bool QuitRunningServer(std::string_view prog_id, std::string_view host);

// Wine 8 does not consult a server's message filter on incoming calls, so a server cannot
// reject calls as busy there.
bool UnderWine();

}  // namespace mirune::com::testing
