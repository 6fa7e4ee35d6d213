#pragma once

// The jobs of the utility window against the applications the user has running: keyword
// marking in the running InDesign with the keywords of the running Excel, and the re-sort of
// Razoza.xls in the running Excel. The applications are reached through `RunningHosts`, whose
// connections are made where the program is put together; one that cannot be made fails with
// its cause, which the user sees first, above the job's message.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "automation/indesign.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "marking/keyword_marking.h"
#include "progress/progress.h"

namespace mirune {

struct RunningHosts {
  // The running InDesign ("InDesign.Application").
  std::function<Result<std::shared_ptr<indesign::Application>>()> indesign;
  // The keyword workbook in the running Excel ("Excel.Application" with Keyword.xls shown).
  std::function<Result<std::unique_ptr<KeywordWorkbookSource>>()> keyword_workbook;
  // The re-sort of Razoza.xls in the running Excel, with its own messages, JobRunning and
  // attach attempts. kUnsupported when no Excel can be reached: the window then offers the
  // re-sort of a saved workbook.
  std::function<Status(Desktop& desktop, JobFlags& flags)> resort;
};

// The connections of this build. None is made yet: each fails with kUnsupported and the
// cause, so the window says why and offers the files instead.
RunningHosts UnconnectedRunningHosts();

// What Form11 says when InDesign is not installed: "IDMLに実行" marks IDML files without it.
extern const std::string_view kMarkWithoutInDesign;

// Keyword marking against the running applications: RunKeywordMarking with the InDesign and
// the keyword workbook of `hosts`. An application that cannot be reached ends it with kFailed and
// the cause (the job has not started: nothing is changed, JobRunning stays clear); an
// InDesign that is not installed (kNotFound) ends it with kMarkWithoutInDesign instead, the
// cause saying so (kRefused).
KeywordMarkingResult LaunchRunningMarking(RunningHosts& hosts, Desktop& desktop,
                                          ProgressReporter& progress, JobFlags& flags,
                                          std::function<void()> on_confirmed);

}  // namespace mirune
