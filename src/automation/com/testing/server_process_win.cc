#include "automation/com/testing/server_process_win.h"

#include "automation/com/activation_win.h"
#include "automation/com/dispatcher_win.h"

namespace mirune::com::testing {

DWORD RunServerExecutable(const char* build_path, const std::wstring& switch_text) {
  std::wstring path;
  if (build_path[0] == '/') path = L"Z:";
  for (const char* p = build_path; *p != '\0'; ++p) {
    path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  }
  std::wstring command = L"\"" + path + L"\" " + switch_text;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool QuitRunningServer(std::string_view prog_id, std::string_view host) {
  Result<ComPtr<IDispatch>> running = AttachRunning(prog_id, host, AttemptPolicy{1, 0});
  if (!running.ok()) return false;
  Dispatcher application(std::move(running).value(), nullptr, std::string(host), "Application", "");
  application.Call("Quit").status().ok();
  return true;
}

}  // namespace mirune::com::testing
