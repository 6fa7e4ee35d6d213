#include "app/index_launch.h"

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
  const std::string txt_path = base + ".txt";
  const std::string tagged_path = base + "-tagged.txt";
  const std::string xls_path = base + ".xls";
  for (const std::string& out : {txt_path, tagged_path, xls_path}) {
    if (SameFile(out, request.input)) {
      return Failure(ExitCode::kError,
                     Status(ErrorCode::kInvalidArgument,
                            "出力先 " + out +
                                " は入力と同じファイルです。入力は書き換えません。別の出力先を"
                                "指定して下さい"));
    }
  }
  for (const auto& [what, text] : {std::pair<std::string_view, const std::string&>{
                                       "ページの区切り", request.options.page_separator},
                                   {"範囲の記号", request.options.range_mark}}) {
    if (const std::string problem = SeparatorProblem(text); !problem.empty()) {
      return Failure(ExitCode::kError,
                     Status(ErrorCode::kInvalidArgument, std::string(what) + "に" + problem));
    }
  }
  // What interrupted runs left beside the input (an extraction's results) and beside the
  // outputs (an earlier index) is finished or undone first, so the input is read whole.
  std::vector<std::string> recovered;
  for (const std::string& folder : {ParentFolder(request.input), ParentFolder(base)}) {
    const std::string place = folder.empty() ? "." : folder;
    if (!FolderExists(place)) continue;
    auto recovery = RecoverInterruptedSets(place);
    if (!recovery.ok()) return Failure(ExitCode::kError, recovery.status());
    recovered.insert(recovered.end(), recovery->notes.begin(), recovery->notes.end());
  }
  if (auto input = CheckInputPath(request.input); !input.ok()) {
    return Failure(ExitCode::kError, input.status());
  }
  auto opened = excel.OpenWorkbook(request.input);
  if (!opened.ok()) return Failure(ExitCode::kError, opened.status());
  ExcelWorkbook& book = **opened;

  std::string sheet_name = request.sheet;
  if (sheet_name.empty()) {
    sheet_name =
        std::string(book.FindSheet(kAfterSortSheet).ok() ? kAfterSortSheet : kSortSyoriSheet);
  }
  auto sheet = book.FindSheet(sheet_name);
  if (!sheet.ok()) {
    return Failure(ExitCode::kError,
                   Status(ErrorCode::kNotFound, request.input + " にシート「" + sheet_name +
                                                    "」がありません（索引は、読みを直して並べ"
                                                    "替えたシートから作ります）。"));
  }
  auto last = book.LastFilledRow(*sheet);
  if (!last.ok()) return Failure(ExitCode::kError, last.status());
  std::vector<IndexSourceRow> rows;
  rows.reserve(static_cast<size_t>(*last));
  std::string non_page_list;  // "和紙 #REF!、…"
  size_t non_page_count = 0;
  for (int r = 1; r <= *last; ++r) {
    auto a = book.GetCell(*sheet, r, 1);
    auto b = book.GetCell(*sheet, r, 2);
    auto c = book.GetCell(*sheet, r, 3);
    if (!a.ok() || !b.ok() || !c.ok()) {
      return Failure(ExitCode::kError, Status(ErrorCode::kFormatError,
                                              request.input + " のシート「" + sheet_name + "」の " +
                                                  std::to_string(r) + " 行目を読めません。"));
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
  IndexLaunchResult result;
  result.sheet = sheet_name;
  for (const std::string& note : recovered) {
    result.note += std::string(result.note.empty() ? "" : "\n") + note;
  }
  if (non_page_count > 0) {
    // Formula results (a truth or an error value) in the page column are no pages: left out,
    // and named, so the user can mend the cells.
    if (non_page_count > kMaxNamedNonPages) {
      non_page_list += " ほか " + std::to_string(non_page_count - kMaxNamedNonPages) + " 件";
    }
    result.note += std::string(result.note.empty() ? "" : "\n") + "シート「" + sheet_name +
                   "」のページの欄に、ページではない値（数式の結果の TRUE/FALSE やエラー値）が " +
                   std::to_string(non_page_count) +
                   " 件あり、索引に入れていません: " + non_page_list;
  }

  // The indexes to write: (mark number, rows); mark -1 for the one index of all rows.
  std::vector<std::pair<int, std::vector<IndexSourceRow>>> indexes;
  const Result<int> mark_sheet = book.FindSheet(kMarkSheet);
  if (!request.by_mark) {
    indexes.emplace_back(-1, std::move(rows));
  } else if (!mark_sheet.ok()) {
    result.note += std::string(result.note.empty() ? "" : "\n") + "このブックにはシート「" +
                   std::string(kMarkSheet) +
                   "」がないため（項目のマークが 1 種類）、索引を 1 つだけ作りました。";
    indexes.emplace_back(-1, std::move(rows));
  } else {
    auto marks = ReadMarkSheet(book, *mark_sheet);
    if (!marks.ok()) {
      return Failure(ExitCode::kError,
                     Status(marks.code(), request.input + ": " + marks.message()));
    }
    // Each term's pages per mark, in the order of the entries.
    std::map<std::string, std::map<int, std::vector<std::string>>, std::less<>> pages_of;
    std::set<int> numbers;
    for (const EntryMark& m : *marks) {
      pages_of[m.term][m.mark].push_back(m.page);
      numbers.insert(m.mark);
    }
    size_t unmarked = 0;
    for (const IndexSourceRow& row : rows) {
      if (!row.term.empty() && !pages_of.count(row.term)) ++unmarked;
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
    if (unmarked > 0) {
      // Terms changed on the sheet after the extraction have no mark: never dropped silently.
      result.note += std::string(result.note.empty() ? "" : "\n") + "シート「" +
                     std::string(kMarkSheet) + "」にない語句が " + std::to_string(unmarked) +
                     " 件あり、どの索引にも入れていません（" + sheet_name +
                     " で語句を書き換えた場合は、マークのシートも直して下さい）。";
    }
  }

  // Every output is one set: written and flushed first, then moved into place together, so
  // a failure (a sheet over the format's limits, a folder in the way, a name too long) or a
  // kill leaves the previous outputs whole, never new ones beside old ones.
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
    if (Status s = AddOutput(set, txt, FinishedIndexText(lines)); !s.ok()) {
      return Failure(ExitCode::kError, s);
    }
    written.push_back(txt);
    const std::string tagged_bytes = FinishedIndexTaggedText(lines);
    if (Status s = AddOutput(set, tagged, tagged_bytes); !s.ok()) {
      return Failure(ExitCode::kError, s);
    }
    written.push_back(tagged);
    if (request.idml) {
      if (auto bytes = IndexIdmlBytes(tagged_bytes, idml); bytes.ok()) {
        if (Status s = AddOutput(set, idml, *bytes); !s.ok()) return Failure(ExitCode::kError, s);
        written.push_back(idml);
      } else if (bytes.code() != ErrorCode::kUnsupported) {
        return Failure(ExitCode::kError, bytes.status());
      }
    }
    const std::string sheet = std::string(kIndexSheet) + (number < 0 ? "" : std::to_string(number));
    if (Status s = AddIndexSheet(book, lines, sheet); !s.ok()) return Failure(ExitCode::kError, s);
  }
  if (Status s = AddWorkbookToSet(set, book, xls_path); !s.ok()) {
    return Failure(ExitCode::kError, s);
  }
  written.push_back(xls_path);
  if (Status s = set.Commit(); !s.ok()) return Failure(ExitCode::kError, s);
  result.written = std::move(written);
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
