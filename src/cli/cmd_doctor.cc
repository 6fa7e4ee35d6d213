// `mirune 診断 [--data-dir DIR]` (also `mirune doctor`): the check of the InDesign and Excel of
// this computer. Tries every member the jobs use, without changing anything the user has, and
// prints the report, which is also written as 動作確認.txt in the data folder's RazozaData.
// Exit code 0 when every member answered as the jobs need, 1 when one did not or the check
// cannot run here (the Linux build), 2 when the report could not be written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/diagnosis_launch.h"
#include "app/exit_code.h"
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

int RunDoctor(const std::string& data_dir) {
  Result<DiagnosisOutcome> outcome = RunComDiagnosis(data_dir);
  if (!outcome.ok()) {
    PrintErr(CommandLine("診断", outcome.message()));
    return ToProcessExitCode(outcome.code() == ErrorCode::kUnsupported ? ExitCode::kRefused
                                                                       : ExitCode::kError);
  }
  PrintOut(outcome->report);
  PrintOut("報告を保存しました: " + outcome->report_path + "\n");
  return ToProcessExitCode(outcome->all_ok ? ExitCode::kOk : ExitCode::kRefused);
}

}  // namespace

void RegisterDoctorCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "診断",
      "動作確認: この PC の InDesign と Excel で、ジョブが使う操作をすべて試します（ユーザーの"
      "文書や設定は変えません）。報告は RazozaData の " +
          std::string(kDiagnosisFileName) + " にも保存します");
  cmd->alias("doctor");
  auto data_dir = std::make_shared<std::string>();
  cmd->add_option("--data-dir", *data_dir,
                  "temp と RazozaData を置くフォルダー（既定: プログラムのフォルダー、"
                  "書き込めなければ利用者のデータフォルダー）");
  cmd->callback([data_dir, &exit_code] { exit_code = RunDoctor(*data_dir); });
}

}  // namespace mirune::cli
