#include "app/index_launch.h"

#include "base/file.h"
#include "workbook/index_output.h"
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
  const std::vector<IndexLine> lines = BuildFinishedIndex(rows, request.options);

  IndexLaunchResult result;
  result.sheet = sheet_name;
  for (const IndexLine& line : lines) (line.heading ? result.headings : result.entries) += 1;
  if (Status s = WriteFileAtomic(txt_path, FinishedIndexText(lines)); !s.ok()) {
    return Failure(ExitCode::kError, s);
  }
  result.written.push_back(txt_path);
  if (Status s = WriteFileAtomic(tagged_path, FinishedIndexTaggedText(lines)); !s.ok()) {
    return Failure(ExitCode::kError, s);
  }
  result.written.push_back(tagged_path);
  if (Status s = AddIndexSheet(book, lines); !s.ok()) return Failure(ExitCode::kError, s);
  if (Status s = book.SaveAs(xls_path); !s.ok()) return Failure(ExitCode::kError, s);
  result.written.push_back(xls_path);
  result.exit = ExitCode::kOk;
  return result;
}

}  // namespace mirune
