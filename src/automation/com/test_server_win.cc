// mirune-com-test-server: a minimal out-of-process automation server (LocalServer32) for the
// tests of the COM layer. Not installed for users.
//
//   /RegServer    registers the ProgID "Mirune.ComTestServer" and the class under
//                 HKLM\Software\Classes (Wine ignores HKCU\Software\Classes)
//   /UnregServer  removes both
//   -Embedding    (as COM starts it) offers the class and puts one application object into
//                 the running object table, then serves until Quit
//
// The application object: Name → "ミルネ試験サーバー"; Add(a, b) → a + b; Fail raises an exception
// with its own text; BeBusy(ms) → for the next ms milliseconds every incoming call is rejected as
// busy (SERVERCALL_RETRYLATER), as InDesign does while it shows a dialog; Quit ends the process.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "automation/com/com_ptr_win.h"
#include "automation/com/table_dispatch_test_support_win.h"

namespace {

using mirune::com::ComPtr;
using mirune::com::testing::RaiseException;
using mirune::com::testing::ReturnText;
using mirune::com::testing::TableCall;
using mirune::com::testing::TableCounters;
using mirune::com::testing::TableDispatch;

// {6d697275-6e65-0000-0000-736572766572}
constexpr CLSID kServerClass = {
    0x6d697275, 0x6e65, 0x0000, {0, 0, 0x73, 0x65, 0x72, 0x76, 0x65, 0x72}};
constexpr wchar_t kProgId[] = L"Mirune.ComTestServer";
constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{6D697275-6E65-0000-0000-736572766572}";

// Process state of the server; one per process, owned by wWinMain's frame.
struct ServerState {
  DWORD busy_until = 0;  // GetTickCount deadline of the busy period
  ComPtr<TableDispatch> application;
};

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

int Register() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring clsid = L"{6D697275-6E65-0000-0000-736572766572}";
  const std::wstring prog_key = std::wstring(L"Software\\Classes\\") + kProgId;
  const bool ok =
      SetValue(HKEY_LOCAL_MACHINE, prog_key + L"\\CLSID", nullptr, clsid) &&
      SetValue(HKEY_LOCAL_MACHINE, kClassKey, nullptr, L"Mirune COM test server") &&
      SetValue(HKEY_LOCAL_MACHINE, std::wstring(kClassKey) + L"\\LocalServer32", nullptr,
               std::wstring(L"\"") + path + L"\"") &&
      SetValue(HKEY_LOCAL_MACHINE, std::wstring(kClassKey) + L"\\ProgID", nullptr, kProgId);
  return ok ? 0 : 1;
}

int Unregister() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\") + kProgId).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey);
  return 0;
}

// Rejects incoming calls while the server is "busy".
class BusyServerFilter final : public IMessageFilter {
 public:
  explicit BusyServerFilter(ServerState* state) : state_(state) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the process's main frame.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    if (static_cast<LONG>(state_->busy_until - GetTickCount()) > 0) return SERVERCALL_RETRYLATER;
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
    return static_cast<DWORD>(-1);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  ServerState* state_;
};

// Hands out the one application object.
class Factory final : public IClassFactory {
 public:
  explicit Factory(ServerState* state) : state_(state) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return state_->application->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ServerState* state_;
};

int Serve() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  ServerState state;
  state.application = TableDispatch::Make(std::make_shared<TableCounters>());
  const DWORD main_thread = GetCurrentThreadId();
  state.application->Add("Name", ReturnText("ミルネ試験サーバー"));
  state.application->Add("Fail", RaiseException("試験のための失敗です"));
  state.application->Add("Add", [](TableCall& call, VARIANT* result, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 2) return DISP_E_BADPARAMCOUNT;
    result->vt = VT_I4;
    result->lVal = call.args[0].get().lVal + call.args[1].get().lVal;
    return S_OK;
  });
  state.application->Add("BeBusy", [&state](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 1 || call.args[0].get().vt != VT_I4) return DISP_E_TYPEMISMATCH;
    state.busy_until = GetTickCount() + static_cast<DWORD>(call.args[0].get().lVal);
    return S_OK;
  });
  state.application->Add("Quit", [main_thread](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT {
    PostThreadMessageW(main_thread, WM_QUIT, 0, 0);
    return S_OK;
  });

  BusyServerFilter filter(&state);
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(&filter, &previous);
  Factory factory(&state);
  DWORD class_cookie = 0;
  DWORD active_cookie = 0;
  CoRegisterClassObject(kServerClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                        &class_cookie);
  RegisterActiveObject(state.application.Get(), kServerClass, ACTIVEOBJECT_STRONG, &active_cookie);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  RevokeActiveObject(active_cookie, nullptr);
  CoRevokeClassObject(class_cookie);
  CoRegisterMessageFilter(previous, nullptr);
  state.application.Reset();
  CoUninitialize();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  const std::wstring args = command_line != nullptr ? command_line : L"";
  auto has = [&](const wchar_t* flag) { return args.find(flag) != std::wstring::npos; };
  if (has(L"/RegServer") || has(L"-RegServer")) return Register();
  if (has(L"/UnregServer") || has(L"-UnregServer")) return Unregister();
  return Serve();
}
