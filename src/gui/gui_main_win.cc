// mirune-gui.exe: the Windows program a user starts. The splash for about three seconds,
// the first-run settings, then the main window until it is closed.

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <chrono>
#include <memory>
#include <utility>

#include "app/data_folder.h"
#include "app/indesign_host.h"
#include "automation/com/activation_win.h"
#include "automation/com/com_types_win.h"
#include "base/wide_text.h"
#include "extraction/working_files.h"
#include "gui/forms/message_pump_win.h"
#include "gui/gui_launch_win.h"
#include "gui/main_window_win.h"
#include "gui/running_hosts_win.h"
#include "gui/settings_registry_win.h"
#include "gui/splash_window_win.h"
#include "gui/utility_shell_win.h"
#include "gui/win_desktop_win.h"
#include "progress/progress_model.h"

namespace mirune {
namespace {

int RunProgram(HINSTANCE instance) {
  // A drive without a medium is reported by the program itself, never by a system box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  // The user-interface thread talks to InDesign and Excel through their automation: one
  // single-threaded apartment for the program's life.
  com::ComApartment com_apartment;

  JobFlags flags;
  RegistrySettingsStore store;

  // Start-up steps 1 to 5: the splash, its wait, the first-run defaults, the splash closed.
  {
    std::unique_ptr<SplashWindow> splash = SplashWindow::Show(instance);
    // The splash's wait takes no input; its window repaints after an expose.
    const auto start = std::chrono::steady_clock::now();
    WaitRoundedSeconds(
        3,
        [start] {
          return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        },
        [] {
          DispatchPendingPaints();
          Sleep(10);
        });
    // Without InDesign, the first run lists IDML files (the stored setting wins later).
    WriteFirstRunDefaults(store, com::ClassOfProgId(InDesignProgId(), "InDesign").ok());
  }

  MainWindow* main_window_ptr = nullptr;
  std::unique_ptr<WinDesktop> desktop;
  std::unique_ptr<UtilityShell> utility;
  MainWindowHooks hooks;
  hooks.execute = [&](const LaunchSelection& selection) {
    RunExtractionFromMainWindow(instance, flags, *main_window_ptr, *desktop, selection,
                                [&] { utility->CloseUtilityWindow(); });
  };
  hooks.utility = [&] { utility->ShowUtilityWindow(); };
  hooks.open_results = [&] { utility->OpenResultsFolder(main_window_ptr->hwnd()); };
  hooks.ask = [&](std::string_view text, std::string_view title, int style) {
    return desktop->ShowMessage(text, title, style);
  };
  auto main_window = MainWindow::Create(flags, store, std::move(hooks));
  if (!main_window.ok()) {
    MessageBoxW(nullptr, Wide(main_window.message()).c_str(), Wide(kTitleError).c_str(),
                MB_OK | MB_ICONERROR);
    return 1;
  }
  main_window_ptr = main_window->get();
  desktop = std::make_unique<WinDesktop>(instance, flags, *main_window_ptr);
  utility = std::make_unique<UtilityShell>(flags, *main_window_ptr, *desktop, ComRunningHosts());
  {
    // Where the results go: the program's folder, or the user's own when that cannot be
    // written (%LOCALAPPDATA%\Mirune), as every job chooses it.
    auto data = ChooseDataFolder("", ReadDataFolderEnvironment());
    main_window_ptr->SetResultsFolderTip(
        data.ok() ? "結果のフォルダー: " + WorkingFolders(*data).results
                  : "結果のフォルダー（RazozaData）を置く場所が見つかりません: " + data.message());
  }

  // Steps 7 to 10: the lists, the filter items, the restored selection.
  main_window_ptr->FillAtStartUp();
  ShowWindow(main_window_ptr->hwnd(), SW_SHOWNORMAL);
  UpdateWindow(main_window_ptr->hwnd());
  SetForegroundWindow(main_window_ptr->hwnd());

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Dialog keys (Tab, Enter) go to the window the message is for.
    HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (top && IsDialogMessageW(top, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The window is gone; every other window goes with the process.
  utility.reset();
  desktop.reset();
  return 0;
}

}  // namespace
}  // namespace mirune

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return mirune::RunProgram(instance);
}
