// `mirune`: the command line of ミルネ, for batch work and machines without the desktop shell.

#include <CLI/CLI.hpp>

#include <exception>
#include <new>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "cli/commands.h"
#include "cli/terminal.h"

#ifdef _WIN32
#include <windows.h>

#include "base/wide_path.h"
#endif

namespace mirune::cli {
namespace {

// The help's own words in Japanese.
void SetJapaneseHelp(CLI::App& app) {
  auto formatter = app.get_formatter();
  formatter->label("Usage", "使い方");
  formatter->label("OPTIONS", "オプション");
  formatter->label("SUBCOMMAND", "サブコマンド");
  formatter->label("SUBCOMMANDS", "サブコマンド");
  formatter->label("Positionals", "引数");
  formatter->label("REQUIRED", "（必須）");
  formatter->label("TEXT", "文字列");
  formatter->label("Excludes", "同時に指定できない");
  formatter->label("Needs", "必要");
  formatter->column_width(36);
  app.option_defaults()->group("オプション");
  app.set_help_flag("-h,--help", "この説明を表示して終了します");
}

// The first option or argument name a parse error speaks of ("--keywords", "INPUT").
std::string NameIn(const std::string& what) {
  static const std::regex name(R"((--?[A-Za-z][\w-]*|[A-Z][A-Z_.]+))");
  std::smatch m;
  return std::regex_search(what, m, name) ? m.str(1) : std::string();
}

// CLI11's parse errors as Japanese causes.
std::string ParseErrorText(const CLI::ParseError& e) {
  const std::string what = e.what();
  const std::string name = NameIn(what);
  const std::string named = name.empty() ? "" : "「" + name + "」";
  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    if (what.find("subcommand") != std::string::npos) {
      return "サブコマンドを指定して下さい（extract, mark, resort, workbook, entries, 診断）";
    }
    return named.empty() ? "必要な指定がありません" : named + "を指定して下さい";
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    const size_t colon = what.find(':');
    return "余分な引数があります: " + (colon == std::string::npos ? what : what.substr(colon + 2));
  }
  if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr) {
    return named + "は他のオプションと同時に指定できません（--swatch と --style はどちらか一方）";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    return named + "に値を指定して下さい";
  }
  if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr ||
      dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
    return named + "の値が正しくありません";
  }
  return "コマンドの指定が正しくありません";
}

int Run(int argc, char** argv) {
  SetUpConsole();
  CLI::App app{
      "ミルネ: InDesign の文書でマークした索引語を、ノンブルと読みとともに "
      "Razoza.doc, Razoza.txt, Razoza.xls に書き出します",
      // A fixed name, not argv[0]: the help reads the same in both builds and from any folder.
      "mirune"};
  SetJapaneseHelp(app);
  // Options are "-x" and "--name" in every build. CLI11 would also take "/name" as an option
  // on Windows, so a path from the root of the drive ("/data/本.idml") would be lost; the
  // sub-commands, added after this, inherit it.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  int exit_code = 0;
  RegisterExtractCommand(app, exit_code);
  RegisterResortCommand(app, exit_code);
  RegisterIndexCommand(app, exit_code);
  RegisterMarkCommand(app, exit_code);
  RegisterWorkbookCommand(app, exit_code);
  RegisterEntriesCommand(app, exit_code);
  RegisterDoctorCommand(app, exit_code);
  for (CLI::App* sub : app.get_subcommands({})) {
    sub->group("サブコマンド");
    if (CLI::Option* help = sub->get_help_ptr(); help != nullptr) help->group("オプション");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {
      // The help goes through the terminal's output like every other text (a console gets
      // it as UTF-16 on Windows).
      std::ostringstream out, err;
      const int code = app.exit(e, out, err);
      PrintOut(out.str());
      PrintErr(err.str());
      return code;
    }
    std::string line =
        "mirune: " + ParseErrorText(e) + "\n使い方は mirune --help で確認して下さい。\n";
    PrintErr(line);
    return ToProcessExitCode(ExitCode::kError);
  } catch (const std::bad_alloc&) {
    PrintErr(
        "mirune: メモリーが足りなくなったため処理を中止しました。入力が大きすぎるか、"
        "ほかのプログラムがメモリーを使っています\n");
    return ToProcessExitCode(ExitCode::kError);
  } catch (const std::exception& e) {
    PrintErr(std::string("mirune: 予期しないエラーで処理を中止しました（") + e.what() + "）\n");
    return ToProcessExitCode(ExitCode::kError);
  }
  return exit_code;
}

}  // namespace
}  // namespace mirune::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** wargv) {
  std::vector<std::string> args = mirune::Utf8Arguments(argc, wargv);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  return mirune::cli::Run(argc, argv.data());
}
#else
int main(int argc, char** argv) { return mirune::cli::Run(argc, argv); }
#endif
