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
#include "cli/commands.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

struct EntriesOptions {
  std::string user_dictionary;
  std::vector<std::string> stories;
};

int RunEntries(const EntriesOptions& options) {
  const std::string prefix = "mirune entries: ";
  ReadingServiceOptions reading_options;
  reading_options.user_dictionary = options.user_dictionary;
  auto readings = OpenJobReadings(reading_options);
  if (!readings.ok()) {
    PrintErr(prefix + readings.message() + "\n");
    return 2;
  }
  AnalysisContext ctx;
  ctx.divider = readings->service.get();
  ctx.lookup = readings->service.get();

  EntryList entries;
  ctx.entries = &entries;
  for (const std::string& story : options.stories) {
    Status status = AnalyseTaggedStoryFile(story, ctx);
    if (!status.ok()) {
      PrintErr(prefix + status.message() + "\n");
      return 2;
    }
  }
  if (readings->written_form) PrintErr(prefix + std::string(kWrittenFormReadingsNotice) + "\n");
  for (const std::string& warning : entries.warnings()) PrintErr(prefix + warning + "\n");
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
