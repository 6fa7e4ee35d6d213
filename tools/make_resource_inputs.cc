// Writes the inputs of the resource table (time and peak memory of the commands, measured with
// /usr/bin/time -v on the Linux build) into a folder:
//   make_resource_inputs FOLDER
// - book-2000.idml: the benchmarks' generated book of 2,000 pages
//   (automation/indesign_engine/testing/generated_book.h), for `mirune extract`;
// - Keyword.xls: keywords that the same book holds about 200,000 times, for `mirune mark`;
// - entries-65536.txt: 65,536 entry lines of 4,096 terms, for `mirune workbook`, whose
//   Razoza.xls is then re-sorted (`mirune resort`) and made into the finished index
//   (`mirune index`).

#include <cstdio>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/testing/generated_book.h"
#include "base/file.h"

namespace {

bool Write(const std::string& path, const mirune::Status& written) {
  if (!written.ok()) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), written.message().c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "make_resource_inputs FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  (void)mirune::CreateFolder(folder);

  const std::string book = mirune::JoinPath(folder, "book-2000.idml");
  auto bytes =
      mirune::idml::WriteNewIdmlPackage(mirune::indesign_test::MakeGeneratedBook(book, 2000));
  if (!bytes.ok() || !Write(book, mirune::WriteFileAtomic(book, *bytes))) return 1;

  // 17 keywords, each once in each of the book's 12,000 paragraphs: 204,000 places.
  mirune::MemoryExcel excel;
  auto keywords = excel.AddWorkbook();
  if (!keywords.ok()) return 1;
  int row = 0;
  for (const char* keyword :
       {"日本語", "組版", "文字", "正方形", "枠", "並べ", "一行", "字数", "行数", "決める", "色",
        "抽出", "語とページ", "番号", "Latin", "numbers", "12345"}) {
    (void)(*keywords)->SetCell(1, ++row, 2, mirune::CellValue::Text(keyword));
  }
  const std::string keyword_path = mirune::JoinPath(folder, "Keyword.xls");
  if (!Write(keyword_path, (*keywords)->SaveAs(keyword_path))) return 1;

  std::string entries;
  for (int i = 0; i < 65536; ++i) {
    const int term = (i * 7919) % 4096;
    entries += "索引語" + std::to_string(term) + "\tさくいんご" + std::to_string(term) + "\t" +
               std::to_string(i % 2000 + 1) + "\n";
  }
  const std::string entries_path = mirune::JoinPath(folder, "entries-65536.txt");
  return Write(entries_path, mirune::WriteFileAtomic(entries_path, entries)) ? 0 : 1;
}
