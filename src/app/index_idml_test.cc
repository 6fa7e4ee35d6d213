#include <gtest/gtest.h>

#include <filesystem>

#include "app/index_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "automation/idml/idml_document.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"
#include "workbook/razoza_workbook.h"

namespace mirune {
namespace {

// The index placed in an IDML document and read back by the engine's IDML reader gives the
// very lines of the plain text, over as many pages as it needs, in its styles.
TEST(IndexIdmlTest, PlacedIndexReadsBackAsThePlainText) {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "index_idml_test");
  std::filesystem::create_directories(dir);
  std::string entries;
  for (int i = 0; i < 150; ++i) {
    entries += "語" + std::to_string(1000 + i) + "\tご" + std::to_string(i) + "\t" +
               std::to_string(i % 50 + 1) + "\n";
  }
  entries += "<記号>\t★\t3\nInDesign\tInDesign\tiv\n";
  const std::string xls = JoinPath(dir, "Razoza.xls");
  ASSERT_TRUE(WriteRazozaXls(entries, xls).ok());
  MemoryExcel excel;
  IndexRequest request;
  request.input = xls;
  const IndexLaunchResult result = LaunchIndex(excel, request);
  ASSERT_TRUE(result.cause.ok()) << result.cause.message();
  const std::string base = JoinPath(dir, "Razoza-索引");
  ASSERT_EQ(result.written.size(), 4u);
  EXPECT_EQ(result.written[2], base + ".idml");

  auto document = idml::LoadIdmlDocument(base + ".idml");
  ASSERT_TRUE(document.ok()) << document.message();
  ASSERT_EQ(document->stories.size(), 1u);
  const layout::Story& story = document->stories[0];
  // 150 + 2 entries and 3 headings: 155 paragraphs, 40 to a page.
  EXPECT_EQ(document->pages.size(), 4u);
  EXPECT_EQ(story.frames.size(), 4u);
  std::string text = Utf32ToUtf8(story.text);
  std::string lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r') {
      lines += text.substr(start, i - start) + "\r\n";
      start = i + 1;
    }
  }
  EXPECT_EQ(lines, *ReadFileBytes(base + ".txt"));
  // Headings and entries in their paragraph styles, the pages in the character style.
  std::vector<std::string> paragraph_styles;
  for (const auto& s : document->paragraph_styles) paragraph_styles.push_back(s.name);
  EXPECT_NE(std::find(paragraph_styles.begin(), paragraph_styles.end(), "索引見出し"),
            paragraph_styles.end());
  bool pages_styled = false;
  for (const auto& run : story.runs) {
    if (run.format.character_style != layout::kNone &&
        document->character_styles[run.format.character_style].name == "索引ノンブル") {
      pages_styled = true;
    }
  }
  EXPECT_TRUE(pages_styled);
}

}  // namespace
}  // namespace mirune
