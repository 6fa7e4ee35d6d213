// `mirune resort Razoza.xls [-o OUT.xls]`: the re-sort after reading correction. Builds the
// sheet AfterSort (second position) from the corrected Org and writes the workbook to OUT,
// by default the input's name with "-resort" before the extension. The input is never
// written: it may hold formats and notes that the workbook engine does not read.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/resort_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "workbook/resort_messages.h"

namespace mirune::cli {
namespace {

int RunResort(const ResortRequest& request) {
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, request);
  if (!result.cause.ok()) {
    PrintErr(CommandLine("resort", result.cause.message()));
    if (!result.fixed_text.empty()) {
      PrintErr(TerminalDesktop::FormatMessage(result.fixed_text, kResortTitle) + "\n");
    }
    return ToProcessExitCode(result.exit);
  }
  PrintOut(result.output_path + ": AfterSort " + std::to_string(result.after_sort_rows) + " 行\n");
  return ToProcessExitCode(result.exit);
}

}  // namespace

void RegisterResortCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "resort",
      "再ソート: 読みを直した Razoza.xls の Org からシート AfterSort を作り直します（入力は"
      "書き換えません）");
  auto request = std::make_shared<ResortRequest>();
  cmd->add_option("WORKBOOK", request->input, "読みを直した Razoza.xls")->required();
  cmd->add_option("-o,--output", request->output,
                  "保存先（既定: 入力と同じフォルダーに、拡張子の前に「-resort」を付けた名前）");
  cmd->callback([request, &exit_code] { exit_code = RunResort(*request); });
}

}  // namespace mirune::cli
