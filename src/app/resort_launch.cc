#include "app/resort_launch.h"

#include <memory>
#include <utility>

#include "base/file.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

namespace mirune {

std::string DefaultResortPath(const std::string& input_path) {
  // The extension starts at the last dot after the last folder separator.
  const size_t slash = input_path.find_last_of("/\\");
  const size_t dot = input_path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1)) {
    return input_path + "-resort";
  }
  return input_path.substr(0, dot) + "-resort" + input_path.substr(dot);
}

ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request) {
  ResortLaunchResult result;
  result.output_path = request.output.empty() ? DefaultResortPath(request.input) : request.output;
  auto fail = [&](ExitCode exit, Status cause) {
    result.exit = exit;
    result.cause = std::move(cause);
    return std::move(result);
  };
  if (auto input = CheckInputPath(request.input); !input.ok()) {
    return fail(ExitCode::kError, input.status());
  }
  if (SameFile(request.input, result.output_path)) {
    return fail(
        ExitCode::kError,
        Status(ErrorCode::kInvalidArgument,
               "出力先 " + result.output_path +
                   " は入力と同じファイルです。入力は書き換えません。別の出力先を指定して下さい"));
  }
  Result<std::unique_ptr<ExcelWorkbook>> book = excel.OpenWorkbook(request.input);
  if (!book.ok()) return fail(ExitCode::kError, book.status());
  if (Status sorted = ResortRazozaWorkbook(**book); !sorted.ok()) {
    // A workbook without Org is the case the re-sort's own message speaks of.
    if (sorted.code() == ErrorCode::kNotFound) {
      result.fixed_text = kResortFailedMessage;
      return fail(ExitCode::kError,
                  Status(sorted.code(), request.input + " にシート「Org」がありません"));
    }
    return fail(ExitCode::kError, sorted);
  }
  Result<int32_t> rows = (*book)->LastFilledRow((*book)->ActiveSheet());
  if (!rows.ok()) return fail(ExitCode::kError, rows.status());
  result.after_sort_rows = *rows;
  if (Status saved = (*book)->SaveAs(result.output_path); !saved.ok()) {
    return fail(ExitCode::kError, saved);
  }
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
