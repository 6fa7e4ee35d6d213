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
#include "base/file.h"
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

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
  const std::string prefix = "mirune entries: ";
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
    PrintErr(prefix + opened.message() + "\n");
    return 2;
  }

  EntryList entries;
  ctx.entries = &entries;
  for (const std::string& story : options.stories) {
    auto bytes = ReadFileBytes(story);
    if (!bytes.ok()) {
      PrintErr(prefix + bytes.message() + "\n");
      return 2;
    }
    Status status = AnalyseTaggedStory(*bytes, ctx);
    if (!status.ok()) {
      PrintErr(prefix + story + ": " + status.message() + "\n");
      return 2;
    }
  }
  if (without_dictionary) {
    PrintErr(prefix + "this build has no reading dictionary; kanji keep their written form " +
             "and are marked for re-check\n");
  }
  PrintOut(entries.text());
  return 0;
}

}  // namespace

void RegisterEntriesCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<EntriesOptions>();
  CLI::App* cmd = app.add_subcommand(
      "entries",
      "Analyse exported stories (InDesign tagged text) and print their entry lines: term, "
      "reading and page, separated by TAB");
  cmd->add_option("--user-dic", options->user_dictionary,
                  "MeCab user dictionary (compiled .dic) with readings of your own terms");
  cmd->add_option("stories", options->stories, "Tagged-text files, analysed in this order")
      ->required();
  cmd->callback([options, &exit_code] { exit_code = RunEntries(*options); });
}

}  // namespace mirune::cli
