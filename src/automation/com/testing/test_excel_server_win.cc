// test-excel-server.exe: the embedded workbook engine as an out-of-process automation server
// (LocalServer32) with the members of Excel that the Excel client calls
// (excel_dispatch_win.h), so that the client's tests run across processes. Not installed for
// users.
//
//   /RegServer    registers the ProgID "Mirune.TestExcel" and the class under
//                 HKLM\Software\Classes (Wine ignores HKCU\Software\Classes)
//   /UnregServer  removes both
//   -Embedding    (as COM starts it) offers the class and puts the application object into
//                 the running object table, where the client attaches as to a running Excel
//   /Clipboard:busy  (registered by /RegServer with it) another program holds the clipboard:
//                 Range.Copy and PasteSpecial fail with 0x800A03EC
//   /ProtectedView   the workbooks are open in Protected View (not ActiveWorkbook)

#include <windows.h>

#include <string>

#include "automation/com/testing/excel_dispatch_win.h"
#include "automation/com/testing/local_server_win.h"

namespace {

// {6d697275-6e65-0000-0000-657863656c00}
const mirune::com::LocalServerClass kServerClass = {
    {0x6d697275, 0x6e65, 0x0000, {0, 0, 0x65, 0x78, 0x63, 0x65, 0x6c, 0x00}},
    L"{6D697275-6E65-0000-0000-657863656C00}",
    L"Mirune.TestExcel",
    L"Mirune test Excel server"};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  const std::wstring args = command_line != nullptr ? command_line : L"";
  const bool clipboard_busy = args.find(L"/Clipboard:busy") != std::wstring::npos;
  const bool protected_view = args.find(L"/ProtectedView") != std::wstring::npos;
  return mirune::com::LocalServerMain(
      kServerClass, command_line,
      [clipboard_busy, protected_view](mirune::com::LocalServerControl& control) {
        return mirune::com::MakeExcelDispatch(
            {[&control](DWORD ms) { control.BeBusyFor(ms); }, [&control] { control.Quit(); },
             [&control] { control.Die(3); }, clipboard_busy, protected_view});
      });
}
