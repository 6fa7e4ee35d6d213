#include "gui/desktop_detection.h"

#include <gtest/gtest.h>

#include "gui/testing/fake_window_system.h"

namespace mirune {
namespace {

using Windows = std::vector<FakeWindowSystem::Window>;

TEST(FindVisibleTest, WordAndExcel) {
  const struct {
    const char* name;
    bool excel;  // FindVisibleExcel instead of FindVisibleWord
    Windows windows;
    bool found;
    std::vector<WindowHandle> closed;
  } cases[] = {
      {"no Word at all", false, {{"Notepad", "Word - 文書", true}}, false, {}},
      {"hidden automation instance is closed",
       false,
       {{"OpusApp", "Microsoft Word", false}},
       false,
       {1}},
      {"visible after hidden ones: earlier hidden closed, later left",
       false,
       {{"OpusApp", "Word (hidden 1)", false},
        {"OpusApp", "Razoza.doc - Word", true},
        {"OpusApp", "Word (hidden 2)", false}},
       true,
       {1}},
      {"minimised counts as visible; untitled Word windows are ignored",
       false,
       {{"OpusApp", "", false}, {"OpusApp", "文書1 - Word", true}},
       true,
       {}},
      {"another program's hidden window titled Word is never closed",
       false,
       {{"OpusApp", "Microsoft Word", false},
        {"WordPadClass", "Wordpad", false},
        {"Chrome_WidgetWin_1", "Word tips", false}},
       false,
       {1}},
      {"a visible window of another program titled Word counts",
       false,
       {{"OpusApp", "Microsoft Word", false}, {"Notepad", "Word.txt - メモ帳", true}},
       true,
       {1}},
      {"title test is case-sensitive", false, {{"OpusApp", "WORD", false}}, false, {}},
      {"hidden Excel closed, hidden helper titled Excel left",
       true,
       {{"XLMAIN", "Microsoft Excel", false}, {"ThunderRT6Main", "Excel helper", false}},
       false,
       {1}},
      {"visible Excel", true, {{"XLMAIN", "Razoza.xls - Excel", true}}, true, {}},
      {"Word windows do not make Excel", true, {{"OpusApp", "Excel.doc - Word", true}}, false, {}},
  };
  for (const auto& c : cases) {
    FakeWindowSystem system;
    system.windows = c.windows;
    DesktopDetection detection(system);
    const bool found = c.excel ? detection.FindVisibleExcel() : detection.FindVisibleWord();
    EXPECT_EQ(found, c.found) << c.name;
    EXPECT_EQ(system.closes, c.closed) << c.name;
  }
}

// Counting Excel's windows sends nothing to them, hidden ones included.
TEST(CountExcelWindowsTest, CountsByVisibilityAndClosesNothing) {
  FakeWindowSystem system;
  system.windows = {{"XLMAIN", "Microsoft Excel", false},
                    {"XLMAIN", "Razoza.xls - Excel", true},
                    {"ThunderRT6Main", "Excel helper", false},
                    {"XLMAIN", "", false}};
  DesktopDetection detection(system);
  const DesktopDetection::WindowCount count = detection.CountExcelWindows();
  EXPECT_EQ(count.visible, 1);
  EXPECT_EQ(count.hidden, 2);
  EXPECT_TRUE(system.closes.empty());
  FakeWindowSystem none;
  EXPECT_EQ(DesktopDetection(none).CountExcelWindows().visible, 0);
  EXPECT_EQ(none.enumerations, 0);
}

TEST(FindVisibleTest, NoMainWindowClassMeansNoEnumeration) {
  FakeWindowSystem system;
  system.Add("Notepad", "Excel Word Razoza.xls Keyword.xls", true);
  DesktopDetection detection(system);
  EXPECT_FALSE(detection.FindVisibleWord());
  EXPECT_FALSE(detection.FindVisibleExcel());
  EXPECT_FALSE(detection.MaximizeRazozaXls());
  EXPECT_FALSE(detection.MaximizeKeywordXls());
  EXPECT_EQ(system.enumerations, 0);
  EXPECT_TRUE(system.shows.empty());
}

TEST(MaximizeXlsTest, MaximisesTheMainWindowNotTheMatch) {
  const struct {
    const char* name;
    bool keyword;
    Windows windows;
    bool found;
  } cases[] = {
      {"Razoza visible",
       false,
       {{"XLMAIN", "Excel", false}, {"Other", "Razoza.xls - Excel", true}},
       true},
      {"Razoza hidden", false, {{"XLMAIN", "Razoza.xls - Excel", false}}, false},
      {"Razoza without Excel in the title", false, {{"XLMAIN", "Razoza.xls", true}}, false},
      {"Keyword", true, {{"XLMAIN", "Keyword.xls - Excel", true}}, true},
      {"keyword in lower case", true, {{"XLMAIN", "keyword.xls - Excel", true}}, true},
      {"KEYWORD is not looked for", true, {{"XLMAIN", "KEYWORD.XLS - Excel", true}}, false},
      {"Razoza does not answer for Keyword", true, {{"XLMAIN", "Razoza.xls - Excel", true}}, false},
  };
  for (const auto& c : cases) {
    FakeWindowSystem system;
    system.windows = c.windows;
    DesktopDetection detection(system);
    const bool found = c.keyword ? detection.MaximizeKeywordXls() : detection.MaximizeRazozaXls();
    EXPECT_EQ(found, c.found) << c.name;
    if (c.found) {
      ASSERT_EQ(system.shows.size(), 1u) << c.name;
      EXPECT_EQ(system.shows[0].first, 1u) << c.name;  // the first XLMAIN window
      EXPECT_EQ(system.shows[0].second, ShowCommand::kShowMaximized) << c.name;
    } else {
      EXPECT_TRUE(system.shows.empty()) << c.name;
    }
    EXPECT_TRUE(system.closes.empty()) << c.name;
  }
}

TEST(InDesignTest, HideFirstOfEachClassThenShowByTitle) {
  FakeWindowSystem system;
  const WindowHandle app_frame = system.Add("$PageMaker_PMAppFrame", "Adobe InDesign 2024", true);
  const WindowHandle second_frame = system.Add("$PageMaker_PMAppFrame", "Adobe InDesign", true);
  const WindowHandle panel = system.Add("indesign", "パネル", true);
  const WindowHandle other = system.Add("Notepad", "Adobe InDesign メモ", true);
  DesktopDetection detection(system);

  EXPECT_TRUE(detection.HideInDesign());
  EXPECT_FALSE(system.windows[app_frame - 1].visible);
  EXPECT_TRUE(system.windows[second_frame - 1].visible);  // only the first of its class
  EXPECT_FALSE(system.windows[panel - 1].visible);
  EXPECT_FALSE(detection.HideInDesign());  // already hidden

  EXPECT_TRUE(detection.ShowInDesign());
  EXPECT_TRUE(system.windows[app_frame - 1].visible);
  EXPECT_FALSE(system.windows[panel - 1].visible);  // its title does not say InDesign
  const size_t shows = system.shows.size();
  EXPECT_FALSE(detection.ShowInDesign());  // already visible: nothing changes
  EXPECT_EQ(system.shows.size(), shows);
  EXPECT_TRUE(system.windows[other - 1].visible);
}

TEST(InDesignTest, NothingToHideOrShow) {
  FakeWindowSystem system;
  system.Add("OpusApp", "Word", true);
  DesktopDetection detection(system);
  EXPECT_FALSE(detection.HideInDesign());
  EXPECT_FALSE(detection.ShowInDesign());
  EXPECT_TRUE(system.shows.empty());
}

}  // namespace
}  // namespace mirune
