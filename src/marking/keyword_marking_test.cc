#include "marking/keyword_marking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/utf.h"
#include "desktop/testing/recording_desktop.h"
#include "marking/marking_rules.h"
#include "marking/testing/logging_indesign.h"
#include "marking/testing/sheet_workbook.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

using indesign_engine::EngineApplication;
using testing_util::CallLog;
using testing_util::LoggingApplication;

class CountingSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t ms) override { sleeps.push_back(ms); }
  std::vector<int32_t> sleeps;
};

// The keyword workbook as a test sets it up: shown or not, reachable after some failures.
class FakeKeywordSource : public KeywordWorkbookSource {
 public:
  explicit FakeKeywordSource(ExcelWorkbook* workbook) : workbook_(workbook) {}
  Status CheckKeywordWorkbookShown() override {
    if (!shown) return Status(ErrorCode::kNotFound, "Keyword.xls is not shown");
    return Status::Ok();
  }
  Result<ExcelWorkbook*> AttachActiveWorkbook() override {
    ++attempts;
    if (attempts <= failures_before_attach) {
      return Result<ExcelWorkbook*>(ErrorCode::kHostError, "Excel is not reachable");
    }
    return workbook_;
  }
  bool shown = true;
  int failures_before_attach = 0;
  int attempts = 0;

 private:
  ExcelWorkbook* workbook_;
};

// A document whose stories hold `texts`, each in one frame on its own page; it has the
// swatch "RazozaMark1".
layout::Document MakeDocument(const std::string& path, const std::vector<std::string>& texts) {
  layout::DocumentBuilder b(path);
  b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  for (size_t i = 0; i < texts.size(); ++i) {
    const int32_t story = b.AddStory();
    b.Append(story, texts[i]);
    const int32_t page = b.AddPage(std::to_string(i + 1));
    b.AddFrame(page, story);
  }
  Result<layout::Document> doc = b.Build();
  EXPECT_TRUE(doc.ok()) << doc.message();
  return std::move(*doc);
}

// The story's text with every character in the mark colour bracketed: "索引の[用語]です".
std::string MarkedText(const layout::Document& doc, int32_t story) {
  const int32_t mark = layout::FindSwatch(doc, "RazozaMark1");
  const layout::Story& s = doc.stories[story];
  std::string out;
  bool in_mark = false;
  for (int32_t i = 0; i < static_cast<int32_t>(s.text.size()); ++i) {
    const bool marked =
        mark != layout::kNone && layout::EffectiveFillColor(doc, layout::FormatAt(s, i)) == mark;
    if (marked != in_mark) out += marked ? "[" : "]";
    in_mark = marked;
    AppendUtf8(out, s.text[i]);
  }
  if (in_mark) out += "]";
  return out;
}

class KeywordMarkingTest : public ::testing::Test {
 protected:
  KeywordMarkingTest() { EXPECT_TRUE(engine.SetChangeFormatting({"", "RazozaMark1"}).ok()); }

  void SetColumn(int column, const std::vector<std::string>& cells, int sheet = 1) {
    for (size_t i = 0; i < cells.size(); ++i) {
      ASSERT_TRUE(
          workbook.SetCell(sheet, static_cast<int>(i + 1), column, CellValue::Text(cells[i])).ok());
    }
  }
  void OpenDocument(const std::string& path, const std::vector<std::string>& texts) {
    engine.RegisterDocument(MakeDocument(path, texts));
    ASSERT_TRUE(engine.Open(path).ok());
  }
  KeywordMarkingResult Run() {
    KeywordMarkingHosts hosts{
        app, source, desktop, progress, sleeper, flags, [this] { ++confirmed; }};
    desktop.watched_flags = &flags;
    KeywordMarkingResult result = RunKeywordMarking(hosts);
    // Every message of the job, its first question included, is shown with the job flag set
    // (no other job may start meanwhile), and the flag is clear on every way out.
    for (const RecordingDesktop::Message& m : desktop.messages) {
      EXPECT_TRUE(m.job_running) << m.text;
    }
    EXPECT_FALSE(flags.job_running);
    return result;
  }
  std::string Marked(const std::string& path, int32_t story) {
    const layout::Document* doc = engine.OpenDocumentModel(path);
    if (doc == nullptr) return "(not open)";
    return MarkedText(*doc, story);
  }
  std::vector<int64_t> Places(const KeywordMarkingResult& result) {
    std::vector<int64_t> out;
    for (const auto& t : result.tallies) out.push_back(t.places);
    return out;
  }

  EngineApplication engine;
  CallLog log;
  LoggingApplication app{engine, log};
  testing_util::SheetWorkbook workbook;
  FakeKeywordSource source{&workbook};
  RecordingDesktop desktop;
  RecordingProgress progress;
  CountingSleeper sleeper;
  JobFlags flags;
  int confirmed = 0;
};

// --- Checks, in their order -------------------------------------------------------------

TEST_F(KeywordMarkingTest, KeywordWorkbookNotShownGivesM1) {
  source.shown = false;
  OpenDocument("/d/a.indd", {"索引の用語"});
  SetColumn(2, {"用語"});
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kRefused);
  EXPECT_EQ(r.message, MarkingMessage::kOpenKeywordWorkbook);
  EXPECT_EQ(r.detail, "Keyword.xls is not shown");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, MarkingMessageFor(MarkingMessage::kOpenKeywordWorkbook).text);
  EXPECT_EQ(desktop.messages[0].title, "確認");
  EXPECT_EQ(desktop.messages[0].style, 48);
  EXPECT_EQ(source.attempts, 0);
}

TEST_F(KeywordMarkingTest, ExcelUnreachableAfterTwentyAttemptsGivesM9) {
  source.failures_before_attach = 1000;
  OpenDocument("/d/a.indd", {"索引の用語"});
  flags.job_running = true;  // left over: kExcelUnreachable clears it
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.message, MarkingMessage::kExcelUnreachable);
  EXPECT_EQ(source.attempts, 20);
  EXPECT_EQ(sleeper.sleeps, std::vector<int32_t>(19, 500));
  EXPECT_FALSE(flags.job_running);
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(KeywordMarkingTest, ExcelReachedOnTheFifthAttempt) {
  source.failures_before_attach = 4;
  OpenDocument("/d/a.indd", {"索引の用語"});
  SetColumn(2, {"用語"});
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kFinished);
  EXPECT_EQ(source.attempts, 5);
  EXPECT_EQ(sleeper.sleeps.size(), 4u);
}

struct CheckCase {
  const char* name;
  std::vector<std::string> sheet_names;  // the workbook's sheets (first exists already)
  std::vector<std::string> column_a, column_b;
  int documents;  // documents open
  int books;      // books open (members: book_members)
  int book_members;
  MarkingMessage expected;
};

class KeywordMarkingCheckTest : public KeywordMarkingTest,
                                public ::testing::WithParamInterface<CheckCase> {};

TEST_P(KeywordMarkingCheckTest, RefusesWithItsMessageAndChangesNothing) {
  const CheckCase& c = GetParam();
  ASSERT_TRUE(workbook.RenameSheet(1, c.sheet_names[0]).ok());
  for (size_t i = 1; i < c.sheet_names.size(); ++i) {
    ASSERT_TRUE(workbook.AddSheet(c.sheet_names[i]).ok());
  }
  SetColumn(1, c.column_a);
  SetColumn(2, c.column_b);
  for (int i = 0; i < c.documents; ++i) {
    OpenDocument("/d/doc" + std::to_string(i) + ".indd", {"索引の用語"});
  }
  for (int i = 0; i < c.books; ++i) {
    std::vector<std::string> members;
    for (int m = 0; m < c.book_members; ++m) {
      const std::string path = "/b/member" + std::to_string(m) + ".indd";
      engine.RegisterDocument(MakeDocument(path, {"用語"}));
      members.push_back(path);
    }
    engine.RegisterBook(layout::MakeBook("/b/book" + std::to_string(i) + ".indb", members));
    ASSERT_TRUE(engine.Open("/b/book" + std::to_string(i) + ".indb").ok());
  }
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kRefused) << c.name;
  EXPECT_EQ(r.message, c.expected) << c.name << ": " << MarkingMessageTag(*r.message);
  ASSERT_EQ(desktop.messages.size(), 1u) << c.name;
  EXPECT_EQ(desktop.messages[0].text, MarkingMessageFor(c.expected).text) << c.name;
  EXPECT_EQ(desktop.messages[0].style, 48);
  EXPECT_EQ(log.Count("ChangeText"), 0);
  EXPECT_EQ(log.Count("Open"), 0);
  EXPECT_TRUE(progress.starts.empty());
  EXPECT_EQ(confirmed, 0);
  EXPECT_FALSE(flags.job_running);
}

const CheckCase kCheckCases[] = {
    {"sheet1 in lower case", {"sheet1"}, {}, {"用語"}, 1, 0, 0, MarkingMessage::kNoSheet1},
    {"Sheet1 elsewhere is found",
     {"Keywords", "Sheet1"},
     {},
     {},
     1,
     0,
     0,
     MarkingMessage::kNoKeywords},
    {"column B empty, column A filled",
     {"Sheet1"},
     {"a", "b", "c"},
     {},
     1,
     0,
     0,
     MarkingMessage::kNoKeywords},
    {"column B empty to the last used row",
     {"Sheet1"},
     {"a", "b", "c"},
     {"", "", ""},
     1,
     0,
     0,
     MarkingMessage::kNoKeywords},
    {"nothing open", {"Sheet1"}, {}, {"用語"}, 0, 0, 0, MarkingMessage::kNoDocument},
    {"two documents", {"Sheet1"}, {}, {"用語"}, 2, 0, 0, MarkingMessage::kSeveralDocuments},
    {"a book and a document", {"Sheet1"}, {}, {"用語"}, 1, 1, 1, MarkingMessage::kSeveralDocuments},
    {"a book without documents", {"Sheet1"}, {}, {"用語"}, 0, 1, 0, MarkingMessage::kEmptyBook},
};

INSTANTIATE_TEST_SUITE_P(Checks, KeywordMarkingCheckTest, ::testing::ValuesIn(kCheckCases));

TEST_F(KeywordMarkingTest, SheetCheckComesBeforeTheDocumentCheck) {
  ASSERT_TRUE(workbook.RenameSheet(1, "sheet1").ok());
  const KeywordMarkingResult r = Run();  // nothing open either
  EXPECT_EQ(r.message, MarkingMessage::kNoSheet1);
}

TEST_F(KeywordMarkingTest, CancelOnConfirmationChangesNothing) {
  OpenDocument("/d/a.indd", {"索引の用語です"});
  SetColumn(2, {"用語"});
  desktop.answers = {kAnswerCancel};
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kCancelled);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            MarkingMessageFor(MarkingMessage::kConfirmStart, "/d/a.indd").text);
  EXPECT_EQ(desktop.messages[0].style, 65);
  EXPECT_EQ(confirmed, 0);
  EXPECT_FALSE(flags.job_running);
  EXPECT_TRUE(progress.starts.empty());
  EXPECT_EQ(Marked("/d/a.indd", 0), "索引の用語です");
}

// --- The run ---------------------------------------------------------------------------

TEST_F(KeywordMarkingTest, MarksEveryOccurrenceAndSkipsEmptyKeywords) {
  OpenDocument("/d/a.indd", {"索引の用語と読みの用語。", "ノンブルと索引"});
  SetColumn(2, {"用語", "索引", "", "", "ノンブル"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(r.target_kind, "Doc");
  EXPECT_EQ(r.target_path, "/d/a.indd");
  EXPECT_EQ(Marked("/d/a.indd", 0), "[索引]の[用語]と読みの[用語]。");
  EXPECT_EQ(Marked("/d/a.indd", 1), "[ノンブル]と[索引]");
  // Rows 3 and 4 are empty: kept in the list, but no call for them.
  ASSERT_EQ(r.tallies.size(), 5u);
  EXPECT_EQ(r.tallies[2].keyword, "");
  EXPECT_EQ(log.calls, (std::vector<std::string>{"ChangeText(用語)", "ChangeText(索引)",
                                                 "ChangeText(ノンブル)"}));
  EXPECT_EQ(Places(r), (std::vector<int64_t>{2, 2, 0, 0, 1}));
  // The keyword counter runs through all five.
  EXPECT_EQ(progress.LastField(ProgressField::kEntryCount), "5 / 5");
  EXPECT_EQ(progress.LastField(ProgressField::kStoryCounter), "2 / 2");
  EXPECT_EQ(progress.LastField(ProgressField::kDocumentCounter), "1 / 1");
  EXPECT_EQ(progress.LastField(ProgressField::kEntryCaption), "処理中のキーワード数   ：");
  EXPECT_EQ(confirmed, 1);
  EXPECT_FALSE(flags.job_running);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, "一括マーキング処理が終了しました。");
  EXPECT_EQ(desktop.messages[1].style, 64);
  EXPECT_EQ(r.message, MarkingMessage::kFinished);
}

TEST_F(KeywordMarkingTest, ProgressValuesAndTexts) {
  OpenDocument("/d/a.indd", {"用語の用語", "x", "語の索引"});
  SetColumn(2, {"用語", "索引"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(progress.starts, std::vector<std::string>{"一括マーキング処理を実行中です...　"});
  // 10 at the start, 20 per document, then per keyword of each story of two or more
  // characters k/K×79+20 (60, 99) and 100 after its last keyword.
  EXPECT_EQ(progress.Values(), (std::vector<int32_t>{10, 20, 60, 99, 100, 60, 99, 100}));
  for (const auto& u : progress.updates) {
    EXPECT_EQ(u.total, 100);
    EXPECT_EQ(u.activity, "一括マーキング処理を実行中です...　");
  }
  EXPECT_EQ(progress.finishes, std::vector<std::string>{"一括マーキング処理を実行中です... "});
  // Yields: after the first update and once per document.
  EXPECT_EQ(progress.yields, 2);
  // The one-character story 2 is skipped, but its counter is shown.
  bool story_two_shown = false;
  for (const auto& [field, text] : progress.fields) {
    if (field == ProgressField::kStoryCounter && text == "2 / 3") story_two_shown = true;
  }
  EXPECT_TRUE(story_two_shown);
  EXPECT_EQ(Marked("/d/a.indd", 2), "語の[索引]");
}

TEST_F(KeywordMarkingTest, OneCharacterStoryIsSkippedWithOlderSearch) {
  engine.SetVersion("3.0");
  OpenDocument("/d/a.indd", {"語", "用語"});
  SetColumn(2, {"語"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(log.calls, std::vector<std::string>{"Search(語)"});  // story 2 only
  EXPECT_EQ(Marked("/d/a.indd", 0), "語");
  EXPECT_EQ(Marked("/d/a.indd", 1), "用[語]");
  EXPECT_EQ(Places(r), std::vector<int64_t>{1});
}

struct VersionCase {
  const char* version;
  std::vector<std::string> calls;
};

class KeywordMarkingVersionTest : public KeywordMarkingTest,
                                  public ::testing::WithParamInterface<VersionCase> {};

TEST_P(KeywordMarkingVersionTest, GenerationChoosesTheCalls) {
  engine.SetVersion(GetParam().version);
  OpenDocument("/d/a.indd", {"索引の用語", "用語集"});
  SetColumn(2, {"用語", "", "索引"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(log.calls, GetParam().calls);
  EXPECT_EQ(Marked("/d/a.indd", 0), "[索引]の[用語]");
  EXPECT_EQ(Marked("/d/a.indd", 1), "[用語]集");
  EXPECT_EQ(Places(r), (std::vector<int64_t>{2, 0, 1}));
  EXPECT_EQ(progress.LastField(ProgressField::kEntryCount), "3 / 3");
}

const std::vector<std::string> kFindChangeCalls = {"ChangeText(用語)", "ChangeText(索引)"};
// The older call goes to every story, the empty keyword passed on like the others.
const std::vector<std::string> kSearchCalls = {"Search(用語)", "Search()", "Search(索引)",
                                               "Search(用語)", "Search()", "Search(索引)"};

INSTANTIATE_TEST_SUITE_P(Versions, KeywordMarkingVersionTest,
                         ::testing::Values(VersionCase{"20.0", kFindChangeCalls},
                                           VersionCase{"2.0", kSearchCalls},
                                           VersionCase{"4.0", kSearchCalls}));

TEST_F(KeywordMarkingTest, BookMembersAreOpenedInOrderAndStayOpen) {
  engine.RegisterDocument(MakeDocument("/b/ch1.indd", {"第一章の用語", "柱"}));
  engine.RegisterDocument(MakeDocument("/b/ch2.indd", {"用語と用語と索引"}));
  engine.RegisterBook(layout::MakeBook("/b/book.indb", {"/b/ch1.indd", "/b/ch2.indd"}));
  ASSERT_TRUE(engine.Open("/b/book.indb").ok());
  SetColumn(2, {"用語", "索引", "目次"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(r.target_kind, "Book");
  EXPECT_EQ(r.target_path, "/b/book.indb");
  EXPECT_EQ(desktop.messages[0].text,
            MarkingMessageFor(MarkingMessage::kConfirmStart, "/b/book.indb").text);
  EXPECT_EQ(log.Count("Open(/b/ch1.indd)"), 1);
  EXPECT_EQ(log.Count("Open(/b/ch2.indd)"), 1);
  EXPECT_EQ(log.calls[0], "Open(/b/ch1.indd)");
  EXPECT_EQ(engine.DocumentCount().value(), 2);
  EXPECT_EQ(Marked("/b/ch1.indd", 0), "第一章の[用語]");
  EXPECT_EQ(Marked("/b/ch2.indd", 0), "[用語]と[用語]と[索引]");
  // Each place counted once, though ChangeText covers every open document.
  EXPECT_EQ(Places(r), (std::vector<int64_t>{3, 1, 0}));
  EXPECT_EQ(progress.LastField(ProgressField::kDocumentCounter), "2 / 2");
  EXPECT_EQ(progress.LastField(ProgressField::kDocumentName), "ch2.indd");
}

TEST_F(KeywordMarkingTest, BookWithOlderSearchSumsStories) {
  engine.SetVersion("2.0");
  engine.RegisterDocument(MakeDocument("/b/ch1.indd", {"用語", "用語と用語"}));
  engine.RegisterDocument(MakeDocument("/b/ch2.indd", {"用語"}));
  engine.RegisterBook(layout::MakeBook("/b/book.indb", {"/b/ch1.indd", "/b/ch2.indd"}));
  ASSERT_TRUE(engine.Open("/b/book.indb").ok());
  SetColumn(2, {"用語"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(Places(r), std::vector<int64_t>{4});
}

TEST_F(KeywordMarkingTest, ChangeTextIsCalledOncePerKeywordAndDocument) {
  OpenDocument("/d/a.indd", {"用語一", "用語二", "用語三", "用語四"});
  SetColumn(2, {"用語"});
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(log.Count("ChangeText"), 1);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(Marked("/d/a.indd", s).substr(0, 8), "[用語]");
  EXPECT_EQ(Places(r), std::vector<int64_t>{4});
  // The counters still walk every story.
  EXPECT_EQ(progress.LastField(ProgressField::kStoryCounter), "4 / 4");
  EXPECT_EQ(progress.Values().size(), 2u + 4u * 2u);
}

TEST_F(KeywordMarkingTest, NumberCellsAreKeywordsAsShown) {
  OpenDocument("/d/a.indd", {"2024年と3.5倍"});
  ASSERT_TRUE(workbook.SetCell(1, 1, 2, CellValue::Number(2024)).ok());
  ASSERT_TRUE(workbook.SetCell(1, 2, 2, CellValue::Number(3.5)).ok());
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(Marked("/d/a.indd", 0), "[2024]年と[3.5]倍");
}

TEST_F(KeywordMarkingTest, ControlCharactersLeaveKeywords) {
  // A NUL inside a keyword cell once cut it short, so every "和" was marked.
  using namespace std::string_literals;
  OpenDocument("/d/a.indd", {"和と和紙と洋紙"});
  ASSERT_TRUE(workbook.SetCell(1, 1, 2, CellValue::Text("和\0紙"s)).ok());
  ASSERT_TRUE(workbook.SetCell(1, 2, 2, CellValue::Text("\x1b洋\x7f紙")).ok());
  const KeywordMarkingResult r = Run();
  ASSERT_EQ(r.outcome, MarkingOutcome::kFinished) << r.detail;
  EXPECT_EQ(Marked("/d/a.indd", 0), "和と[和紙]と[洋紙]");
}

TEST_F(KeywordMarkingTest, HostFailureMidwayGivesM10AndKeepsEarlierMarks) {
  OpenDocument("/d/a.indd", {"索引の用語"});
  SetColumn(2, {"索引", "用語"});
  log.fail_on = "ChangeText(用語)";
  flags.job_running = false;
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kFailed);
  EXPECT_EQ(r.message, MarkingMessage::kFailed);
  EXPECT_NE(r.detail.find("host refused ChangeText(用語)"), std::string::npos);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, MarkingMessageFor(MarkingMessage::kFailed).text);
  EXPECT_EQ(desktop.messages[1].style, 48);
  EXPECT_FALSE(flags.job_running);
  EXPECT_TRUE(progress.finishes.empty());  // the bar is not finished on this path
  EXPECT_EQ(Marked("/d/a.indd", 0), "[索引]の用語");
  EXPECT_EQ(Places(r), (std::vector<int64_t>{1, 0}));
}

TEST_F(KeywordMarkingTest, BookMemberThatCannotBeOpenedGivesM10) {
  engine.RegisterBook(layout::MakeBook("/b/book.indb", {"/b/missing.indd"}));
  ASSERT_TRUE(engine.Open("/b/book.indb").ok());
  SetColumn(2, {"用語"});
  const KeywordMarkingResult r = Run();
  EXPECT_EQ(r.outcome, MarkingOutcome::kFailed);
  EXPECT_EQ(r.message, MarkingMessage::kFailed);
  EXPECT_FALSE(r.detail.empty());
}

}  // namespace
}  // namespace mirune
