#include "gui/running_hosts_win.h"

#include <cstdlib>
#include <memory>
#include <utility>

#include "app/indesign_host.h"
#include "automation/attach_retry.h"
#include "automation/com/excel_client_win.h"
#include "automation/com/message_filter_win.h"
#include "gui/desktop_detection_win.h"
#include "marking/running_excel_keyword_source.h"
#include "workbook/resort_job.h"

namespace mirune {

RunningHosts ComRunningHosts() {
  RunningHosts hosts;
  hosts.indesign = [] { return ConnectComInDesign(); };
  hosts.keyword_workbook = []() -> Result<std::unique_ptr<KeywordWorkbookSource>> {
    auto detection = std::make_shared<SystemDesktopDetection>();
    return std::unique_ptr<KeywordWorkbookSource>(std::make_unique<RunningExcelKeywordSource>(
        [detection] { return (*detection)->MaximizeKeywordXls(); },
        [] { return com::AttachRunningExcel(ExcelProgId()); },
        [detection] { return (*detection)->CountExcelWindows().visible; }));
  };
  hosts.resort = [](Desktop& desktop, JobFlags& flags) -> Status {
    // Only looked at: a hidden Excel may be the user's own (started by another program), and
    // is never asked to close from here.
    SystemDesktopDetection detection;
    const DesktopDetection::WindowCount excel = detection->CountExcelWindows();
    if (excel.visible == 0) {
      return Status(
          ErrorCode::kUnsupported,
          excel.hidden == 0
              ? "Excel が起動していません"
              : "起動している Excel の画面が見つかりません（画面を出していない Excel が " +
                    std::to_string(excel.hidden) + " 個あります）");
    }
    // Calls Excel rejects while it shows a dialog are retried for a while, then fail.
    com::MessageFilterScope busy_filter{com::BusyRetryPolicy{}};
    ThreadSleeper sleeper;
    ResortJobHosts job{desktop,
                       flags,
                       sleeper,
                       [&detection] { return detection->MaximizeRazozaXls(); },
                       [] { return com::AttachRunningExcel(ExcelProgId()); },
                       [&detection] { return detection->CountExcelWindows().visible; }};
    ResortRazozaXls(job);
    return Status::Ok();
  };
  return hosts;
}

}  // namespace mirune
