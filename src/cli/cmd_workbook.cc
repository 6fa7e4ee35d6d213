// `mirune workbook ENTRIES.txt [-o Razoza.xls]`: the index workbook (sheets Org, Sort_Only,
// Sort_Syori1) from an entry list, one entry line (term TAB reading TAB page) per line, in
// UTF-8 or UTF-16 with a byte-order mark. Prints the number of rows of Org.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "base/file.h"
#include "base/text_encoding.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "workbook/razoza_workbook.h"

namespace mirune::cli {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int RunWorkbook(const std::string& entries_path, std::string output_path) {
  if (output_path.empty()) output_path = JoinPath(FolderOf(entries_path), "Razoza.xls");
  auto bytes = ReadFileBytes(entries_path);
  if (!bytes.ok()) {
    PrintErr("mirune workbook: " + bytes.message() + "\n");
    return 2;
  }
  auto text = DecodeTextFile(*bytes);
  if (!text.ok()) {
    PrintErr("mirune workbook: " + entries_path + ": " + text.message() + "\n");
    return 2;
  }
  auto rows = WriteRazozaXls(*text, output_path);
  if (!rows.ok()) {
    PrintErr("mirune workbook: " + rows.message() + "\n");
    return 2;
  }
  PrintOut(std::to_string(*rows) + "\n");
  return 0;
}

}  // namespace

void RegisterWorkbookCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "workbook", "Build the index workbook (Org, Sort_Only, Sort_Syori1) from an entry list");
  auto entries = std::make_shared<std::string>();
  auto output = std::make_shared<std::string>();
  cmd->add_option("ENTRIES", *entries, "Entry list: term TAB reading TAB page, one per line")
      ->required();
  cmd->add_option("-o,--output", *output,
                  "Workbook to write (default: Razoza.xls beside the entry list)");
  cmd->callback([entries, output, &exit_code] { exit_code = RunWorkbook(*entries, *output); });
}

}  // namespace mirune::cli
