// `mirune index Razoza.xls [-o BASE] [--sheet NAME] [--by-mark] [--no-idml] [options]`: the
// finished index from the corrected workbook: BASE.txt (plain UTF-8 text), BASE-tagged.txt
// (InDesign tagged text, to be placed), BASE.idml (the index placed in a document) and BASE.xls
// (a copy of the workbook with the sheet "索引"); with --by-mark one index per mark number
// (BASE-N.txt, BASE-N-tagged.txt, BASE-N.idml, sheet "索引N"). The input is never written.

#include <CLI/CLI.hpp>

#include <map>
#include <memory>
#include <string>

#include "app/index_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

struct IndexOptions {
  IndexRequest request;
  std::string headings = "rows";
  std::string others = "after";
  std::string text_pages = "first";
};

// The value of a choice option, checked: an unknown value is refused with its choices.
bool Choose(std::string_view option, const std::string& value,
            std::initializer_list<std::string_view> choices) {
  std::string list;
  for (std::string_view c : choices) {
    if (value == c) return true;
    list += (list.empty() ? "" : "、") + std::string(c);
  }
  PrintErr(CommandLine("index", std::string(option) + " は " + list + " のどれかです（「" + value +
                                    "」は使えません）。"));
  return false;
}

int RunIndex(IndexOptions& options) {
  if (!Choose("--headings", options.headings, {"rows", "kana", "none"}) ||
      !Choose("--others", options.others, {"after", "before"}) ||
      !Choose("--text-pages", options.text_pages, {"first", "last"})) {
    return ToProcessExitCode(ExitCode::kError);
  }
  IndexRequest& request = options.request;
  request.options.headings = options.headings == "kana"   ? KanaHeadings::kEachKana
                             : options.headings == "none" ? KanaHeadings::kNone
                                                          : KanaHeadings::kRows;
  request.options.others =
      options.others == "before" ? OtherGroupsPlace::kBeforeKana : OtherGroupsPlace::kAfterKana;
  request.options.text_pages_first = options.text_pages != "last";
  MemoryExcel excel;
  const IndexLaunchResult result = LaunchIndex(excel, request);
  if (!result.cause.ok()) {
    PrintErr(CommandLine("index", result.cause.message()));
    return ToProcessExitCode(result.exit);
  }
  std::string out;
  for (const std::string& path : result.written) out += path + "\n";
  PrintOut(out);
  if (!result.note.empty()) PrintErr(CommandLine("index", result.note));
  PrintErr(CommandLine("index", "シート「" + result.sheet + "」から、見出し " +
                                    std::to_string(result.headings) + " 行と項目 " +
                                    std::to_string(result.entries) + " 行の索引を作りました。"));
  return ToProcessExitCode(result.exit);
}

}  // namespace

void RegisterIndexCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<IndexOptions>();
  CLI::App* cmd = app.add_subcommand(
      "index",
      "索引作成: 読みを直した Razoza.xls から仕上がった索引（見出し、ページの範囲）を作り、"
      "テキスト、InDesign のタグ付きテキスト、索引を配置した IDML、シート「索引」を加えたブックに"
      "書き出します");
  cmd->add_option("WORKBOOK", options->request.input, "読みを直した Razoza.xls")->required();
  cmd->add_option("-o,--output", options->request.base,
                  "書き出すファイルの名前（拡張子なし）。BASE.txt, BASE-tagged.txt, BASE.idml, "
                  "BASE.xls を作ります（既定: 入力の名前に「-索引」を付けたもの）");
  cmd->add_option("--sheet", options->request.sheet,
                  "索引にするシート（既定: AfterSort があればそれ、なければ Sort_Syori1）");
  cmd->add_option("--headings", options->headings,
                  "見出し: rows（あ行、か行…）、kana（あ、い、う…）、none（見出しなし）");
  cmd->add_option("--others", options->others,
                  "英字・数字・記号で始まる語句の群: after（かなの後）、before（かなの前）");
  cmd->add_option("--range-mark", options->request.options.range_mark,
                  "3 ページ以上続くページをまとめる記号（–、-、～ など。既定: –）");
  cmd->add_option("--separator", options->request.options.page_separator,
                  "ページの区切り（既定: 、）");
  cmd->add_option("--text-pages", options->text_pages,
                  "数字でないノンブル（iv など）: first（数字の前）、last（数字の後）");
  cmd->add_flag(
      "--no-idml", [options](int64_t) { options->request.idml = false; },
      "索引を配置した IDML 文書（BASE.idml）を作りません");
  cmd->add_flag("--by-mark", options->request.by_mark,
                "マーク番号（RazozaMark1 … 9）ごとに別の索引を作ります（BASE-1.txt、シート「索引1」"
                "など。事項索引と人名索引を分けるときなど）");
  cmd->callback([options, &exit_code] { exit_code = RunIndex(*options); });
}

}  // namespace mirune::cli
