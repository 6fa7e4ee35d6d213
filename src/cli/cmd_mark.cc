// `mirune mark [--host com|embedded] --keywords Keyword.xls (--swatch NAME | --style NAME)
// [--case-sensitive] [--whole-word] [--yes] INPUT -o OUTPUT`: keyword bulk marking of a
// document or book, in the InDesign of this computer (.indd, .indb; Windows) or in the embedded
// engine (IDML); the marked result is saved to OUTPUT and INPUT is never written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/indesign_host.h"
#include "app/marking_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_session.h"
#include "marking/keyword_report.h"
#include "marking/mark_files.h"

namespace mirune::cli {
namespace {

struct MarkCliOptions {
  std::string host;
  FileMarkingRequest request;
  bool yes = false;
};

int RunMark(const MarkCliOptions& options) {
  auto asked_host = ParseInDesignHost(options.host);
  if (!asked_host.ok()) {
    PrintErr(CommandLine("mark", asked_host.message()));
    return ToProcessExitCode(ExitCode::kError);
  }
  const InDesignHost host = ResolveInDesignHost(*asked_host, options.request.input);
  // Asked for by name, a host this build lacks is refused at once; chosen by the file's kind,
  // the launch reports it as it reports an InDesign that cannot be started.
  if (*asked_host == InDesignHost::kCom) {
    if (Status available = ComHostAvailable(); !available.ok()) {
      PrintErr(CommandLine("mark", available.message()));
      return ToProcessExitCode(ExitCode::kError);
    }
  }
  TerminalSession session({options.yes, StdinIsTerminal() && StderrIsTerminal(), "mark"});
  auto open_keywords = [](const std::string& path) { return MemoryExcel().OpenWorkbook(path); };
  FileMarkingResult result;
  if (host == InDesignHost::kCom) {
    HostMarkingServices services{session.desktop(), session.progress(), session.flags(),
                                 open_keywords,     ConnectComInDesign, SaveComDocumentAs};
    result = LaunchHostMarking(options.request, services);
  } else {
    MarkDocumentFiles files = MakeMarkDocumentFiles();
    FileMarkingServices services{session.desktop(), session.progress(), session.flags(),
                                 open_keywords,     files.loader,       files.save};
    result = LaunchFileMarking(options.request, services);
  }
  session.view().Close();
  for (const std::string& warning : result.warnings) PrintErr(CommandLine("mark", warning));
  if (!result.cause.ok()) PrintErr(CommandLine("mark", result.cause.message()));
  if (result.exit != ExitCode::kOk) return ToProcessExitCode(result.exit);
  PrintOut(FormatKeywordReport(result.tallies));
  for (const std::string& path : result.saved_paths) PrintOut("保存しました: " + path + "\n");
  return ToProcessExitCode(result.exit);
}

}  // namespace

void RegisterMarkCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<MarkCliOptions>();
  CLI::App* cmd = app.add_subcommand(
      "mark",
      "一括マーキング: キーワードのブック（.xls）の「Sheet1」B 列のキーワードを、文書または"
      "ブックのすべての箇所でスウォッチか文字スタイル（RazozaMark1〜RazozaMark9）でマークし、"
      "結果を OUTPUT に保存します（INPUT は書き換えません）");
  FileMarkingRequest& r = options->request;
  cmd->add_option("--host", options->host, kHostHelp);
  cmd->add_option("--keywords", r.keywords_path,
                  "キーワードのブック（.xls）: 「Sheet1」の B 列、1 行目から")
      ->required();
  auto* swatch =
      cmd->add_option("--swatch", r.swatch, "付けるスウォッチ（なければプロセスカラーで作ります）");
  auto* style = cmd->add_option("--style", r.style,
                                "付ける文字スタイル（なければ色だけの文字スタイルを作ります）");
  swatch->excludes(style);
  style->excludes(swatch);
  cmd->add_flag("--case-sensitive", r.case_sensitive, "大文字と小文字を区別する");
  cmd->add_flag("--whole-word", r.whole_word, "単語単位で検索する");
  cmd->add_flag("--yes,-y", options->yes, "確認せずに開始する");
  cmd->add_option("INPUT", r.input,
                  "文書（.indd、.idml）、またはブック（.indb、.idml の文書を集めたフォルダー）")
      ->required();
  cmd->add_option("-o,--output", r.output, "マークした文書の保存先（ブックならフォルダー）")
      ->required();
  cmd->callback([options, &exit_code] { exit_code = RunMark(*options); });
}

}  // namespace mirune::cli
