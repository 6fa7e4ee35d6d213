#include <windows.h>

#include <csignal>

#include "cli/stop_requests.h"

namespace mirune::cli {
namespace {

// Set once before the handlers are installed and read only by them.
void (*g_on_stop)() = nullptr;

extern "C" void OnInterrupt(int) {
  if (g_on_stop != nullptr) g_on_stop();
  // A second Ctrl+C ends the program the usual way.
  std::signal(SIGINT, SIG_DFL);
}

// Runs on a thread of its own. For the close, logoff and shutdown events the system ends the
// process as soon as this returns: so it asks the job to stop and waits. The process ends when
// the job is over (the main thread's exit ends this thread too) or when the system's grace
// period runs out.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
    return FALSE;  // Ctrl+C and Ctrl+Break go to the C runtime's SIGINT
  }
  if (g_on_stop != nullptr) g_on_stop();
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void InstallStopRequestHandlers(void (*on_stop)()) {
  g_on_stop = on_stop;
  std::signal(SIGINT, OnInterrupt);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void RemoveStopRequestHandlers() {
  std::signal(SIGINT, SIG_DFL);
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

}  // namespace mirune::cli
