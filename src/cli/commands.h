#pragma once

// Sub-commands of `mirune`. Each Register function adds its sub-command to the root app;
// the sub-command's callback stores its process exit code in `exit_code`
// (0 success, 1 refusal or abort, 2 error or bad input).

namespace CLI {
class App;
}

namespace mirune::cli {

// Sub-commands are added here as each area lands.

// Help of the --dic option of the commands that give readings.
inline constexpr const char* kDictionaryFolderHelp =
    "MeCab のシステム辞書のフォルダー（sys.dic と dicrc のあるフォルダー）。"
    "既定はプログラムのフォルダーの dic、なければ（Linux）システムの IPA 辞書";

// Help of the --host option of the commands that drive InDesign.
inline constexpr const char* kHostHelp =
    "com: この PC の InDesign を操作する（Windows 版）、embedded: 内蔵のエンジンで IDML を処理"
    "する。既定は .indd と .indb なら com、ほかは embedded";

// `mirune entries`: analyse exported stories and print their entry lines.
void RegisterEntriesCommand(CLI::App& app, int& exit_code);

// `mirune mark`: keyword bulk marking of a document or book, saved to a new file or folder.
void RegisterMarkCommand(CLI::App& app, int& exit_code);

// `mirune extract`: the index extraction of a document or book into Razoza.doc, .txt, .xls.
void RegisterExtractCommand(CLI::App& app, int& exit_code);

// `mirune workbook`: the index workbook Razoza.xls from an entry list.
void RegisterWorkbookCommand(CLI::App& app, int& exit_code);

// `mirune resort`: the re-sort of a corrected Razoza.xls into AfterSort.
void RegisterResortCommand(CLI::App& app, int& exit_code);

// `mirune 診断` (alias `mirune doctor`): the check of the InDesign and Excel of this computer.
void RegisterDoctorCommand(CLI::App& app, int& exit_code);

// `mirune index`: the finished index from a corrected workbook.
void RegisterIndexCommand(CLI::App& app, int& exit_code);

}  // namespace mirune::cli
