// `mirune extract [--data-dir DIR] [--yes] [--user-dic FILE] DOCUMENT.idml | BOOK-FOLDER |
// MEMBER.idml…`: the index extraction on the embedded engine. The results go to the data
// folder's RazozaData: Razoza.doc, Razoza.txt and Razoza.xls. The input is never written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "app/data_folder.h"
#include "app/extraction_launch.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "cli/terminal_session.h"
#include "extraction/extraction_documents.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"
#include "extraction/working_files.h"

namespace mirune::cli {
namespace {

struct ExtractOptions {
  std::string data_dir;
  bool yes = false;
  std::string user_dic;
  std::vector<std::string> paths;
};

LaunchSelection SelectionOf(const std::string& absolute_path) {
  return {ParentFolder(absolute_path), FileName(absolute_path)};
}

int ExitCode(const LaunchResult& result) {
  switch (result.outcome) {
    case LaunchOutcome::kIgnored:
    case LaunchOutcome::kWordExcelOpen:
    case LaunchOutcome::kDataFolderBusy:
      return 1;
    case LaunchOutcome::kNotADocument:
    case LaunchOutcome::kRecovered:
      return 2;
    case LaunchOutcome::kRan:
      break;
  }
  switch (result.job.outcome) {
    case ExtractionOutcome::kCompleted:
      return 0;
    case ExtractionOutcome::kEmpty:
    case ExtractionOutcome::kRefused:
    case ExtractionOutcome::kCancelled:
    case ExtractionOutcome::kAborted:
      return 1;
    case ExtractionOutcome::kFailed:
      return 2;
  }
  return 2;
}

int RunExtract(const ExtractOptions& options) {
  const std::string prefix = "mirune extract: ";
  auto data_folder = ChooseDataFolder(options.data_dir, ReadDataFolderEnvironment());
  if (!data_folder.ok()) {
    PrintErr(prefix + data_folder.message() + "\n");
    return 2;
  }

  // Readings: the machine's dictionary; without one, terms keep their written form and kanji
  // terms carry the re-check mark.
  ReadingServiceOptions reading_options;
  reading_options.user_dictionary = options.user_dic;
  std::unique_ptr<ReadingService> readings;
  ScriptWordDivider script_divider;
  UnreadPhoneticLookup unread;
  WordDivider* divider = &script_divider;
  PhoneticLookup* lookup = &unread;
  auto opened = OpenSystemReadings(reading_options);
  if (opened.ok()) {
    readings = std::move(*opened);
    divider = readings.get();
    lookup = readings.get();
  } else if (opened.code() == ErrorCode::kUnsupported && options.user_dic.empty()) {
    PrintErr(prefix +
             "読みの辞書がないため、漢字の語句には読みを付けずに「★読み再確認★」を付けます。\n");
  } else {
    PrintErr(prefix + opened.message() + "\n");
    return 2;
  }

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
    if (!book.ok()) {
      PrintErr(prefix + book.message() + "\n");
      return 2;
    }
    // The members given together make a book named after their folder.
    const std::string book_path = book->full_name;
    engine->RegisterBook(*book);
    selection = SelectionOf(book_path);
  }

  TerminalSession session({options.yes, StdinIsTerminal()});
  TerminalDesktop& desktop = session.desktop();
  TaggedStoryAnalyzer analyzer(*divider, *lookup);
  MemoryRazozaXlsWriter workbook;
  EntryList entries;

  LaunchServices services{desktop,  session.flags(), session.progress(), analyzer,
                          workbook, entries,         *data_folder};
  services.create_indesign = [engine]() -> Result<std::shared_ptr<indesign::Application>> {
    return std::shared_ptr<indesign::Application>(engine);
  };
  services.opens_native_documents = false;

  const LaunchResult result = LaunchExtraction(services, selection);
  session.view().Close();

  const Status& detail = result.outcome == LaunchOutcome::kRan ? result.job.error : result.error;
  if (!detail.ok() && result.outcome != LaunchOutcome::kDataFolderBusy) {
    PrintErr(prefix + "詳細: " + detail.message() + "\n");
  }
  if (result.outcome == LaunchOutcome::kRan) {
    const WorkingFolders folders(*data_folder);
    if (result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n" + folders.razoza_xls + "\n");
    } else if (result.job.outcome == ExtractionOutcome::kEmpty) {
      PrintOut(folders.razoza_doc + "\n" + folders.razoza_txt + "\n");
    }
    if (desktop.interrupted() && result.job.outcome == ExtractionOutcome::kCompleted) {
      PrintErr(prefix + "中止の要求は最後の文書の処理中だったため、処理は最後まで行われました。\n");
    }
    const std::string warning = EstimatedCompositionWarning(*documents.estimated);
    if (!warning.empty() && (result.job.outcome == ExtractionOutcome::kCompleted ||
                             result.job.outcome == ExtractionOutcome::kEmpty)) {
      PrintErr(warning + "\n");
    }
  }
  return ExitCode(result);
}

}  // namespace

void RegisterExtractCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<ExtractOptions>();
  CLI::App* command = app.add_subcommand(
      "extract",
      "索引抽出: 文書（.idml）、ブック（.idml の章のフォルダー、または複数の .idml）から "
      "Razoza.doc, Razoza.txt, Razoza.xls を作ります");
  command->add_option("--data-dir", options->data_dir,
                      "temp と RazozaData を置くフォルダー（既定: プログラムのフォルダー、"
                      "書き込めなければ利用者のデータフォルダー）");
  command->add_flag("--yes", options->yes, "確認にすべて OK と答える");
  command->add_option("--user-dic", options->user_dic, "MeCab のユーザー辞書（.dic）");
  command->add_option("documents", options->paths, "DOCUMENT.idml | BOOK-FOLDER | MEMBER.idml…")
      ->required();
  command->callback([options, &exit_code] { exit_code = RunExtract(*options); });
}

}  // namespace mirune::cli
