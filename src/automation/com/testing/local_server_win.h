#pragma once

// The frame of an out-of-process automation server (LocalServer32) used by the tests: its
// registration under HKLM\Software\Classes (Wine ignores HKCU\Software\Classes), the class
// factory that hands out one application object, that object in the running object table
// where clients attach, a message filter that can reject calls as busy, and the message loop.
// Servers give their class and a function that makes their application object.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oaidl.h>

#include <functional>
#include <string>

#include "automation/com/com_ptr_win.h"

namespace mirune::com {

struct LocalServerClass {
  CLSID clsid{};
  std::wstring clsid_text;   // "{6D697275-…}", braces included
  std::wstring prog_id;      // "Mirune.ComTestServer"
  std::wstring description;  // default value of the class key
};

// What the application object may ask of its process. Lives as long as the serving loop.
class LocalServerControl {
 public:
  // Every incoming call is rejected as busy (SERVERCALL_RETRYLATER) for the next `ms`
  // milliseconds, as an application showing a dialog does. Honoured where the COM runtime
  // consults the server's message filter (Windows; not Wine 8).
  void BeBusyFor(DWORD ms) { busy_until_ = GetTickCount() + ms; }
  bool Busy() const { return static_cast<LONG>(busy_until_ - GetTickCount()) > 0; }
  // Ends the serving loop after the current call.
  void Quit() { PostThreadMessageW(main_thread_, WM_QUIT, 0, 0); }
  // Ends the process at once, in the middle of the current call, as a crash does. The class
  // and the running object are withdrawn first: Wine keeps both registered after a process
  // dies, and every later activation of the class would then fail.
  void Die(UINT exit_code);

 private:
  friend int ServeLocalServer(const LocalServerClass&,
                              const std::function<ComPtr<IDispatch>(LocalServerControl&)>&);
  DWORD busy_until_ = 0;
  DWORD main_thread_ = 0;
  DWORD class_cookie_ = 0;
  DWORD active_cookie_ = 0;
};

// Registers the class and its ProgID with this executable as LocalServer32, followed by
// `switches` (" /Shape:arrays …": COM starts the server with them); 0 on success.
int RegisterLocalServer(const LocalServerClass& server_class, const std::wstring& switches = {});
// Removes what RegisterLocalServer wrote; 0.
int UnregisterLocalServer(const LocalServerClass& server_class);

// Serves one application object (made once by `make_application`) until Quit or WM_QUIT;
// the process exit code.
int ServeLocalServer(const LocalServerClass& server_class,
                     const std::function<ComPtr<IDispatch>(LocalServerControl&)>& make_application);

// wWinMain's body: "/RegServer" (the other switches of the command line are registered with
// the server, so that COM starts it with them), "/UnregServer", otherwise serve (COM starts
// the server with its registered switches and "-Embedding").
int LocalServerMain(const LocalServerClass& server_class, const wchar_t* command_line,
                    const std::function<ComPtr<IDispatch>(LocalServerControl&)>& make_application);

}  // namespace mirune::com
