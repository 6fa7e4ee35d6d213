#pragma once

// The embedded workbook engine (automation/excel_engine/memory_workbook.h) offered over
// IDispatch with the members of Excel's object model that the Excel client
// (excel_client_win.h) calls, and no others: the application object of the test server
// test-excel-server.exe, so that the client is proven across processes. Windows build; for
// tests only.
//
// Where Excel's behaviour matters to the client, it is imitated: a text written to Value is
// read as Excel reads a typed entry (a leading "'" marks text and is dropped; a text that is
// a number becomes that number unless the cell's format is text); a sheet Delete while
// DisplayAlerts is true fails as a prompt the test cannot answer; Sort accepts only the
// arguments the client passes.
//
// Test switches on the application (not counted as calls): TestFailAfter(n) — every call
// after the next n fails with an exception; TestExitAfter(n) — the process ends at the call
// after the next n, as if killed (ExcelServerHooks::die); TestRejectAfter(n) — every call
// after the next n is answered RPC_E_CALL_REJECTED, as a client sees a server still busy when
// its retries give up; TestCalls — the calls counted so far;
// BeBusy(ms) — the server rejects calls as busy where the COM runtime lets it.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <functional>

#include "automation/com/com_ptr_win.h"

namespace mirune::com {

// What the application object asks of its process; either may be empty.
struct ExcelServerHooks {
  std::function<void(DWORD)> be_busy;  // BeBusy(ms): reject calls as busy for ms
  std::function<void()> quit;          // Quit: end the server after this call
  std::function<void()> die;           // TestExitAfter: end the process at once
  // Another program holds the system clipboard: Range.Copy and PasteSpecial fail with
  // 0x800A03EC, as Excel's do then.
  bool clipboard_busy = false;
  // The workbooks are open in Protected View: ActiveWorkbook is Nothing and
  // ProtectedViewWindows counts them.
  bool protected_view = false;
};

// The application object.
ComPtr<IDispatch> MakeExcelDispatch(ExcelServerHooks hooks);

}  // namespace mirune::com
