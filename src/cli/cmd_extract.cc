// `mirune extract [--host com|embedded] [--data-dir DIR] [--yes] [--dic DIR] [--user-dic FILE]
// DOCUMENT | BOOK | BOOK-FOLDER | MEMBER.idml…`: the index extraction, in the InDesign of this
// computer (.indd, .indb; Windows) or on the embedded engine (IDML). The results go to the data
// folder's RazozaData: Razoza.doc, Razoza.txt and Razoza.xls. The input is never written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "app/data_folder.h"
#include "app/extraction_launch.h"
#include "app/extraction_run.h"
#include "app/indesign_host.h"
#include "base/file.h"
#include "base/path.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "cli/terminal_session.h"
#include "extraction/messages.h"
#include "extraction/working_files.h"

namespace mirune::cli {
namespace {

struct ExtractOptions {
  std::string host;
  std::string data_dir;
  bool yes = false;
  std::string dic;
  std::string user_dic;
  std::vector<std::string> paths;
};

int RunExtract(const ExtractOptions& options) {
  auto fail = [](std::string_view cause) {
    PrintErr(CommandLine("extract", cause));
    return ToProcessExitCode(ExitCode::kError);
  };
  auto asked_host = ParseInDesignHost(options.host);
  if (!asked_host.ok()) return fail(asked_host.message());
  const InDesignHost host = ResolveInDesignHost(*asked_host, options.paths[0]);
  // Asked for by name, a host this build lacks is refused at once; chosen by the file's kind,
  // the launch reports it as it reports an InDesign that cannot be started.
  if (*asked_host == InDesignHost::kCom) {
    if (Status available = ComHostAvailable(); !available.ok()) return fail(available.message());
  }
  if (host == InDesignHost::kCom && options.paths.size() > 1) {
    return fail(
        "InDesign では章のファイルを並べて 1 冊にできません。ブック（.indb）を指定して下さい");
  }
  auto data_folder = ChooseDataFolder(options.data_dir, ReadDataFolderEnvironment());
  if (!data_folder.ok()) return fail(data_folder.message());

  ExtractionRunRequest request;
  request.data_folder = *data_folder;
  request.dictionary_folder = options.dic;
  request.user_dictionary = options.user_dic;
  request.com = host == InDesignHost::kCom;
  for (const std::string& path : options.paths) request.paths.push_back(AbsolutePath(path));

  TerminalSession session({options.yes, StdinIsTerminal(), "extract"});
  TerminalDesktop& desktop = session.desktop();
  ExtractionRunHosts hosts{desktop, session.flags(), session.progress()};
  hosts.notice_before_job = [](const std::string& notice) {
    PrintErr(CommandLine("extract", notice));
  };
  Result<ExtractionRun> run = RunExtractionJob(request, hosts);
  session.view().Close();
  if (!run.ok()) return fail(run.message());
  const LaunchResult& result = run->launch;
  if (result.outcome == LaunchOutcome::kRan) {
    const WorkingFolders folders(*data_folder);
    if (result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n" + folders.razoza_xls + "\n");
    } else if (result.job.outcome == ExtractionOutcome::kEmpty) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n");
    }
  }
  for (const std::string& note : run->notes) PrintErr(CommandLine("extract", note));
  if (result.outcome == LaunchOutcome::kRan) {
    if (desktop.interrupted() && result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintErr(CommandLine(
          "extract", "中止の要求は最後の文書の処理中だったため、処理は最後まで行われました。"));
    } else if (result.job.outcome == ExtractionOutcome::kAborted) {
      PrintErr(CommandLine("extract", MessageAborted()));
    }
  }
  return ToProcessExitCode(ExitCodeOf(result));
}

}  // namespace

void RegisterExtractCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<ExtractOptions>();
  CLI::App* command = app.add_subcommand(
      "extract",
      "索引抽出: 文書（.indd、.idml）、ブック（.indb、.idml の章のフォルダー、または複数の "
      ".idml）から Razoza.doc, Razoza.txt, Razoza.xls を作ります。読みは、学習した読み"
      "（データフォルダーの ReadingMemory.txt）、語句全体の辞書（SKK-JISYO.L）、MeCab の順に"
      "決めます");
  command->add_option("--host", options->host, kHostHelp);
  command->add_option("--data-dir", options->data_dir,
                      "temp と RazozaData を置くフォルダー（既定: プログラムのフォルダー、"
                      "書き込めなければ利用者のデータフォルダー）");
  command->add_flag("--yes", options->yes, "確認にすべて OK と答える");
  command->add_option("--dic", options->dic, kDictionaryFolderHelp);
  command->add_option("--user-dic", options->user_dic, "MeCab のユーザー辞書（.dic）");
  command
      ->add_option(
          "DOCUMENTS", options->paths,
          "文書（.indd、.idml）、ブック（.indb、.idml の章を集めたフォルダー）、または章の "
          ".idml（複数、この順）")
      ->required();
  command->callback([options, &exit_code] { exit_code = RunExtract(*options); });
}

}  // namespace mirune::cli
