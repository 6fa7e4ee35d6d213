#include <signal.h>

#include "cli/stop_requests.h"

namespace mirune::cli {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Set once before the handlers are installed and read only by them.
void (*g_on_stop)() = nullptr;

extern "C" void OnStopSignal(int) {
  if (g_on_stop != nullptr) g_on_stop();
}

}  // namespace

void InstallStopRequestHandlers(void (*on_stop)()) {
  g_on_stop = on_stop;
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // One-shot: a second signal of the same kind ends the program the usual way.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  for (const int signal_number : kStopSignals) sigaction(signal_number, &action, nullptr);
}

void RemoveStopRequestHandlers() {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal_number : kStopSignals) sigaction(signal_number, &action, nullptr);
}

}  // namespace mirune::cli
