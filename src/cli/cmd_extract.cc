// `mirune extract [--host com|embedded] [--data-dir DIR] [--yes] [--dic DIR] [--user-dic FILE]
// DOCUMENT | BOOK | BOOK-FOLDER | MEMBER.idml…`: the index extraction, in the InDesign of this
// computer (.indd, .indb; Windows) or on the embedded engine (IDML). The results go to the data
// folder's RazozaData: Razoza.doc, Razoza.txt and Razoza.xls. The input is never written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/reading_memory.h"
#include "app/data_folder.h"
#include "app/extraction_launch.h"
#include "app/indesign_host.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/path.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "cli/terminal_session.h"
#include "extraction/extraction_documents.h"
#include "extraction/messages.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"
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

LaunchSelection SelectionOf(const std::string& absolute_path) {
  return {ParentFolder(absolute_path), FileName(absolute_path)};
}

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

  // Readings: the machine's dictionary; without one, terms keep their written form and kanji
  // terms carry the re-check mark.
  ReadingServiceOptions reading_options;
  reading_options.dictionary_folder = options.dic;
  reading_options.user_dictionary = options.user_dic;
  // The readings the user corrected and re-sorted come first.
  reading_options.reading_memory = JoinPath(*data_folder, kReadingMemoryFileName);
  auto readings = OpenJobReadings(reading_options);
  if (!readings.ok()) return fail(readings.message());
  if (readings->written_form) PrintErr(CommandLine("extract", kWrittenFormReadingsNotice));
  WordDivider* divider = readings->service.get();
  PhoneticLookup* lookup = readings->service.get();

  // The embedded engine with the IDML documents.
  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  ExtractionDocuments documents = MakeExtractionDocuments();
  engine->AddLoader(documents.loader);

  LaunchSelection selection;
  if (options.paths.size() == 1) {
    selection = SelectionOf(AbsolutePath(options.paths[0]));
  } else {
    std::vector<std::string> members;
    for (const std::string& path : options.paths) members.push_back(AbsolutePath(path));
    auto book = documents.book_of_files(members);
    if (!book.ok()) return fail(book.message());
    // The members given together make a book named after their folder.
    const std::string book_path = book->full_name;
    engine->RegisterBook(*book);
    selection = SelectionOf(book_path);
  }

  TerminalSession session({options.yes, StdinIsTerminal(), "extract"});
  TerminalDesktop& desktop = session.desktop();
  TaggedStoryAnalyzer analyzer(*divider, *lookup, readings->service.get());
  MemoryRazozaXlsWriter workbook;
  EntryList entries;

  LaunchServices services{desktop,  session.flags(), session.progress(), analyzer,
                          workbook, entries,         *data_folder};
  UseInDesign(services, host == InDesignHost::kCom, SelectedFilePath(selection), engine);

  const LaunchResult result = LaunchExtraction(services, selection);
  session.view().Close();
  for (const std::string& note : result.recovered) PrintErr(CommandLine("extract", note));

  if (result.outcome == LaunchOutcome::kRan) {
    const WorkingFolders folders(*data_folder);
    if (result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n" + folders.razoza_xls + "\n");
    } else if (result.job.outcome == ExtractionOutcome::kEmpty) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n");
    }
    for (const std::string& warning : result.job.warnings) {
      PrintErr(CommandLine("extract", warning));
    }
    for (const std::string& notice : readings->notices) PrintErr(CommandLine("extract", notice));
    if (result.job.outcome == ExtractionOutcome::kCompleted && result.job.reading_check_count > 0) {
      PrintErr(CommandLine("extract", ReadingCheckSummary(result.job.reading_check_count)));
    }
    if (!result.job.text_pages.empty()) {
      std::string pages;
      for (const std::string& page : result.job.text_pages) {
        pages += (pages.empty() ? "" : "、") + page;
      }
      PrintErr(CommandLine("extract",
                           "ノンブルが数字でないページがありました（項目には書かれたとおりに"
                           "入れました）: " +
                               pages));
    }
    if (desktop.interrupted() && result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintErr(CommandLine(
          "extract", "中止の要求は最後の文書の処理中だったため、処理は最後まで行われました。"));
    } else if (result.job.outcome == ExtractionOutcome::kAborted) {
      PrintErr(CommandLine("extract", MessageAborted()));
    }
    const std::string warning = EstimatedCompositionWarning(*documents.estimated);
    if (!warning.empty() && (result.job.outcome == ExtractionOutcome::kCompleted ||
                             result.job.outcome == ExtractionOutcome::kEmpty)) {
      PrintErr(warning + "\n");
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
