#pragma once

// Getting hold of an automation server (Windows build): creating a new instance of a local
// server, or attaching to the one already running (registered in the running object table).
// `host` names the application in messages ("Excel"). Every failure says in Japanese what
// was looked for and why it was not had, with the HRESULT.

#include <windows.h>

#include <functional>
#include <string_view>

#include "automation/attach_retry.h"
#include "automation/com/com_types_win.h"
#include "base/result.h"

namespace mirune::com {

// The class registered under `prog_id` ("Excel.Application"). kNotFound when it is not
// registered on this computer.
Result<CLSID> ClassOfProgId(std::string_view prog_id, std::string_view host);

// A new instance of the local server of `clsid` (CLSCTX_LOCAL_SERVER).
Result<ComPtr<IDispatch>> CreateServer(const CLSID& clsid, std::string_view host);
Result<ComPtr<IDispatch>> CreateServer(std::string_view prog_id, std::string_view host);

// One try at the running instance of `clsid`. kNotFound when none is running.
Result<ComPtr<IDispatch>> RunningServer(const CLSID& clsid, std::string_view host);

// The running instance, tried `policy.attempts` times `policy.interval_ms` apart; `sleep`
// waits between tries (Sleep by default; tests pass their own). An unregistered ProgID fails
// at once, without waiting.
Result<ComPtr<IDispatch>> AttachRunning(std::string_view prog_id, std::string_view host,
                                        const AttemptPolicy& policy,
                                        const std::function<void(uint32_t)>& sleep = {},
                                        int* tries = nullptr);
Result<ComPtr<IDispatch>> AttachRunning(const CLSID& clsid, std::string_view host,
                                        const AttemptPolicy& policy,
                                        const std::function<void(uint32_t)>& sleep = {},
                                        int* tries = nullptr);

}  // namespace mirune::com
