// `mirune`: the command line of ミルネ, for batch work and machines without the desktop shell.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"

#ifdef _WIN32
#include <windows.h>

#include "base/utf.h"
#endif

namespace {

int Run(int argc, char** argv) {
  mirune::cli::SetUpConsole();
  CLI::App app{"ミルネ: index terms from InDesign documents to Razoza.doc, .txt and .xls"};
  app.require_subcommand(1);
  int exit_code = 0;
  mirune::cli::RegisterWorkbookCommand(app, exit_code);
  mirune::cli::RegisterResortCommand(app, exit_code);
  mirune::cli::RegisterEntriesCommand(app, exit_code);
  mirune::cli::RegisterMarkCommand(app, exit_code);
  mirune::cli::RegisterExtractCommand(app, exit_code);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = app.exit(e);
    return rc == 0 ? 0 : 2;
  }
  return exit_code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** wargv) {
  // Arguments arrive as UTF-16; the core takes UTF-8.
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    const std::wstring w(wargv[i]);
    args.push_back(mirune::Utf16ToUtf8(std::u16string(w.begin(), w.end())));
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return Run(argc, argv.data());
}
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
