#pragma once

// The connections of the Windows program to the applications the user has running: InDesign
// and Excel through their automation (COM). Windows build only; called on the user-interface
// thread, which the program has entered into a single-threaded COM apartment.

#include <string>

#include "app/indesign_host.h"
#include "app/running_hosts.h"

namespace mirune {

// InDesign through ConnectComInDesign (app/indesign_host.h); Excel by attaching to the running
// instance. Keyword marking takes the active workbook of a visible Excel showing Keyword.xls.
// The re-sort runs ResortRazozaXls when an Excel window is visible, and fails with
// kUnsupported when none is, so the window offers the re-sort of a saved workbook instead.
RunningHosts ComRunningHosts();

}  // namespace mirune
