// `mirune mark --keywords Keyword.xls (--swatch NAME | --style NAME) [--case-sensitive]
// [--whole-word] [--yes] INPUT -o OUTPUT`: keyword bulk marking of a document (or a folder of
// a book's documents) in the embedded engine; the marked result is saved to OUTPUT and INPUT
// is never written.

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/desktop.h"
#include "automation/excel_engine/memory_workbook.h"
#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "cli/terminal_session.h"
#include "marking/mark_command.h"
#include "marking/mark_files.h"

namespace mirune::cli {
namespace {

struct MarkCliOptions {
  MarkCommandOptions command;
  bool yes = false;
};

int RunMark(const MarkCliOptions& options) {
  TerminalSession session({options.yes, StdinIsTerminal() && StderrIsTerminal()});
  TerminalDesktop& desktop = session.desktop();
  MarkDocumentFiles files = MakeMarkDocumentFiles();
  MarkCommandHosts hosts{desktop,
                         session.progress(),
                         [](std::string_view s) { PrintOut(s); },
                         [](std::string_view s) { PrintErr(s); },
                         [](const std::string& path) { return MemoryExcel().OpenWorkbook(path); },
                         files.loader,
                         files.save};
  return RunMarkCommand(options.command, hosts);
}

}  // namespace

void RegisterMarkCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<MarkCliOptions>();
  CLI::App* cmd = app.add_subcommand(
      "mark",
      "Mark every occurrence of the keywords in column B of \"Sheet1\" of a keyword workbook "
      "with a swatch or character style (RazozaMark1 … RazozaMark9) in a document or book, "
      "and save the marked result to OUTPUT (INPUT is never written)");
  cmd->add_option("--keywords", options->command.keywords_path,
                  "keyword workbook (.xls): keywords in column B of \"Sheet1\" from row 1")
      ->required();
  auto* swatch = cmd->add_option("--swatch", options->command.swatch,
                                 "swatch to apply (created in a process colour when missing)");
  auto* style =
      cmd->add_option("--style", options->command.style,
                      "character style to apply (created as a colour-only style when missing)");
  swatch->excludes(style);
  style->excludes(swatch);
  cmd->add_flag("--case-sensitive", options->command.case_sensitive, "match case");
  cmd->add_flag("--whole-word", options->command.whole_word, "match whole words only");
  cmd->add_flag("--yes,-y", options->yes, "start without asking for confirmation");
  cmd->add_option("INPUT", options->command.input,
                  "document (.idml) or book folder (a folder of .idml documents)")
      ->required();
  cmd->add_option("-o,--output", options->command.output,
                  "marked document (a file), or for a book a folder")
      ->required();
  cmd->callback([options, &exit_code] { exit_code = RunMark(*options); });
}

}  // namespace mirune::cli
