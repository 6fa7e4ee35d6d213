#pragma once

// The extraction as both programs run it, composed once: the readings (with the data
// folder's memory of corrected readings), the embedded engine with the IDML documents or the
// InDesign of this computer, the analysis, the workbook, the launch; and the notes the user
// is given after the job, in one order. The command line prints them; the Windows program
// shows them in one box.

#include <functional>
#include <string>
#include <vector>

#include "app/extraction_launch.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "progress/progress.h"

namespace mirune {

struct ExtractionRunRequest {
  std::string data_folder;        // chosen by the caller; holds temp and RazozaData
  std::string dictionary_folder;  // MeCab's dictionary; empty: the machine's
  std::string user_dictionary;    // MeCab's user dictionary; empty: none
  // The InDesign of this computer (.indd, .indb; Windows) rather than the embedded engine.
  bool com = false;
  // Absolute paths: one document, book or folder of IDML chapters; or several IDML chapters,
  // made one book named after their folder (embedded engine only).
  std::vector<std::string> paths;
};

struct ExtractionRunHosts {
  Desktop& desktop;
  JobFlags& flags;
  ProgressReporter& progress;
  // Once InDesign is reached (the Windows program closes its utility window). May be empty.
  std::function<void()> close_utility_window{};
  // Told before the job when terms will keep their written form (no dictionary); when empty,
  // that notice leads the notes after the job instead.
  std::function<void(const std::string& notice)> notice_before_job{};
};

struct ExtractionRun {
  LaunchResult launch;
  // After the job, in this order: terms kept their written form (unless told before the
  // job), what an interrupted job had left and was cleared, the
  // analysis's warnings, the readings' notices, the count of terms to check, the page names
  // that are no numbers, the documents whose page breaks were estimated. Only what applies.
  std::vector<std::string> notes;
};

// Runs the extraction. An error before the launch (the readings, the chapters' book) is the
// result's error; the launch's refusals and the job's outcome are in ExtractionRun::launch.
// `paths` must not be empty.
Result<ExtractionRun> RunExtractionJob(const ExtractionRunRequest& request,
                                       ExtractionRunHosts& hosts);

}  // namespace mirune
