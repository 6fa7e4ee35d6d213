#include "gui/utility_shell_win.h"

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "app/data_folder.h"
#include "app/diagnosis_launch.h"
#include "app/existing_index_files.h"
#include "app/index_launch.h"
#include "app/marking_launch.h"
#include "app/resort_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "base/file.h"
#include "base/wide_path.h"
#include "base/wide_text.h"
#include "extraction/working_files.h"
#include "gui/forms/file_choice_win.h"
#include "gui/forms/input_block_win.h"
#include "gui/help_layout.h"
#include "gui/help_window_win.h"
#include "gui/index_dialog_win.h"
#include "gui/keyword_marking_form_win.h"
#include "gui/main_window_win.h"
#include "gui/manual_win.h"
#include "gui/progress_window_win.h"
#include "gui/utility_window_win.h"
#include "gui/win_desktop_win.h"
#include "marking/mark_files.h"
#include "progress/progress_model.h"
#include "workbook/resort_messages.h"

namespace mirune {
namespace {

constexpr std::string_view kOfferSavedWorkbook =
    "起動中のExcelで再ソートできませんでした。\r\n"
    "\r\n"
    "保存したRazoza.xlsを選ぶと、読みを訂正したシート「Org」から並べ替え直し、\r\n"
    "同じフォルダーに別の名前で保存します（選んだブックは書き換えません）。\r\n"
    "\r\n"
    "Razoza.xlsを選びますか？";

}  // namespace

UtilityShell::UtilityShell(JobFlags& flags, MainWindow& main_window, WinDesktop& desktop,
                           RunningHosts hosts)
    : flags_(flags), main_window_(main_window), desktop_(desktop), hosts_(std::move(hosts)) {}

UtilityShell::~UtilityShell() = default;

HWND UtilityShell::UtilityHwnd() const {
  return utility_ && utility_->exists() ? utility_->hwnd() : main_window_.hwnd();
}

void UtilityShell::ShowUtilityWindow() {
  if (flags_.job_running) return;
  if (!utility_) {
    help::UtilityWindowHooks hooks;
    hooks.first_steps = [this] { ShowFirstSteps(); };
    hooks.manual = [](HWND owner) { help::OpenManual(owner); };
    hooks.faq = [this] { ShowFaq(); };
    hooks.open_results = [this] { OpenResultsFolder(UtilityHwnd()); };
    hooks.resort = [this] { Resort(); };
    hooks.keyword_marking = [this] { ShowKeywordMarking(); };
    hooks.finished_index = [this] { ShowIndexDialog(); };
    hooks.diagnosis = [this] { RunDiagnosis(); };
    auto made = help::UtilityWindow::Create(main_window_.hwnd(), flags_, std::move(hooks));
    if (!made.ok()) {
      desktop_.ShowMessage(made.message(), kTitleCheck, kStyleRefusal);
      return;
    }
    utility_ = std::move(*made);
  }
  utility_->Show();
}

void UtilityShell::OpenResultsFolder(HWND owner) {
  const std::string data = DataFolder();
  if (data.empty()) {
    desktop_.ShowMessage("結果のフォルダー（RazozaData）を置く場所が見つかりません。", kTitleCheck,
                         kStyleRefusal);
    return;
  }
  const std::string results = WorkingFolders(data).results;
  if (!FolderExists(results)) {
    desktop_.ShowMessage(
        "結果のフォルダーはまだありません。索引抽出を実行すると、次のフォルダーに結果を"
        "保存します：\r\n" +
            results,
        kTitleCheck, kStyleCompletion);
    return;
  }
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"explore", Wide(results).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (opened <= 32) {
    desktop_.ShowMessage("結果のフォルダーを開くことができませんでした。\r\n\r\n" + results,
                         kTitleCheck, kStyleRefusal);
  }
}

void UtilityShell::CloseUtilityWindow() {
  if (utility_ && utility_->exists()) utility_->Hide();
}

void UtilityShell::ShowFirstSteps() {
  if (!first_steps_ || !first_steps_->exists()) {
    auto made = help::HelpWindow::Create(help::HelpKind::kFirstSteps, nullptr,
                                         [](HWND owner) { help::OpenManual(owner); });
    if (!made.ok()) {
      desktop_.ShowMessage(made.message(), kTitleCheck, kStyleRefusal);
      return;
    }
    first_steps_ = std::move(*made);
  }
  first_steps_->Show();
}

void UtilityShell::ShowFaq() {
  if (!faq_ || !faq_->exists()) {
    auto made = help::HelpWindow::Create(help::HelpKind::kFaq, nullptr, nullptr);
    if (!made.ok()) {
      desktop_.ShowMessage(made.message(), kTitleCheck, kStyleRefusal);
      return;
    }
    faq_ = std::move(*made);
  }
  faq_->Show();
}

std::string UtilityShell::DataFolder() const {
  auto folder = ChooseDataFolder("", ReadDataFolderEnvironment());
  return folder.ok() ? *folder : std::string();
}

std::string UtilityShell::LastRazozaXls() const {
  const std::string data = DataFolder();
  if (data.empty()) return {};
  const WorkingFolders folders(data);
  return FileExists(folders.razoza_xls) ? folders.razoza_xls : std::string();
}

namespace {

// The last write time of a file; 0 when it cannot be read.
uint64_t WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ToWidePath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

std::string UtilityShell::ProposedIndexWorkbook() const {
  if (!last_resort_output_.empty() && FileExists(last_resort_output_)) return last_resort_output_;
  const std::string fresh = LastRazozaXls();
  if (fresh.empty()) return {};
  // A re-sort of the last extraction's workbook, unless a later extraction replaced it.
  const std::string resorted = DefaultResortPath(fresh);
  if (FileExists(resorted) && WriteTime(resorted) >= WriteTime(fresh)) return resorted;
  return fresh;
}

void UtilityShell::ShowKeywordMarking() {
  if (!marking_form_ || !marking_form_->exists()) {
    KeywordMarkingFormHooks hooks;
    hooks.run_running = [this] { MarkInRunningApplications(); };
    hooks.run_files = [this](const KeywordFileChoice& choice) { MarkFiles(choice); };
    auto made = KeywordMarkingForm::Create(UtilityHwnd(), std::move(hooks), "");
    if (!made.ok()) {
      desktop_.ShowMessage(made.message(), kTitleCheck, kStyleRefusal);
      return;
    }
    marking_form_ = std::move(*made);
  }
  marking_form_->Show();
}

void UtilityShell::MarkInRunningApplications() {
  if (flags_.job_running) return;
  // Made before the job's progress window, which stays free.
  InputBlock others({main_window_.hwnd()});
  auto view = ProgressWindowWin::Create(flags_, main_window_.hwnd());
  if (!view.ok()) {
    desktop_.ShowMessage(view.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  ProgressWindowModel progress(**view);
  LaunchRunningMarking(hosts_, desktop_, progress, flags_, [this] {
    if (marking_form_) marking_form_->Unload();
  });
  (*view)->Close();
}

void UtilityShell::MarkFiles(const KeywordFileChoice& choice) {
  if (flags_.job_running) return;
  FileMarkingRequest request;
  request.input = choice.input;
  request.keywords_path = choice.keywords;
  (choice.style ? request.style : request.swatch) = choice.mark;
  if (request.input.empty() || request.keywords_path.empty()) {
    desktop_.ShowMessage(
        "マーキングするIDML文書（またはブックのフォルダー）と、キーワードのブックを選んで下さい。",
        kTitleCheck, kStyleRefusal);
    return;
  }
  request.output = MarkedOutputPath(
      request.input, FolderExists(request.input),
      [](const std::string& path) { return FileExists(path) || FolderExists(path); });
  std::optional<InputBlock> others;
  others.emplace(std::initializer_list<HWND>{main_window_.hwnd()});
  auto view = ProgressWindowWin::Create(flags_, main_window_.hwnd());
  if (!view.ok()) {
    desktop_.ShowMessage(view.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  ProgressWindowModel progress(**view);
  MarkDocumentFiles files = MakeMarkDocumentFiles();
  FileMarkingServices services{
      desktop_, progress, flags_,
      [](const std::string& path) { return MemoryExcel().OpenWorkbook(path); }, files.loader,
      files.save,
      // Hidden rather than unloaded, so that after an error it comes back with the user's
      // choices.
      [this] {
        if (marking_form_) marking_form_->Hide();
      }};
  FileMarkingResult result;
  {
    // The job itself holds JobRunning from the confirmation on; the checks and the saving
    // around it are guarded too.
    JobRunningScope running(flags_);
    result = LaunchFileMarking(request, services);
  }
  (*view)->Close();
  others.reset();  // Form11 comes back usable after a failure
  std::string warnings;
  for (const std::string& warning : result.warnings) warnings += "\r\n\r\n" + warning;
  if (result.exit != ExitCode::kOk) {
    if (marking_form_ && marking_form_->exists()) marking_form_->Show();
    // A cancelled start or a refusal of the job has shown its own message already.
    if (result.cause.code() == ErrorCode::kCancelled) return;
    desktop_.ShowFailure("一括マーキングを実行できませんでした。" + warnings,
                         result.cause.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  if (marking_form_) marking_form_->Unload();
  std::string saved;
  for (const std::string& path : result.saved_paths) saved += "\r\n" + path;
  int64_t places = 0;
  for (const KeywordTally& tally : result.tallies) places += tally.places;
  desktop_.ShowMessage(
      "マーキングした文書を、元の文書とは別の名前で保存しました" +
          std::string(result.saved_paths.size() > 1 ? "（" + request.output + "）" : "") + "。" +
          saved + "\r\n\r\nマーキングした箇所: " + std::to_string(places) + warnings,
      kTitleCheck, kStyleCompletion);
}

void UtilityShell::RunDiagnosis() {
  if (flags_.job_running) return;
  // InDesign and Excel are driven for a while: no other job may start meanwhile.
  Result<DiagnosisOutcome> outcome = Error{ErrorCode::kInternal, "動作確認が終わりませんでした"};
  {
    JobRunningScope running(flags_);
    InputBlock others({main_window_.hwnd()});
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    outcome = RunComDiagnosis("");
    SetCursor(previous);
  }
  if (!outcome.ok()) {
    desktop_.ShowFailure("動作確認ができませんでした。", outcome.message(), "動作確認",
                         kStyleRefusal);
    return;
  }
  // The box holds the summary: the verdict, each application's version and result, the
  // failures and the jobs' paths; every member's answer is in the file.
  std::string shown;
  size_t start = 0;
  while (start < outcome->report.size()) {
    size_t end = outcome->report.find('\n', start);
    if (end == std::string::npos) end = outcome->report.size();
    const std::string line = outcome->report.substr(start, end - start);
    start = end + 1;
    const bool member = line.rfind("  OK", 0) == 0 || line.rfind("  代替", 0) == 0;
    if (!member) shown += line + "\r\n";
  }
  shown += "各操作の結果は " + outcome->report_path + " に保存しました。";
  desktop_.ShowMessage(shown, "動作確認", outcome->all_ok ? kStyleCompletion : kStyleRefusal);
}

void UtilityShell::Resort() {
  if (flags_.job_running) return;
  Status in_running = Status(ErrorCode::kUnsupported, "Excel に接続できません");
  if (hosts_.resort) {
    InputBlock others({main_window_.hwnd()});
    in_running = hosts_.resort(desktop_, flags_);
  }
  if (in_running.ok()) return;
  if (in_running.code() != ErrorCode::kUnsupported) {
    desktop_.ShowFailure(kResortFailedMessage, in_running.message(), kResortTitle, kStyleRefusal);
    return;
  }
  if (desktop_.ShowFailure(kOfferSavedWorkbook, in_running.message(), kResortTitle,
                           kStyleConfirmStart) != kAnswerOk) {
    return;
  }
  const std::string data = DataFolder();
  std::string initial = LastRazozaXls();
  if (initial.empty() && !data.empty()) initial = WorkingFolders(data).results;
  auto chosen = ChooseFileToOpen(
      UtilityHwnd(), "並べ替え直す Razoza.xls を選んで下さい",
      {{"Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}}, initial);
  if (!chosen) return;
  ResortRequest request;
  request.input = *chosen;
  request.data_folder = data;
  // As `mirune resort` does unless told --no-learn: the corrections are learned into the
  // data folder's memory when the box "読みを記憶する" is ticked.
  request.learn = !data.empty() && (!utility_ || utility_->LearnReadings());
  ResortLaunchResult result;
  {
    JobRunningScope running(flags_);
    InputBlock others({main_window_.hwnd()});
    MemoryExcel excel;
    result = LaunchResort(excel, request);
  }
  if (result.saved) last_resort_output_ = result.output_path;
  std::string notes;
  for (const std::string& warning : result.memory_warnings) notes += "\r\n" + warning;
  if (!result.cause.ok()) {
    // The re-sort's own message (kResortFailedMessage) speaks of the link with Excel, which a saved
    // workbook re-sorted here does not involve: the cause stands first, with a plain line.
    const std::string_view text = "再ソートできませんでした。";
    std::string cause = result.cause.message();
    if (result.saved)
      cause = "並べ替え直したブックは保存しました（" + result.output_path + "）。" + cause;
    desktop_.ShowFailure(std::string(text) + notes, cause, kResortTitle, kStyleRefusal);
    return;
  }
  std::string text = std::string(kResortDoneMessage) +
                     "\r\n\r\n並べ替え直したブックを保存しました：\r\n" + result.output_path +
                     "\r\n（シート「AfterSort」" + std::to_string(result.after_sort_rows) + " 行）";
  if (request.learn && result.learned > 0) {
    text += "\r\n\r\n訂正した読みを " + std::to_string(result.learned) +
            " 件覚えました。次の抽出から使います：\r\n" + result.memory_path;
  }
  desktop_.ShowMessage(text + notes, kResortTitle, kStyleCompletion);
}

void UtilityShell::ShowIndexDialog() {
  const std::string proposed = ProposedIndexWorkbook();
  if (!index_dialog_ || !index_dialog_->exists()) {
    proposed_workbook_ = proposed;
    auto made = help::IndexDialog::Create(
        UtilityHwnd(), proposed,
        [this](HWND dialog, const help::IndexChoices& choices) { MakeIndex(dialog, choices); });
    if (!made.ok()) {
      desktop_.ShowMessage(made.message(), kTitleCheck, kStyleRefusal);
      return;
    }
    index_dialog_ = std::move(*made);
  } else if (proposed != proposed_workbook_) {
    // A re-sort since the dialog was last shown: its workbook is the one to make the index of.
    proposed_workbook_ = proposed;
    index_dialog_->SetControlText(help_form::kIdIndexWorkbook, proposed);
  }
  index_dialog_->Show();
}

void UtilityShell::MakeIndex(HWND dialog, const help::IndexChoices& choices) {
  if (flags_.job_running) return;
  if (choices.workbook.empty()) {
    desktop_.ShowMessage("索引にする、読みを訂正したブック（Razoza.xls）を選んで下さい。",
                         kTitleCheck, kStyleRefusal);
    return;
  }
  const IndexRequest request = help::IndexRequestOf(choices);
  // An earlier index of this workbook is replaced only when the user says so.
  const std::vector<std::string> earlier =
      ExistingIndexFiles(request.base.empty() ? DefaultIndexBase(request.input) : request.base);
  if (!earlier.empty()) {
    std::string question = "前に作った索引のファイルがあります：";
    for (const std::string& path : earlier) question += "\r\n" + path;
    question += "\r\n\r\n新しい索引で上書きしますか？";
    InputBlock others({dialog});
    if (MessageBoxW(dialog, Wide(question).c_str(), Wide(kTitleCheck).c_str(),
                    static_cast<UINT>(kStyleUnsavedWarning)) != IDOK) {
      return;
    }
  }
  IndexLaunchResult result;
  {
    JobRunningScope running(flags_);
    InputBlock others({main_window_.hwnd()});
    MemoryExcel excel;
    result = LaunchIndex(excel, request);
  }
  if (!result.cause.ok()) {
    desktop_.ShowFailure("索引を作成できませんでした。", result.cause.message(), kTitleCheck,
                         kStyleRefusal);
    return;
  }
  std::string text = "索引を作成しました。シート「" + result.sheet + "」から、見出し " +
                     std::to_string(result.headings) + " 行と項目 " +
                     std::to_string(result.entries) + " 行です。\r\n\r\n" +
                     "読み込んだブックと同じフォルダーに書き出しました：";
  for (const std::string& path : result.written) text += "\r\n" + path;
  if (!result.note.empty()) text += "\r\n\r\n" + result.note;
  desktop_.ShowMessage(text, kTitleCheck, kStyleCompletion);
}

}  // namespace mirune
