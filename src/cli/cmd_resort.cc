// `mirune resort Razoza.xls [-o OUT.xls]`: the re-sort after reading correction. Builds the
// sheet AfterSort (second position) from the corrected Org and writes the workbook to OUT,
// by default the input's name with "-resort" before the extension. The input is never
// written: it may hold formats and notes that the workbook engine does not read.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

namespace mirune::cli {
namespace {

std::string WithoutCr(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

int RunResort(const std::string& input, const std::string& output) {
  MemoryExcel excel;
  auto result = ResortRazozaXls(excel, input, output);
  if (!result.ok()) {
    PrintErr("[" + std::string(kResortTitle) + "] " + WithoutCr(kResortFailedMessage) + "\n");
    PrintErr("mirune resort: " + result.message() + "\n");
    return 2;
  }
  PrintOut(result->output_path + ": AfterSort " + std::to_string(result->after_sort_rows) +
           " rows\n");
  return 0;
}

}  // namespace

void RegisterResortCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "resort", "Re-sort a corrected Razoza.xls into the sheet AfterSort (input never written)");
  auto input = std::make_shared<std::string>();
  auto output = std::make_shared<std::string>();
  cmd->add_option("WORKBOOK", *input, "The corrected Razoza.xls")->required();
  cmd->add_option("-o,--output", *output,
                  "Workbook to write (default: beside the input, \"-resort\" before the "
                  "extension)");
  cmd->callback([input, output, &exit_code] { exit_code = RunResort(*input, *output); });
}

}  // namespace mirune::cli
