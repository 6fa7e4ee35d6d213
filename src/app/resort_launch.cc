#include "app/resort_launch.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "analysis/reading_memory.h"
#include "analysis/term_reading.h"
#include "app/data_folder.h"
#include "base/file.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_job.h"
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

namespace {

// Learns the corrections of the sheet Org of `book` (read from `source`) into `memory`: returns
// the number of terms learned, or the failure of the readings.
Result<int32_t> LearnCorrections(const ExcelWorkbook& book, const std::string& source,
                                 ReadingService& readings, ReadingMemory& memory,
                                 std::vector<std::string>& warnings) {
  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  MIRUNE_ASSIGN_OR_RETURN(const int rows, book.LastFilledRow(org));
  // What the next extraction would give each term, taken at its first row, before any of its
  // rows is learned: the memory's reading first, as the extraction reads it, else the
  // machine's.
  std::map<std::string, std::string, std::less<>> expected;
  std::set<std::string, std::less<>> learned;
  std::set<std::string, std::less<>> refused;
  for (int row = 1; row <= rows; ++row) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue term_cell, book.GetCell(org, row, 1));
    MIRUNE_ASSIGN_OR_RETURN(const CellValue reading_cell, book.GetCell(org, row, 2));
    const std::string term = term_cell.AsText();
    const std::string reading = reading_cell.AsText();
    if (term.empty()) continue;
    auto it = expected.find(term);
    if (it == expected.end()) {
      std::string would_give;
      if (const std::string* remembered = memory.Find(term)) {
        would_give = *remembered;
      } else {
        auto computed = TermReading(term, readings, readings);
        if (!computed.ok()) {
          return Result<int32_t>(computed.code(), "「" + term +
                                                      "」の読みを求められないため、"
                                                      "読みを学習できません: " +
                                                      computed.message());
        }
        would_give = std::move(*computed);
      }
      it = expected.emplace(term, std::move(would_give)).first;
    }
    if (reading == it->second) continue;
    // Empty readings, readings marked for re-checking, with kanji or control characters are
    // not corrections; a term starting with "#" cannot be kept in the file.
    const std::string problem = ReadingMemory::ProblemOf(term, reading);
    if (!problem.empty()) {
      if (term.front() == '#' && ReadingMemory::ProblemOf("_", reading).empty() &&
          refused.insert(term).second) {
        warnings.push_back(source + " のシート「Org」の " + std::to_string(row) + " 行目「" + term +
                           "」の読みは記憶できません: " + problem);
      }
      continue;
    }
    if (memory.Learn(term, reading)) learned.insert(term);
  }
  return static_cast<int32_t>(learned.size());
}

}  // namespace

ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request) {
  return LaunchResort(excel, request, nullptr);
}

ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request,
                                ReadingService* readings) {
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

  // Learning: everything it needs is at hand before the workbook is touched.
  std::unique_ptr<DataFolderLock> lock;
  std::optional<ReadingMemory> memory;
  JobReadings opened;
  if (request.learn) {
    if (request.data_folder.empty()) {
      return fail(ExitCode::kError, Status(ErrorCode::kInvalidArgument,
                                           "読みの記憶を置くデータフォルダーが決まっていません"));
    }
    result.memory_path = JoinPath(request.data_folder, kReadingMemoryFileName);
    if (SameFile(result.output_path, result.memory_path) ||
        SameFile(request.input, result.memory_path)) {
      return fail(ExitCode::kError,
                  Status(ErrorCode::kInvalidArgument,
                         result.memory_path +
                             " は読みの記憶のファイルです。ブックの入力や出力には使えません"));
    }
    auto locked = DataFolderLock::Acquire(request.data_folder);
    if (!locked.ok()) {
      if (locked.code() == ErrorCode::kCancelled) {
        return fail(ExitCode::kRefused,
                    Status(ErrorCode::kCancelled,
                           "別の処理がデータフォルダー " + request.data_folder +
                               " を使用中のため、読みを学習できません。終了してから再度実行する"
                               "か、学習しないで再ソートして下さい"));
      }
      return fail(ExitCode::kError, locked.status());
    }
    lock = std::move(*locked);
    auto loaded = ReadingMemory::Load(result.memory_path);
    if (!loaded.ok()) return fail(ExitCode::kError, loaded.status());
    memory = std::move(*loaded);
    result.memory_warnings = memory->warnings();
    if (readings == nullptr) {
      auto job_readings = OpenJobReadings(request.readings);
      if (!job_readings.ok()) return fail(ExitCode::kError, job_readings.status());
      opened = std::move(*job_readings);
      readings = opened.service.get();
    }
  }

  // The opened workbook is the application's active one, which the re-sort job's steps work
  // on as they do in the user's running Excel.
  Result<std::unique_ptr<ExcelWorkbook>> book = excel.OpenWorkbook(request.input);
  if (!book.ok()) return fail(ExitCode::kError, book.status());
  Result<int32_t> rows = ResortActiveWorkbook(excel);
  if (!rows.ok()) {
    // A workbook without Org is the case the re-sort's own message speaks of.
    if (rows.code() == ErrorCode::kNotFound && !CheckOrgSheet(**book).ok()) {
      result.fixed_text = kResortFailedMessage;
      return fail(ExitCode::kError,
                  Status(rows.code(), request.input + " にシート「Org」がありません"));
    }
    return fail(ExitCode::kError, rows.status());
  }
  result.after_sort_rows = *rows;
  if (Status saved = (*book)->SaveAs(result.output_path); !saved.ok()) {
    return fail(ExitCode::kError, saved);
  }
  result.saved = true;

  if (memory) {
    Result<int32_t> learned =
        LearnCorrections(**book, request.input, *readings, *memory, result.memory_warnings);
    if (!learned.ok()) return fail(ExitCode::kError, learned.status());
    if (*learned > 0) {
      if (Status saved = memory->Save(); !saved.ok()) return fail(ExitCode::kError, saved);
    }
    result.learned = *learned;
  }
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
