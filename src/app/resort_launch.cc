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
#include "base/file_set.h"
#include "extraction/working_files.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_job.h"
#include "workbook/resort_messages.h"
#include "workbook/workbook_in_set.h"

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

// At most this many replaced readings are named one by one; the rest are counted.
constexpr size_t kMaxNamedReplacements = 20;

// Each term's readings as the extraction wrote them into the workbook: the sheet Sort_Only is
// Org as it came out of the extraction, sorted, and the user corrects Org only.
Result<std::map<std::string, std::set<std::string>, std::less<>>> ExtractedReadings(
    const ExcelWorkbook& book, int sheet) {
  std::map<std::string, std::set<std::string>, std::less<>> readings;
  MIRUNE_ASSIGN_OR_RETURN(const int rows, book.LastFilledRow(sheet));
  for (int row = 1; row <= rows; ++row) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue term, book.GetCell(sheet, row, 1));
    MIRUNE_ASSIGN_OR_RETURN(const CellValue reading, book.GetCell(sheet, row, 2));
    if (!term.AsText().empty()) readings[term.AsText()].insert(reading.AsText());
  }
  return readings;
}

// Learns the corrections of the sheet Org of `book` (read from `source`) into `memory`: returns
// the number of terms learned, or the failure of the readings. A correction is a reading on
// Org that differs from every reading the extraction wrote for the term (Sort_Only): so an
// older workbook re-sorted later never writes its machine readings back over what was learned
// since. A term that Sort_Only does not have (a row the user added or renamed) is a correction
// where its reading differs from what the next extraction would give it (the memory's
// reading, else the machine's). A workbook without Sort_Only learns nothing and says why.
Result<int32_t> LearnCorrections(const ExcelWorkbook& book, const std::string& source,
                                 ReadingService& readings, ReadingMemory& memory,
                                 std::vector<std::string>& warnings) {
  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  const Result<int> sort_only = book.FindSheet(kSortOnlySheet);
  if (!sort_only.ok()) {
    warnings.push_back(source + " にシート「" + std::string(kSortOnlySheet) +
                       "」がないため、読みを学習しませんでした（抽出で付いた読みが分からず、"
                       "直した読みと見分けられません）");
    return 0;
  }
  MIRUNE_ASSIGN_OR_RETURN(const auto extracted, ExtractedReadings(book, *sort_only));
  MIRUNE_ASSIGN_OR_RETURN(const int rows, book.LastFilledRow(org));
  // What the next extraction would give a term that the extraction did not write, taken at its
  // first row, before any of its rows is learned.
  std::map<std::string, std::string, std::less<>> expected;
  std::set<std::string, std::less<>> learned;
  std::set<std::string, std::less<>> refused;
  // The readings remembered before this re-sort, of the terms whose reading it replaces.
  std::map<std::string, std::string, std::less<>> replaced;
  for (int row = 1; row <= rows; ++row) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue term_cell, book.GetCell(org, row, 1));
    MIRUNE_ASSIGN_OR_RETURN(const CellValue reading_cell, book.GetCell(org, row, 2));
    const std::string term = term_cell.AsText();
    const std::string reading = reading_cell.AsText();
    if (term.empty()) continue;
    if (const auto written = extracted.find(term); written != extracted.end()) {
      if (written->second.count(reading) > 0) continue;  // as the extraction wrote it
    } else {
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
    }
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
    const std::string* before = memory.Find(term);
    if (before != nullptr && *before != reading && !replaced.count(term) && !learned.count(term)) {
      replaced.emplace(term, *before);
    }
    if (memory.Learn(term, reading)) learned.insert(term);
  }
  // A remembered reading replaced by another is named, so that a correction undone by mistake
  // is seen.
  std::string list;
  size_t named = 0;
  size_t changed = 0;
  for (const auto& [term, before] : replaced) {
    const std::string* now = memory.Find(term);
    if (now == nullptr || *now == before) continue;
    ++changed;
    if (named < kMaxNamedReplacements) {
      list += (list.empty() ? "" : "、") + term + " " + before + " → " + *now;
      ++named;
    }
  }
  if (changed > 0) {
    if (changed > named) list += " ほか " + std::to_string(changed - named) + " 件";
    warnings.push_back("記憶していた読みを " + std::to_string(changed) + " 件置き換えました（" +
                       source + " の Org の読み）: " + list);
  }
  return static_cast<int32_t>(learned.size());
}

// Finishes or undoes what an interrupted run left in `folder` (records of output sets whose
// owner ended); a folder that cannot be listed is left to the steps that use it.
Status RecoverOutputFolder(const std::string& folder, std::vector<std::string>& notes) {
  const std::string place = folder.empty() ? "." : folder;
  if (!FolderExists(place)) return Status::Ok();
  MIRUNE_ASSIGN_OR_RETURN(const SetRecovery recovery, RecoverInterruptedSets(place));
  notes.insert(notes.end(), recovery.notes.begin(), recovery.notes.end());
  return Status::Ok();
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
  // A re-sort killed while it wrote its workbook left a record beside it; an extraction killed
  // while it replaced its results, one beside the input.
  for (const std::string& folder :
       {ParentFolder(request.input), ParentFolder(result.output_path)}) {
    if (Status recovered = RecoverOutputFolder(folder, result.memory_warnings); !recovered.ok()) {
      return fail(ExitCode::kError, recovered);
    }
  }

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
    auto locked = DataFolderLock::Acquire(request.data_folder, kJobResort);
    if (!locked.ok()) {
      if (locked.code() == ErrorCode::kCancelled) {
        return fail(ExitCode::kRefused,
                    Status(ErrorCode::kCancelled,
                           locked.message() + "（学習しないで再ソートすることはできます）"));
      }
      return fail(ExitCode::kError, locked.status());
    }
    lock = std::move(*locked);
    // Under the lock: what an interrupted job left in the data folder goes first (a
    // replacement of the results finished or undone, temporary names removed).
    const WorkingFolders folders(request.data_folder);
    if (Status cleaned = RemoveLeftoverWorkingFiles(folders, &result.memory_warnings);
        !cleaned.ok()) {
      return fail(ExitCode::kError, cleaned);
    }
    auto loaded = ReadingMemory::Load(result.memory_path);
    if (!loaded.ok()) return fail(ExitCode::kError, loaded.status());
    memory = std::move(*loaded);
    result.memory_warnings.insert(result.memory_warnings.end(), memory->warnings().begin(),
                                  memory->warnings().end());
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
  {
    // Through an output set: a kill while it is written leaves a record that the next run
    // takes up, not a temporary that nobody removes.
    OutputFileSet set;
    Status saved = AddWorkbookToSet(set, **book, result.output_path);
    if (saved.ok()) saved = set.Commit();
    if (!saved.ok()) return fail(ExitCode::kError, saved);
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
