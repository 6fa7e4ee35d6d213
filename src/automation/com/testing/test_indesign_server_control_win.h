#pragma once

// For tests that use test-indesign-server.exe (Windows build): running it with a switch,
// reaching the one server process reset to a fresh engine, and ending it. The executable's
// path comes from MIRUNE_TEST_INDESIGN_SERVER, defined by the build for the tests.

#include <windows.h>

#include <string>
#include <string_view>

#include "automation/com/com_types_win.h"
#include "base/result.h"

namespace mirune::com::testing {

inline constexpr char kTestInDesignProgId[] = "Mirune.TestInDesign";

// The server's path as Windows sees it (a Linux build path under Wine's drive Z:).
std::wstring TestInDesignServerPath();

// Runs the server with `switch_text` ("/RegServer", "/UnregServer") and waits for it; its
// exit code, or -1 as a DWORD when it could not be run.
DWORD RunTestInDesignServer(const std::wstring& switch_text);

// The server's application (started when none runs), reset to a fresh engine reporting
// `version` ("" for the engine's own) with the call count at 0.
Result<ComPtr<IDispatch>> ResetTestInDesign(std::string_view version);

// Asks a running server to end; nothing when none runs.
void QuitTestInDesign();

// A server process of its own under a fresh class (not the registered one), for a test that
// ends it abruptly. `process` receives its handle, which the caller closes; `clsid`, when
// given, the class in braces (what MIRUNE_INDESIGN_PROGID takes to reach it).
Result<ComPtr<IDispatch>> StartPrivateTestInDesign(HANDLE* process, std::wstring* clsid = nullptr);

// The server's CallCount: member calls answered since the last reset.
Result<int32_t> TestInDesignCallCount(IDispatch* server);

}  // namespace mirune::com::testing
