// `mirune entries [--dic DIR] [--user-dic FILE] STORY.txt…`: analyses exported stories (InDesign
// tagged text) in the order given, as one extraction job would, and prints the entry list: one
// entry line (term TAB reading TAB page) per line, UTF-8, LF.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/book_readings.h"
#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/story_scan.h"
#include "app/exit_code.h"
#include "base/file.h"
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

struct EntriesOptions {
  std::string dictionary_folder;
  std::string user_dictionary;
  std::vector<std::string> stories;
};

int RunEntries(const EntriesOptions& options) {
  auto fail = [](std::string_view cause) {
    PrintErr(CommandLine("entries", cause));
    return ToProcessExitCode(ExitCode::kError);
  };
  ReadingServiceOptions reading_options;
  reading_options.dictionary_folder = options.dictionary_folder;
  reading_options.user_dictionary = options.user_dictionary;
  auto readings = OpenJobReadings(reading_options);
  if (!readings.ok()) return fail(readings.message());
  AnalysisContext ctx;
  ctx.divider = readings->service.get();
  ctx.lookup = readings->service.get();
  ctx.doubts = readings->service.get();

  EntryList entries;
  ctx.entries = &entries;
  // The stories given together are one book: the ruby of each reads the terms of all.
  BookReadings book;
  ctx.book = &book;
  for (const std::string& story : options.stories) {
    if (auto input = CheckInputPath(story); !input.ok()) return fail(input.message());
    if (Status status = AnalyzeTaggedStoryFile(story, ctx); !status.ok()) {
      return fail(status.message());
    }
  }
  book.Finish(entries, ctx.doubts);
  if (readings->written_form) PrintErr(CommandLine("entries", kWrittenFormReadingsNotice));
  for (const std::string& warning : entries.warnings()) PrintErr(CommandLine("entries", warning));
  for (const std::string& notice : readings->notices) PrintErr(CommandLine("entries", notice));
  // The readings to check, one per line: term, reading, other readings, why.
  for (const ReadingCheck& check : entries.reading_checks()) {
    std::string others;
    for (const std::string& c : check.doubt.candidates) others += (others.empty() ? "" : "、") + c;
    PrintErr(CommandLine("entries", check.doubt.why + ": " + check.term + " → " + check.reading +
                                        (others.empty() ? "" : "（ほかの候補: " + others + "）")));
  }
  PrintOut(entries.text());
  return ToProcessExitCode(ExitCode::kOk);
}

}  // namespace

void RegisterEntriesCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<EntriesOptions>();
  CLI::App* cmd = app.add_subcommand(
      "entries",
      "ストーリー解析: 書き出したストーリー（InDesign のタグ付きテキスト）から項目を取り出し、"
      "1 行に 1 項目（語句 TAB 読み TAB ノンブル）で表示します");
  cmd->add_option("--dic", options->dictionary_folder, kDictionaryFolderHelp);
  cmd->add_option("--user-dic", options->user_dictionary,
                  "MeCab のユーザー辞書（コンパイル済みの .dic）: 自分の語句の読み");
  cmd->add_option("STORIES", options->stories, "タグ付きテキストのファイル（この順に解析します）")
      ->required();
  cmd->callback([options, &exit_code] { exit_code = RunEntries(*options); });
}

}  // namespace mirune::cli
