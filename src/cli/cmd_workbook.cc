// `mirune workbook ENTRIES.txt [-o Razoza.xls]`: the index workbook (sheets Org, Sort_Only,
// Sort_Syori1) from an entry list, one entry line (term TAB reading TAB page) per line, in
// UTF-8 or UTF-16 with a byte-order mark. Prints the number of rows of Org.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/exit_code.h"
#include "base/file.h"
#include "base/path.h"
#include "base/text_encoding.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "workbook/razoza_workbook.h"

namespace mirune::cli {
namespace {

// Entry lists are text a person made or the program wrote; larger ones are not entry lists.
constexpr uint64_t kMaxEntryListBytes = 256ull << 20;

int RunWorkbook(const std::string& entries_path, std::string output_path) {
  auto fail = [](std::string_view cause) {
    PrintErr(CommandLine("workbook", cause));
    return ToProcessExitCode(ExitCode::kError);
  };
  if (output_path.empty()) {
    const std::string folder = ParentFolder(entries_path);
    output_path = JoinPath(folder.empty() ? "." : folder, "Razoza.xls");
  }
  if (auto input = CheckInputPath(entries_path); !input.ok()) return fail(input.message());
  if (SameFile(entries_path, output_path)) {
    return fail("出力先 " + output_path +
                " は入力と同じファイルです。入力は書き換えません。別の出力先を指定して下さい");
  }
  auto bytes = ReadFileBytes(entries_path, kMaxEntryListBytes);
  if (!bytes.ok()) return fail(bytes.message());
  auto text = DecodeTextFile(*bytes);
  if (!text.ok()) return fail(entries_path + ": " + text.message());
  auto rows = WriteRazozaXls(*text, output_path);
  if (!rows.ok()) return fail(rows.message());
  PrintOut(std::to_string(*rows) + "\n");
  return ToProcessExitCode(ExitCode::kOk);
}

}  // namespace

void RegisterWorkbookCommand(CLI::App& app, int& exit_code) {
  auto* cmd = app.add_subcommand(
      "workbook",
      "索引ブック作成: 項目の一覧から Razoza.xls（Org, Sort_Only, Sort_Syori1）を作ります");
  auto entries = std::make_shared<std::string>();
  auto output = std::make_shared<std::string>();
  cmd->add_option("ENTRIES", *entries, "項目の一覧: 1 行に 1 項目（語句 TAB 読み TAB ノンブル）")
      ->required();
  cmd->add_option("-o,--output", *output, "保存先（既定: 一覧と同じフォルダーの Razoza.xls）");
  cmd->callback([entries, output, &exit_code] { exit_code = RunWorkbook(*entries, *output); });
}

}  // namespace mirune::cli
