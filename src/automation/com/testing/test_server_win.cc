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

#include <string>

#include "automation/com/testing/local_server_win.h"
#include "automation/com/testing/table_dispatch_win.h"

namespace {

using mirune::com::ComPtr;
using mirune::com::LocalServerClass;
using mirune::com::LocalServerControl;
using mirune::com::testing::RaiseException;
using mirune::com::testing::ReturnText;
using mirune::com::testing::TableCall;
using mirune::com::testing::TableCounters;
using mirune::com::testing::TableDispatch;

// {6d697275-6e65-0000-0000-736572766572}
const LocalServerClass kServerClass = {
    {0x6d697275, 0x6e65, 0x0000, {0, 0, 0x73, 0x65, 0x72, 0x76, 0x65, 0x72}},
    L"{6D697275-6E65-0000-0000-736572766572}",
    L"Mirune.ComTestServer",
    L"Mirune COM test server"};

ComPtr<IDispatch> MakeApplication(LocalServerControl& control) {
  ComPtr<TableDispatch> application = TableDispatch::Make(std::make_shared<TableCounters>());
  application->Add("Name", ReturnText("ミルネ試験サーバー"));
  application->Add("Fail", RaiseException("試験のための失敗です"));
  application->Add("Add", [](TableCall& call, VARIANT* result, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 2) return DISP_E_BADPARAMCOUNT;
    result->vt = VT_I4;
    result->lVal = call.args[0].get().lVal + call.args[1].get().lVal;
    return S_OK;
  });
  application->Add("BeBusy", [&control](TableCall& call, VARIANT*, EXCEPINFO*) -> HRESULT {
    if (call.args.size() != 1 || call.args[0].get().vt != VT_I4) return DISP_E_TYPEMISMATCH;
    control.BeBusyFor(static_cast<DWORD>(call.args[0].get().lVal));
    return S_OK;
  });
  application->Add("Quit", [&control](TableCall&, VARIANT*, EXCEPINFO*) -> HRESULT {
    control.Quit();
    return S_OK;
  });
  return application;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  return mirune::com::LocalServerMain(kServerClass, command_line, MakeApplication);
}
