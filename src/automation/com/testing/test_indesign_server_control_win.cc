#include "automation/com/testing/test_indesign_server_control_win.h"

#include "automation/attach_retry.h"
#include "automation/com/activation_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/testing/server_process_win.h"

namespace mirune::com::testing {

std::wstring TestInDesignServerPath() {
  std::wstring path = L"Z:";
  for (const char* p = MIRUNE_TEST_INDESIGN_SERVER; *p != '\0'; ++p) {
    path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  }
  return path;
}

DWORD RunTestInDesignServer(const std::wstring& switch_text) {
  return RunServerExecutable(MIRUNE_TEST_INDESIGN_SERVER, switch_text);
}

Result<ComPtr<IDispatch>> ResetTestInDesign(std::string_view version) {
  // A server that was made to end abruptly can leave its class registered for a moment under
  // Wine; the start is tried again then.
  Result<ComPtr<IDispatch>> started = CreateServer(kTestInDesignProgId, "InDesign");
  for (int attempt = 1; attempt < 20 && !started.ok() && started.code() != ErrorCode::kNotFound;
       ++attempt) {
    Sleep(250);
    started = CreateServer(kTestInDesignProgId, "InDesign");
  }
  MIRUNE_ASSIGN_OR_RETURN(ComPtr<IDispatch> server, std::move(started));
  Dispatcher application(server, nullptr, "InDesign", "Application", "");
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant text, UniqueVariant::Text(version));
  MIRUNE_RETURN_IF_ERROR(
      application.Call("Reset", std::span<const UniqueVariant>(&text, 1)).status());
  MIRUNE_RETURN_IF_ERROR(application.Call("ResetCallCount").status());
  return server;
}

void QuitTestInDesign() { QuitRunningServer(kTestInDesignProgId, "InDesign"); }

Result<int32_t> TestInDesignCallCount(IDispatch* server) {
  Dispatcher application(server, nullptr, "InDesign", "Application", "");
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant count, application.Call("CallCount"));
  return VariantToInt32(count.get());
}

Result<ComPtr<IDispatch>> StartPrivateTestInDesign(HANDLE* process, std::wstring* clsid_text) {
  GUID clsid{};
  CoCreateGuid(&clsid);
  wchar_t text[64] = {};
  StringFromGUID2(clsid, text, 64);
  if (clsid_text != nullptr) *clsid_text = text;
  std::wstring command = L"\"" + TestInDesignServerPath() + L"\" -Embedding /Clsid:" + text;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return Error{ErrorCode::kHostError, "試験用 InDesign を起動できません"};
  }
  CloseHandle(started.hThread);
  *process = started.hProcess;
  return AttachRunning(clsid, "InDesign", AttemptPolicy{40, 250});
}

}  // namespace mirune::com::testing
