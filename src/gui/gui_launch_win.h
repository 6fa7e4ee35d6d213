#pragma once

// The button "実行" of the Windows program: the launch of src/app/extraction_launch.h with
// the Win32 desktop and progress window, the embedded engine for .idml documents and folders
// of IDML chapters, the readings of the data folder, and at the end Razoza.xls and
// Razoza.doc opened with their default programs. .indd and .indb get the launch's recovery
// message with the cause (they need InDesign itself).

#include <windows.h>

#include <functional>

#include "app/extraction_launch.h"
#include "desktop/desktop.h"

namespace mirune {

class MainWindow;
class WinDesktop;

// Runs one extraction for `selection`; returns when the job has ended (the message loop
// runs meanwhile through the desktop's yields). Returns at once while a job runs. A visible
// Word or Excel window refuses it before anything is read; `close_utility_window` closes the
// utility window once InDesign is reached.
void RunExtractionFromMainWindow(HINSTANCE instance, JobFlags& flags, MainWindow& main_window,
                                 WinDesktop& desktop, const LaunchSelection& selection,
                                 std::function<void()> close_utility_window);

}  // namespace mirune
