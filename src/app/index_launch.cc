#include "app/index_launch.h"

#include <algorithm>
#include <map>
#include <set>

#include "app/index_idml.h"
#include "base/file.h"
#include "base/file_set.h"
#include "workbook/index_output.h"
#include "workbook/mark_sheet.h"
#include "workbook/razoza_workbook.h"
#include "workbook/workbook_in_set.h"

namespace mirune {
namespace {

// At most this many values that are no pages are named one by one in the note.
constexpr size_t kMaxNamedNonPages = 10;

// The page fields of a page-list cell ("12,13,iv"; a single page may be a number). The truth
// and error values a formula shows (TRUE, #REF!) are no pages: they go to `non_pages`.
std::vector<std::string> PagesOf(const CellValue& cell, std::vector<std::string>& non_pages) {
  std::vector<std::string> pages;
  const std::string text = cell.AsText();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) {
      std::string field = text.substr(start, comma - start);
      if (IsTruthOrErrorText(field)) {
        non_pages.push_back(std::move(field));
      } else {
        pages.push_back(std::move(field));
      }
    }
    start = comma + 1;
  }
  return pages;
}

// Why `text` cannot part the pages or mark a range: a line break (or any control character)
// would break the index's lines and fields. Empty when it can.
std::string SeparatorProblem(std::string_view text) {
  for (const char c : text) {
    if (c == '\r' || c == '\n') return "改行（CR、LF）は使えません（索引の行が分かれてしまいます）";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return "制御文字（TAB など）は使えません（索引の項目の区切りと見分けられません）";
    }
  }
  return {};
}

// An output of the set, refused where SaveAs would refuse it: a folder of that name.
Status AddOutput(OutputFileSet& set, const std::string& path, std::string_view bytes) {
  if (FolderExists(path)) {
    return Status(ErrorCode::kIoError,
                  path + " を置き換えられません: 同じ名前のフォルダーがあります");
  }
  return set.Add(path, bytes);
}

IndexLaunchResult Failure(ExitCode exit, Status cause) {
  IndexLaunchResult result;
  result.exit = exit;
  result.cause = std::move(cause);
  return result;
}

// Adds a line to what the user should know.
void AddNote(std::string& note, std::string_view line) {
  if (!note.empty()) note += '\n';
  note += line;
}

// Refuses outputs that would overwrite the input, and separators that would break the index.
Status CheckRequest(const IndexRequest& request, const std::string& base) {
  for (const std::string& out : {base + ".txt", base + "-tagged.txt", base + ".xls"}) {
    if (SameFile(out, request.input)) {
      return Status(ErrorCode::kInvalidArgument,
                    "出力先 " + out +
                        " は入力と同じファイルです。入力は書き換えません。別の出力先を"
                        "指定して下さい");
    }
  }
  for (const auto& [what, text] : {std::pair<std::string_view, const std::string&>{
                                       "ページの区切り", request.options.page_separator},
                                   {"範囲の記号", request.options.range_mark}}) {
    if (const std::string problem = SeparatorProblem(text); !problem.empty()) {
      return Status(ErrorCode::kInvalidArgument, std::string(what) + "に" + problem);
    }
  }
  return Status::Ok();
}

// Finishes or undoes what interrupted runs left beside the input (an extraction's results)
// and beside the outputs (an earlier index), so that the input is read whole; the notes of
// what was done.
Result<std::vector<std::string>> RecoverBesideInputAndOutputs(const IndexRequest& request,
                                                              const std::string& base) {
  std::vector<std::string> recovered;
  for (const std::string& folder : {ParentFolder(request.input), ParentFolder(base)}) {
    const std::string place = folder.empty() ? "." : folder;
    if (!FolderExists(place)) continue;
    MIRUNE_ASSIGN_OR_RETURN(auto recovery, RecoverInterruptedSets(place));
    recovered.insert(recovered.end(), recovery.notes.begin(), recovery.notes.end());
  }
  return recovered;
}

// The rows of the sorted sheet: term, reading, pages. Formula results (a truth or an error
// value) in the page column are no pages: they are left out and named in `note`, so the
// user can mend the cells.
Result<std::vector<IndexSourceRow>> ReadSheetRows(ExcelWorkbook& book, int sheet,
                                                  const std::string& sheet_name,
                                                  const std::string& input, std::string& note) {
  MIRUNE_ASSIGN_OR_RETURN(const int last, book.LastFilledRow(sheet));
  std::vector<IndexSourceRow> rows;
  rows.reserve(static_cast<size_t>(last));
  std::string non_page_list;  // "和紙 #REF!、…"
  size_t non_page_count = 0;
  for (int r = 1; r <= last; ++r) {
    auto a = book.GetCell(sheet, r, 1);
    auto b = book.GetCell(sheet, r, 2);
    auto c = book.GetCell(sheet, r, 3);
    if (!a.ok() || !b.ok() || !c.ok()) {
      return Status(ErrorCode::kFormatError, input + " のシート「" + sheet_name + "」の " +
                                                 std::to_string(r) + " 行目を読めません。");
    }
    std::vector<std::string> non_pages;
    rows.push_back({a->AsText(), b->AsText(), PagesOf(*c, non_pages)});
    for (const std::string& value : non_pages) {
      if (non_page_count++ < kMaxNamedNonPages) {
        non_page_list += (non_page_list.empty() ? "" : "、") + std::to_string(r) + " 行目「" +
                         rows.back().term + "」の " + value;
      }
    }
  }
  if (non_page_count > 0) {
    if (non_page_count > kMaxNamedNonPages) {
      non_page_list += " ほか " + std::to_string(non_page_count - kMaxNamedNonPages) + " 件";
    }
    AddNote(note,
            "シート「" + sheet_name +
                "」のページの欄に、ページではない値（数式の結果の TRUE/FALSE やエラー値）が " +
                std::to_string(non_page_count) + " 件あり、索引に入れていません: " + non_page_list);
  }
  return rows;
}

// The indexes to write: (mark number, rows); mark -1 for the one index of all rows. By mark,
// each term goes to the index of every mark it was extracted with, with that mark's pages.
using MarkIndexes = std::vector<std::pair<int, std::vector<IndexSourceRow>>>;
Result<MarkIndexes> SplitByMark(ExcelWorkbook& book, std::vector<IndexSourceRow> rows,
                                const IndexRequest& request, const std::string& sheet_name,
                                std::string& note) {
  MarkIndexes indexes;
  const Result<int> mark_sheet = book.FindSheet(kMarkSheet);
  if (!request.by_mark) {
    indexes.emplace_back(-1, std::move(rows));
    return indexes;
  }
  if (!mark_sheet.ok()) {
    AddNote(note, "このブックにはシート「" + std::string(kMarkSheet) +
                      "」がないため（項目のマークが 1 種類）、索引を 1 つだけ作りました。");
    indexes.emplace_back(-1, std::move(rows));
    return indexes;
  }
  auto marks = ReadMarkSheet(book, *mark_sheet);
  if (!marks.ok()) return Status(marks.code(), request.input + ": " + marks.message());
  // Each term's pages per mark, in the order of the entries.
  std::map<std::string, std::map<int, std::vector<std::string>>, std::less<>> pages_of;
  std::set<int> numbers;
  for (const EntryMark& m : *marks) {
    pages_of[m.term][m.mark].push_back(m.page);
    numbers.insert(m.mark);
  }
  for (int number : numbers) {
    std::vector<IndexSourceRow> marked;
    for (const IndexSourceRow& row : rows) {
      auto term = pages_of.find(row.term);
      if (term == pages_of.end()) continue;
      auto pages = term->second.find(number);
      if (pages == term->second.end()) continue;
      marked.push_back({row.term, row.reading, pages->second});
    }
    indexes.emplace_back(number, std::move(marked));
  }
  const size_t unmarked = std::count_if(rows.begin(), rows.end(), [&](const IndexSourceRow& row) {
    return !row.term.empty() && !pages_of.count(row.term);
  });
  if (unmarked > 0) {
    // Terms changed on the sheet after the extraction have no mark: never dropped silently.
    AddNote(note, "シート「" + std::string(kMarkSheet) + "」にない語句が " +
                      std::to_string(unmarked) + " 件あり、どの索引にも入れていません（" +
                      sheet_name + " で語句を書き換えた場合は、マークのシートも直して下さい）。");
  }
  return indexes;
}

// Writes every index as one set: written and flushed first, then moved into place together,
// so a failure (a sheet over the format's limits, a folder in the way, a name too long) or a
// kill leaves the previous outputs whole, never new ones beside old ones. The counts and the
// files written go to `result`.
Status WriteIndexes(ExcelWorkbook& book, const MarkIndexes& indexes, const IndexRequest& request,
                    const std::string& base, IndexLaunchResult& result) {
  OutputFileSet set;
  std::vector<std::string> written;
  for (const auto& [number, index_rows] : indexes) {
    const std::vector<IndexLine> lines = BuildFinishedIndex(index_rows, request.options);
    const std::string suffix = number < 0 ? "" : "-" + std::to_string(number);
    for (const IndexLine& line : lines) (line.heading ? result.headings : result.entries) += 1;
    if (number >= 0) result.marks.push_back(number);
    const std::string txt = base + suffix + ".txt";
    const std::string tagged = base + suffix + "-tagged.txt";
    const std::string idml = base + suffix + ".idml";
    MIRUNE_RETURN_IF_ERROR(AddOutput(set, txt, FinishedIndexText(lines)));
    written.push_back(txt);
    const std::string tagged_bytes = FinishedIndexTaggedText(lines);
    MIRUNE_RETURN_IF_ERROR(AddOutput(set, tagged, tagged_bytes));
    written.push_back(tagged);
    if (request.idml) {
      if (auto bytes = IndexIdmlBytes(tagged_bytes, idml); bytes.ok()) {
        MIRUNE_RETURN_IF_ERROR(AddOutput(set, idml, *bytes));
        written.push_back(idml);
      } else if (bytes.code() != ErrorCode::kUnsupported) {
        return bytes.status();
      }
    }
    const std::string sheet = std::string(kIndexSheet) + (number < 0 ? "" : std::to_string(number));
    MIRUNE_RETURN_IF_ERROR(AddIndexSheet(book, lines, sheet));
  }
  const std::string xls_path = base + ".xls";
  MIRUNE_RETURN_IF_ERROR(AddWorkbookToSet(set, book, xls_path));
  written.push_back(xls_path);
  MIRUNE_RETURN_IF_ERROR(set.Commit());
  result.written = std::move(written);
  return Status::Ok();
}

}  // namespace

std::string DefaultIndexBase(const std::string& input_path) {
  const size_t slash = input_path.find_last_of("/\\");
  const size_t dot = input_path.rfind('.');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  if (dot == std::string::npos || dot <= name_start) return input_path + "-索引";
  return input_path.substr(0, dot) + "-索引";
}

IndexLaunchResult LaunchIndex(ExcelApplication& excel, const IndexRequest& request) {
  const std::string base = request.base.empty() ? DefaultIndexBase(request.input) : request.base;
  if (Status checked = CheckRequest(request, base); !checked.ok()) {
    return Failure(ExitCode::kError, checked);
  }
  auto recovered = RecoverBesideInputAndOutputs(request, base);
  if (!recovered.ok()) return Failure(ExitCode::kError, recovered.status());
  if (auto input = CheckInputPath(request.input); !input.ok()) {
    return Failure(ExitCode::kError, input.status());
  }
  auto opened = excel.OpenWorkbook(request.input);
  if (!opened.ok()) return Failure(ExitCode::kError, opened.status());
  ExcelWorkbook& book = **opened;

  IndexLaunchResult result;
  result.sheet = request.sheet;
  if (result.sheet.empty()) {
    result.sheet =
        std::string(book.FindSheet(kAfterSortSheet).ok() ? kAfterSortSheet : kSortSyoriSheet);
  }
  auto sheet = book.FindSheet(result.sheet);
  if (!sheet.ok()) {
    return Failure(ExitCode::kError,
                   Status(ErrorCode::kNotFound, request.input + " にシート「" + result.sheet +
                                                    "」がありません（索引は、読みを直して並べ"
                                                    "替えたシートから作ります）。"));
  }
  for (const std::string& note : *recovered) AddNote(result.note, note);
  auto rows = ReadSheetRows(book, *sheet, result.sheet, request.input, result.note);
  if (!rows.ok()) return Failure(ExitCode::kError, rows.status());
  auto indexes = SplitByMark(book, std::move(*rows), request, result.sheet, result.note);
  if (!indexes.ok()) return Failure(ExitCode::kError, indexes.status());
  if (Status s = WriteIndexes(book, *indexes, request, base, result); !s.ok()) {
    return Failure(ExitCode::kError, s);
  }
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
