#include "app/running_hosts.h"

#include "automation/attach_retry.h"
#include "marking/marking_messages.h"

namespace mirune {
namespace {

constexpr std::string_view kNoAutomation =
    "この版のミルネは、起動中の InDesign と Excel を自動操作（COM）で操作できません。"
    "IDML 文書とファイルのブックなら、同じ画面から処理できます";

Status NotConnected(std::string_view application) {
  return Status(ErrorCode::kUnsupported,
                std::string(application) + " に接続できません: " + std::string(kNoAutomation));
}

}  // namespace

const std::string_view kMarkWithoutInDesign =
    "InDesign がなくても、IDML 文書はこの画面の「IDMLに実行」でマーキングできます。\r\n"
    "IDML 文書（またはブックのフォルダー）、キーワードのブック、マークを選んで押して下さい。\r\n"
    "マーキングした文書は、元の文書の横に別の名前で保存します。";

RunningHosts UnconnectedRunningHosts() {
  RunningHosts hosts;
  hosts.indesign = []() -> Result<std::shared_ptr<indesign::Application>> {
    return NotConnected("InDesign");
  };
  hosts.keyword_workbook = []() -> Result<std::unique_ptr<KeywordWorkbookSource>> {
    return NotConnected("Excel");
  };
  hosts.resort = [](Desktop&, JobFlags&) { return NotConnected("Excel"); };
  return hosts;
}

KeywordMarkingResult LaunchRunningMarking(RunningHosts& hosts, Desktop& desktop,
                                          ProgressReporter& progress, JobFlags& flags,
                                          std::function<void()> on_confirmed) {
  KeywordMarkingResult result;
  auto unreachable = [&](const Status& cause) {
    const MarkingMessageBox box = MarkingMessageFor(MarkingMessage::kFailed);
    desktop.ShowFailure(box.text, cause.message(), box.title, box.style);
    result.outcome = MarkingOutcome::kFailed;
    result.message = MarkingMessage::kFailed;
    result.detail = cause.message();
    return result;
  };
  Result<std::shared_ptr<indesign::Application>> indesign =
      hosts.indesign ? hosts.indesign() : NotConnected("InDesign");
  if (!indesign.ok()) {
    if (indesign.code() != ErrorCode::kNotFound) return unreachable(indesign.status());
    // Not installed: the job's message about dialogs and rights does not apply.
    const std::string cause = "このコンピューターには InDesign がインストールされていません（" +
                              indesign.message() + "）";
    desktop.ShowFailure(kMarkWithoutInDesign, cause, kTitleCheck, kStyleRefusal);
    result.outcome = MarkingOutcome::kRefused;
    result.detail = cause;
    return result;
  }
  Result<std::unique_ptr<KeywordWorkbookSource>> keywords =
      hosts.keyword_workbook ? hosts.keyword_workbook() : NotConnected("Excel");
  if (!keywords.ok()) return unreachable(keywords.status());
  ThreadSleeper sleeper;
  KeywordMarkingHosts job_hosts{
      **indesign, **keywords, desktop, progress, sleeper, flags, std::move(on_confirmed)};
  return RunKeywordMarking(job_hosts);
}

}  // namespace mirune
