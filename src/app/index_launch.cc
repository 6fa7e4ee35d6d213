#include "app/index_launch.h"

#include <map>
#include <set>

#include "app/index_idml.h"
#include "base/file.h"
#include "workbook/index_output.h"
#include "workbook/mark_sheet.h"
#include "workbook/razoza_workbook.h"

namespace mirune {
namespace {

// The page fields of a page-list cell ("12,13,iv"; a single page may be a number).
std::vector<std::string> PagesOf(const CellValue& cell) {
  std::vector<std::string> pages;
  const std::string text = cell.AsText();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    if (comma > start) pages.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return pages;
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
  for (int r = 1; r <= *last; ++r) {
    auto a = book.GetCell(*sheet, r, 1);
    auto b = book.GetCell(*sheet, r, 2);
    auto c = book.GetCell(*sheet, r, 3);
    if (!a.ok() || !b.ok() || !c.ok()) {
      return Failure(ExitCode::kError, Status(ErrorCode::kFormatError,
                                              request.input + " のシート「" + sheet_name + "」の " +
                                                  std::to_string(r) + " 行目を読めません。"));
    }
    rows.push_back({a->AsText(), b->AsText(), PagesOf(*c)});
  }
  IndexLaunchResult result;
  result.sheet = sheet_name;

  // The indexes to write: (mark number, rows); mark -1 for the one index of all rows.
  std::vector<std::pair<int, std::vector<IndexSourceRow>>> indexes;
  const Result<int> mark_sheet = book.FindSheet(kMarkSheet);
  if (!request.by_mark) {
    indexes.emplace_back(-1, std::move(rows));
  } else if (!mark_sheet.ok()) {
    result.note = "このブックにはシート「" + std::string(kMarkSheet) +
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
      result.note = "シート「" + std::string(kMarkSheet) + "」にない語句が " +
                    std::to_string(unmarked) + " 件あり、どの索引にも入れていません（" +
                    sheet_name + " で語句を書き換えた場合は、マークのシートも直して下さい）。";
    }
  }

  for (const auto& [number, index_rows] : indexes) {
    const std::vector<IndexLine> lines = BuildFinishedIndex(index_rows, request.options);
    const std::string suffix = number < 0 ? "" : "-" + std::to_string(number);
    for (const IndexLine& line : lines) (line.heading ? result.headings : result.entries) += 1;
    if (number >= 0) result.marks.push_back(number);
    const std::string txt = base + suffix + ".txt";
    const std::string tagged = base + suffix + "-tagged.txt";
    const std::string idml = base + suffix + ".idml";
    if (Status s = WriteFileAtomic(txt, FinishedIndexText(lines)); !s.ok()) {
      return Failure(ExitCode::kError, s);
    }
    result.written.push_back(txt);
    const std::string tagged_bytes = FinishedIndexTaggedText(lines);
    if (Status s = WriteFileAtomic(tagged, tagged_bytes); !s.ok()) {
      return Failure(ExitCode::kError, s);
    }
    result.written.push_back(tagged);
    if (request.idml) {
      if (Status s = WriteIndexIdml(tagged_bytes, idml); s.ok()) {
        result.written.push_back(idml);
      } else if (s.code() != ErrorCode::kUnsupported) {
        return Failure(ExitCode::kError, s);
      }
    }
    const std::string sheet = std::string(kIndexSheet) + (number < 0 ? "" : std::to_string(number));
    if (Status s = AddIndexSheet(book, lines, sheet); !s.ok()) return Failure(ExitCode::kError, s);
  }
  if (Status s = book.SaveAs(xls_path); !s.ok()) return Failure(ExitCode::kError, s);
  result.written.push_back(xls_path);
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
