// `mirune entries [--user-dic FILE] STORY.txt…`: analyses exported stories (InDesign tagged
// text) in the order given, as one extraction job would, and prints the entry list: one
// entry line (term TAB reading TAB page) per line, UTF-8, LF.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/story_scan.h"
#include "app/exit_code.h"
#include "base/file.h"
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

// Larger files are no exported stories; reading them whole would only exhaust memory.
constexpr uint64_t kMaxStoryFileBytes = 256ull << 20;

// Without a reading dictionary every kanji word keeps its written form, and the re-check
// mark flags it for the user.
class WrittenFormLookup : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view text) override { return std::string(text); }
};

struct EntriesOptions {
  std::string user_dictionary;
  std::vector<std::string> stories;
};

int RunEntries(const EntriesOptions& options) {
  ReadingServiceOptions reading_options;
  reading_options.user_dictionary = options.user_dictionary;
  std::unique_ptr<ReadingService> service;
  bool without_dictionary = false;
  ScriptWordDivider script_divider;
  WrittenFormLookup written_form;
  AnalysisContext ctx;
  auto opened = OpenSystemReadings(reading_options);
  if (opened.ok()) {
    service = std::move(*opened);
    ctx.divider = service.get();
    ctx.lookup = service.get();
  } else if (opened.code() == ErrorCode::kUnsupported && options.user_dictionary.empty()) {
    without_dictionary = true;
    ctx.divider = &script_divider;
    ctx.lookup = &written_form;
  } else {
    PrintErr(CommandLine("entries", opened.message()));
    return ToProcessExitCode(ExitCode::kError);
  }

  EntryList entries;
  ctx.entries = &entries;
  for (const std::string& story : options.stories) {
    Status input = CheckInputPath(story);
    Result<std::string> bytes = input.ok() ? ReadFileBytes(story, kMaxStoryFileBytes)
                                           : Result<std::string>(input.code(), input.message());
    if (!bytes.ok()) {
      PrintErr(CommandLine("entries", bytes.message()));
      return ToProcessExitCode(ExitCode::kError);
    }
    Status status = AnalyseTaggedStory(*bytes, ctx);
    if (!status.ok()) {
      PrintErr(CommandLine("entries", story + ": " + status.message()));
      return ToProcessExitCode(ExitCode::kError);
    }
  }
  if (without_dictionary) {
    PrintErr(CommandLine(
        "entries",
        "読みの辞書がないため、漢字の語句には読みを付けずに「★読み再確認★」を付けました"));
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
  cmd->add_option("--user-dic", options->user_dictionary,
                  "MeCab のユーザー辞書（コンパイル済みの .dic）: 自分の語句の読み");
  cmd->add_option("stories", options->stories, "タグ付きテキストのファイル（この順に解析します）")
      ->required();
  cmd->callback([options, &exit_code] { exit_code = RunEntries(*options); });
}

}  // namespace mirune::cli
