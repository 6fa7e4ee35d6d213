// `mirune resort [--data-dir DIR] [--dic DIR] [--no-learn] Razoza.xls [-o OUT.xls]`: the re-sort
// after reading correction. Builds the sheet AfterSort (second position) from the corrected Org
// and writes the workbook to OUT, by default the input's name with "-resort" before the
// extension. The input is never written: it may hold formats and notes that the workbook engine
// does not read. Unless --no-learn is given, the readings corrected on Org are learned into the
// reading memory ReadingMemory.txt of the data folder (chosen as `mirune extract` chooses it),
// which the next extraction applies first; the readings they are told from are the machine's
// (--dic as for `mirune extract`). When the memory cannot be saved, the workbook is still
// written and the command ends with exit code 2 and the cause naming the memory file.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "analysis/reading_memory.h"
#include "app/data_folder.h"
#include "app/resort_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "workbook/resort_messages.h"

namespace mirune::cli {
namespace {

struct ResortOptions {
  ResortRequest request;
  std::string data_dir;
  bool no_learn = false;
};

int RunResort(const ResortOptions& options) {
  ResortRequest request = options.request;
  request.learn = !options.no_learn;
  if (request.learn) {
    auto data_folder = ChooseDataFolder(options.data_dir, ReadDataFolderEnvironment());
    if (!data_folder.ok()) {
      PrintErr(CommandLine("resort", data_folder.message()));
      return ToProcessExitCode(ExitCode::kError);
    }
    request.data_folder = *data_folder;
  }
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, request);
  if (result.saved) {
    PrintOut(result.output_path + ": AfterSort " + std::to_string(result.after_sort_rows) +
             " 行\n");
  }
  for (const std::string& warning : result.memory_warnings) {
    PrintErr(CommandLine("resort", warning));
  }
  if (!result.cause.ok()) {
    PrintErr(CommandLine("resort", result.cause.message()));
    if (!result.fixed_text.empty()) {
      PrintErr(TerminalDesktop::FormatMessage(result.fixed_text, kResortTitle) + "\n");
    }
    return ToProcessExitCode(result.exit);
  }
  if (request.learn) {
    PrintOut("読みを " + std::to_string(result.learned) + " 件学習しました: " + result.memory_path +
             "\n");
  }
  return ToProcessExitCode(result.exit);
}

}  // namespace

void RegisterResortCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "resort",
      "再ソート: 読みを直した Razoza.xls の Org からシート AfterSort を作り直します（入力は"
      "書き換えません）");
  auto options = std::make_shared<ResortOptions>();
  cmd->add_option("WORKBOOK", options->request.input, "読みを直した Razoza.xls")->required();
  cmd->add_option("-o,--output", options->request.output,
                  "保存先（既定: 入力と同じフォルダーに、拡張子の前に「-resort」を付けた名前）");
  cmd->add_option("--data-dir", options->data_dir,
                  "temp と RazozaData を置くフォルダー（既定: プログラムのフォルダー、"
                  "書き込めなければ利用者のデータフォルダー）");
  cmd->add_option("--dic", options->request.readings.dictionary_folder, kDictionaryFolderHelp);
  cmd->add_flag("--no-learn", options->no_learn,
                "Org で直した読みを、データフォルダーの読みの記憶（" +
                    std::string(kReadingMemoryFileName) + "）に学習しません");
  cmd->callback([options, &exit_code] { exit_code = RunResort(*options); });
}

}  // namespace mirune::cli
