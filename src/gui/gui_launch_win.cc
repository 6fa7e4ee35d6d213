#include "gui/gui_launch_win.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "app/data_folder.h"
#include "app/extraction_run.h"
#include "app/indesign_host.h"
#include "base/wide_text.h"
#include "extraction/messages.h"
#include "extraction/working_files.h"
#include "gui/desktop_detection_win.h"
#include "gui/forms/input_block_win.h"
#include "gui/main_window_win.h"
#include "gui/progress_window_win.h"
#include "gui/win_desktop_win.h"
#include "progress/progress_model.h"

namespace mirune {
namespace {

// Opens `path` with its default program. A missing association is no error: the results are
// in the folder for the user either way.
void OpenWithDefaultProgram(HWND owner, const std::string& path) {
  ShellExecuteW(owner, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void RunExtractionFromMainWindow(HINSTANCE instance, JobFlags& flags, MainWindow& main_window,
                                 WinDesktop& desktop, const LaunchSelection& selection,
                                 std::function<void()> close_utility_window) {
  if (flags.job_running) return;
  // The utility and keyword marking windows take no input until the job has ended (the main
  // window's handlers return at once while the job runs).
  InputBlock others({main_window.hwnd()});
  // A visible Word or Excel window refuses the launch first (and hidden ones are asked to
  // close), before the dictionaries are read: a damaged dictionary must not show its failure
  // where the refusal is due.
  SystemDesktopDetection detection;
  {
    const bool excel = detection->FindVisibleExcel();
    const bool word = detection->FindVisibleWord();
    if (excel || word) {
      desktop.ShowMessage(MessageCloseWordAndExcel(), kTitleCheck, kStyleRefusal);
      return;
    }
  }
  // Data folder: the program's folder when it is writable, else %LOCALAPPDATA%\Mirune.
  auto data_folder = ChooseDataFolder("", ReadDataFolderEnvironment());
  if (!data_folder.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), data_folder.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  auto view = ProgressWindowWin::Create(flags, main_window.hwnd());
  if (!view.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), view.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  ProgressWindowModel progress(**view);
  ExtractionRunRequest request;
  request.data_folder = *data_folder;
  request.paths = {SelectedFilePath(selection)};
  // .indd and .indb go to the InDesign of this computer; when none is registered, the
  // recovery message says so and names the IDML way.
  request.com = ResolveInDesignHost(InDesignHost::kAuto, selection.file_name) == InDesignHost::kCom;
  // InDesign's windows are hidden during the job and shown after it, in the recovery too.
  desktop.SetDrivesInDesign(request.com);
  struct DrivesInDesignReset {
    WinDesktop& desktop;
    ~DrivesInDesignReset() { desktop.SetDrivesInDesign(false); }
  } drives_reset{desktop};
  ExtractionRunHosts hosts{desktop, flags, progress, std::move(close_utility_window)};
  const Result<ExtractionRun> run = RunExtractionJob(request, hosts);
  (*view)->Close();
  if (!run.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), run.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  const LaunchResult& result = run->launch;
  // What the command line prints after a job, in one information box.
  std::string notes;
  for (const std::string& note : run->notes) notes += (notes.empty() ? "" : "\r\n") + note;
  if (result.outcome != LaunchOutcome::kRan) {
    if (!notes.empty()) desktop.ShowMessage(notes, kTitleCheck, kStyleCompletion);
    return;
  }
  if (result.job.outcome == ExtractionOutcome::kAborted) {
    // As the command line says it: the job ended at the user's word, nothing was replaced.
    notes = MessageAborted() + "\r\n結果のフォルダー: " + WorkingFolders(*data_folder).results +
            (notes.empty() ? "" : "\r\n\r\n" + notes);
  }
  if (!notes.empty()) desktop.ShowMessage(notes, kTitleCheck, kStyleCompletion);
  const bool completed = result.job.outcome == ExtractionOutcome::kCompleted;
  if (completed) {
    const WorkingFolders folders(*data_folder);
    OpenWithDefaultProgram(main_window.hwnd(), folders.razoza_xls);
    OpenWithDefaultProgram(main_window.hwnd(), folders.razoza_doc);
  }
}

}  // namespace mirune
