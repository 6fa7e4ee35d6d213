#include "automation/com/testing/local_server_win.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>

namespace mirune::com {
namespace {

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

std::wstring ClassKey(const LocalServerClass& server_class) {
  return L"Software\\Classes\\CLSID\\" + server_class.clsid_text;
}

// Rejects incoming calls while the control says busy.
class BusyServerFilter final : public IMessageFilter {
 public:
  explicit BusyServerFilter(const LocalServerControl* control) : control_(control) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the serving frame.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return control_->Busy() ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
    return static_cast<DWORD>(-1);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  const LocalServerControl* control_;
};

// Hands out the one application object.
class Factory final : public IClassFactory {
 public:
  explicit Factory(IDispatch* application) : application_(application) {}
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
    return application_->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  IDispatch* application_;
};

}  // namespace

void LocalServerControl::Die(UINT exit_code) {
  RevokeActiveObject(active_cookie_, nullptr);
  CoRevokeClassObject(class_cookie_);
  TerminateProcess(GetCurrentProcess(), exit_code);
}

int RegisterLocalServer(const LocalServerClass& server_class, const std::wstring& switches) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring class_key = ClassKey(server_class);
  const std::wstring prog_key = L"Software\\Classes\\" + server_class.prog_id;
  const bool ok =
      SetValue(HKEY_LOCAL_MACHINE, prog_key + L"\\CLSID", nullptr, server_class.clsid_text) &&
      SetValue(HKEY_LOCAL_MACHINE, class_key, nullptr, server_class.description) &&
      SetValue(HKEY_LOCAL_MACHINE, class_key + L"\\LocalServer32", nullptr,
               std::wstring(L"\"") + path + L"\"" + switches) &&
      SetValue(HKEY_LOCAL_MACHINE, class_key + L"\\ProgID", nullptr, server_class.prog_id);
  return ok ? 0 : 1;
}

int UnregisterLocalServer(const LocalServerClass& server_class) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + server_class.prog_id).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(server_class).c_str());
  return 0;
}

int ServeLocalServer(
    const LocalServerClass& server_class,
    const std::function<ComPtr<IDispatch>(LocalServerControl&)>& make_application) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exit_code = 0;
  {
    LocalServerControl control;
    control.main_thread_ = GetCurrentThreadId();
    ComPtr<IDispatch> application = make_application(control);
    if (!application) {
      exit_code = 1;
    } else {
      BusyServerFilter filter(&control);
      IMessageFilter* previous = nullptr;
      CoRegisterMessageFilter(&filter, &previous);
      Factory factory(application.Get());
      CoRegisterClassObject(server_class.clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                            &control.class_cookie_);
      RegisterActiveObject(application.Get(), server_class.clsid, ACTIVEOBJECT_STRONG,
                           &control.active_cookie_);

      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }

      RevokeActiveObject(control.active_cookie_, nullptr);
      CoRevokeClassObject(control.class_cookie_);
      CoRegisterMessageFilter(previous, nullptr);
    }
  }
  CoUninitialize();
  return exit_code;
}

int LocalServerMain(const LocalServerClass& server_class, const wchar_t* command_line,
                    const std::function<ComPtr<IDispatch>(LocalServerControl&)>& make_application) {
  const std::wstring args = command_line != nullptr ? command_line : L"";
  auto has = [&](const wchar_t* flag) { return args.find(flag) != std::wstring::npos; };
  if (has(L"/RegServer") || has(L"-RegServer")) {
    // Every other word of the command line is a switch of the server's behaviour.
    std::wstring switches;
    size_t at = 0;
    while (at < args.size()) {
      const size_t end = std::min(args.find(L' ', at), args.size());
      const std::wstring word = args.substr(at, end - at);
      if (!word.empty() && word != L"/RegServer" && word != L"-RegServer") switches += L" " + word;
      at = end + 1;
    }
    return RegisterLocalServer(server_class, switches);
  }
  if (has(L"/UnregServer") || has(L"-UnregServer")) return UnregisterLocalServer(server_class);
  return ServeLocalServer(server_class, make_application);
}

}  // namespace mirune::com
