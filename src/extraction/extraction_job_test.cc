#include "extraction/extraction_job.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "analysis/phonetic.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/text_encoding.h"
#include "base/utf.h"
#include "desktop/testing/recording_desktop.h"
#include "extraction/messages.h"
#include "extraction/output_files.h"
#include "extraction/page_marking.h"
#include "extraction/story_analyzer.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

using indesign_engine::EngineApplication;
using layout::DocumentBuilder;

// Readings for the tests: katakana from a small table, anything else as written.
class TableLookup : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view text) override {
    static const std::map<std::string, std::string, std::less<>> table = {
        {"索引", "サクイン"}, {"用語", "ヨウゴ"}, {"本", "ホン"}, {"頁", "ページ"}};
    auto it = table.find(text);
    return it == table.end() ? std::string(text) : it->second;
  }
};

// The real analysis, with a record of every exported story and a failure on request.
class SpyAnalyzer : public StoryAnalyzer {
 public:
  SpyAnalyzer() : inner_(divider_, lookup_) {}
  Status AnalyzeStory(const StoryFiles& files, EntryList& entries, ProgressReporter& progress,
                      float full_width) override {
    export_names.push_back(files.export_path.substr(files.export_path.find("InD_Tag")));
    story_names.push_back(files.story_name);
    auto bytes = ReadFileBytes(files.export_path);
    if (bytes.ok()) {
      auto text = DecodeUtf16Text(*bytes);
      exported.push_back(text.ok() ? Utf16ToUtf8(*text) : std::string());
    }
    if (static_cast<int>(export_names.size()) == fail_at) {
      return Status(ErrorCode::kFormatError, "analysis failed on purpose");
    }
    return inner_.AnalyzeStory(files, entries, progress, full_width);
  }
  void BeginBook() override { inner_.BeginBook(); }
  Status FinishBook(EntryList& entries) override { return inner_.FinishBook(entries); }
  std::vector<std::string> export_names;
  std::vector<std::string> story_names;
  std::vector<std::string> exported;
  int fail_at = 0;

 private:
  ScriptWordDivider divider_;
  TableLookup lookup_;
  TaggedStoryAnalyzer inner_;
};

// Writes the entry lines as the workbook would count them (the workbook has its own tests).
class FakeWorkbook : public ResultWorkbookWriter {
 public:
  Result<int64_t> WriteRazozaXls(const EntryList& entries, const std::string& path,
                                 ProgressReporter&, float) override {
    ++calls;
    if (fail) return Status(ErrorCode::kIoError, "ディスクの空きがありません");
    MIRUNE_RETURN_IF_ERROR(WriteFileAtomic(path, entries.text()));
    return static_cast<int64_t>(entries.line_count());
  }
  int calls = 0;
  bool fail = false;
};

std::string TestFolder(const std::string& name) {
  const std::string root = JoinPath(MIRUNE_BINARY_DIR, "extraction_job_test");
  EXPECT_TRUE(CreateFolder(root).ok());
  const std::string folder = JoinPath(root, name);
  EXPECT_TRUE(CreateFolder(folder).ok());
  EXPECT_TRUE(CreateFolder(JoinPath(folder, "temp")).ok());
  EXPECT_TRUE(CreateFolder(JoinPath(folder, "RazozaData")).ok());
  for (const char* file : {"Razoza.doc", "Razoza.txt", "Razoza.xls"}) {
    EXPECT_TRUE(RemoveFile(JoinPath(JoinPath(folder, "RazozaData"), file)).ok());
  }
  return folder;
}

// Previous results in the folders, and a check that they are still there byte for byte and
// that no temporary file was left beside them.
void WritePreviousResults(const WorkingFolders& folders) {
  for (const std::string* path : {&folders.razoza_doc, &folders.razoza_txt, &folders.razoza_xls}) {
    ASSERT_TRUE(WriteFileAtomic(*path, "previous " + *path).ok());
  }
}
void ExpectPreviousResults(const WorkingFolders& folders) {
  for (const std::string* path : {&folders.razoza_doc, &folders.razoza_txt, &folders.razoza_xls}) {
    EXPECT_EQ(*ReadFileBytes(*path), "previous " + *path);
  }
  const auto entries = ListFolder(folders.results);
  ASSERT_TRUE(entries.ok());
  EXPECT_EQ(entries->size(), 3u);
}

// A document of `pages` pages; page p holds one frame of story 0 with the text
// "索引" (marked) + "の頁p。\r", and each page also a second story "本" (marked) + "\r".
layout::Document SampleDocument(const std::string& path, int pages, bool marked = true) {
  DocumentBuilder b(path);
  const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  layout::TextFormat marked_format;
  if (marked) marked_format.fill_color = mark;
  const int32_t main = b.AddStory();
  for (int p = 1; p <= pages; ++p) {
    b.Append(main, "索引", marked_format);
    b.Append(main, "の頁" + std::to_string(p) + "。\r");
  }
  int32_t first_page = 0;
  for (int p = 1; p <= pages; ++p) {
    const int32_t page = b.AddPage(std::to_string(p));
    if (p == 1) first_page = page;
    const std::string text = "索引の頁" + std::to_string(p) + "。\r";
    b.AddFrame(page, main, static_cast<int32_t>(Utf8ToUtf32(text).size()));
  }
  const int32_t side = b.AddStory();
  b.Append(side, "本", marked_format);
  b.Append(side, "\r");
  b.AddFrame(first_page, side);
  const int32_t tiny = b.AddStory();  // one character in no frame: not exported
  b.Append(tiny, "x");
  auto document = b.Build();
  EXPECT_TRUE(document.ok()) << document.message();
  return *document;
}

struct Harness {
  explicit Harness(const std::string& name) : folders(TestFolder(name)) {}
  ExtractionResult Run(const std::string& path, bool book) {
    ExtractionContext context{app, desktop, flags, progress, analyzer, workbook, folders, entries};
    ExtractionRequest request;
    request.selected_file_path = path;
    request.selected_file_name = layout::LastPathComponent(path);
    request.book = book;
    desktop.watched_flags = &flags;
    ExtractionResult result = RunExtraction(context, request);
    // Every message of the job, from the first question on, is shown with the job flag set
    // (no other job may start meanwhile), and the flag is clear on every way out.
    for (const RecordingDesktop::Message& m : desktop.messages) {
      EXPECT_TRUE(m.job_running) << m.text;
    }
    EXPECT_FALSE(flags.job_running);
    return result;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> out;
    for (const auto& m : desktop.messages) out.push_back(m.title + ":" + std::to_string(m.style));
    return out;
  }
  EngineApplication app;
  RecordingDesktop desktop;
  JobFlags flags;
  RecordingProgress progress;
  SpyAnalyzer analyzer;
  FakeWorkbook workbook;
  WorkingFolders folders;
  EntryList entries;
};

TEST(ExtractionJobTest, DocumentJobEndToEnd) {
  Harness h("document");
  const std::string path = "/books/章1.indd";
  const layout::Document original = SampleDocument(path, 2);
  h.app.RegisterDocument(original);
  const ExtractionResult result = h.Run(path, false);
  ASSERT_EQ(result.outcome, ExtractionOutcome::kCompleted) << result.error.ToString();

  ASSERT_EQ(h.desktop.messages.size(), 2u);
  EXPECT_EQ(h.desktop.messages[0].text,
            "以下のドキュメントの索引抽出を開始します。\r\n\r\n/books/章1.indd");
  EXPECT_EQ(h.Titles(), (std::vector<std::string>{"ミルネ Ver1.0:65", "ミルネ Ver1.0:64"}));
  EXPECT_EQ(
      h.desktop.messages[1].text.find("索引抽出処理が終了しました。\n\r処理にかかった時間は "), 0u);
  EXPECT_NE(h.desktop.messages[1].text.find(" 秒で、3ヵ所抽出しました。"), std::string::npos);

  const std::vector<std::string> lines = {"索引\tさくいん\t1", "索引\tさくいん\t2", "本\tほん\t1"};
  EXPECT_EQ(h.entries.Lines(), lines);
  EXPECT_EQ(result.entry_count, 3);
  EXPECT_EQ(result.extracted_count, 3);
  EXPECT_EQ(result.export_count, 2);  // the one-character story is not exported
  EXPECT_EQ(*ReadFileBytes(h.folders.razoza_txt), BuildRazozaText(lines));
  EXPECT_EQ(*ReadFileBytes(h.folders.razoza_doc), BuildRazozaRtf(lines));
  EXPECT_EQ(h.workbook.calls, 1);

  // Exports: numbered from 1; the markers stand after each frame's last character.
  EXPECT_EQ(h.analyzer.export_names,
            (std::vector<std::string>{"InD_Tag001.txt", "InD_Tag002.txt"}));
  // Warnings of the analysis name the story as the user knows it.
  EXPECT_EQ(h.analyzer.story_names,
            (std::vector<std::string>{"章1.indd のストーリー 1", "章1.indd のストーリー 2"}));
  EXPECT_NE(h.analyzer.exported[0].find("の頁1。\r\n◆♭♪0001♪♭◆"), std::string::npos)
      << h.analyzer.exported[0];
  // No working file is left in temp.
  EXPECT_FALSE(FileExists(h.folders.ExportPath(1)));
  EXPECT_FALSE(FileExists(h.folders.ExportPath(2)));

  // The user's document is untouched and closed; everything is shown again.
  EXPECT_EQ(*h.app.DocumentCount(), 0);
  EXPECT_EQ(h.app.RegisteredDocument(path)->stories[0].text, original.stories[0].text);
  EXPECT_FALSE(h.flags.job_running);
  EXPECT_TRUE(h.desktop.indesign_visible);
  EXPECT_FALSE(h.desktop.controls_enabled);  // the launch enables them again
  EXPECT_EQ(h.desktop.abort_window_names, (std::vector<std::string>{"章1.indd", "章1.indd"}));

  // Progress: 7, 10, pages (1 of 2: 24.5 → 24, 2 of 2: 39), 40, 42 per story with the analysis's
  // own values in between, then 20, 30, 40, 50 and the finish.
  const std::vector<int32_t> values = h.progress.Values();
  ASSERT_GE(values.size(), 9u);
  EXPECT_EQ(std::vector<int32_t>(values.begin(), values.begin() + 6),
            (std::vector<int32_t>{7, 10, 24, 39, 40, 42}));
  EXPECT_EQ(std::vector<int32_t>(values.end() - 4, values.end()),
            (std::vector<int32_t>{20, 30, 40, 50}));
  EXPECT_EQ(h.progress.finishes, std::vector<std::string>{"索引データ書き出し処理中です... "});
  EXPECT_EQ(h.progress.LastField(ProgressField::kDocumentCounter), "1 / 1");
  EXPECT_EQ(h.progress.LastField(ProgressField::kStoryCounter), "3 / 3");
  EXPECT_EQ(h.progress.LastField(ProgressField::kDocumentName), "章1.indd");
}

TEST(ExtractionJobTest, BookJobNumbersExportsAcrossMembers) {
  Harness h("book");
  h.app.RegisterDocument(SampleDocument("/b/one.indd", 2));
  h.app.RegisterDocument(SampleDocument("/b/two.indd", 1));
  h.app.RegisterBook(layout::MakeBook("/b/all.indb", {"/b/one.indd", "/b/two.indd"}));
  const ExtractionResult result = h.Run("/b/all.indb", true);
  ASSERT_EQ(result.outcome, ExtractionOutcome::kCompleted) << result.error.ToString();
  EXPECT_EQ(h.desktop.messages[0].text, "以下のブックの索引抽出を開始します。\r\n\r\n/b/all.indb");
  EXPECT_EQ(h.analyzer.export_names,
            (std::vector<std::string>{"InD_Tag001.txt", "InD_Tag002.txt", "InD_Tag003.txt",
                                      "InD_Tag004.txt"}));
  EXPECT_EQ(h.entries.Lines(),
            (std::vector<std::string>{"索引\tさくいん\t1", "索引\tさくいん\t2", "本\tほん\t1",
                                      "索引\tさくいん\t1", "本\tほん\t1"}));
  // The abort window shows the book's name before each member.
  EXPECT_EQ(h.desktop.abort_window_names,
            (std::vector<std::string>{"all.indb", "all.indb", "all.indb"}));
  EXPECT_EQ(h.progress.starts.size(), 2u);
  EXPECT_EQ(h.progress.LastField(ProgressField::kDocumentCounter), "2 / 2");
  EXPECT_EQ(*h.app.BookCount(), 0);
  EXPECT_EQ(*h.app.DocumentCount(), 0);
}

TEST(ExtractionJobTest, RefusalsAndCancels) {
  struct Case {
    const char* name;
    bool book;
    bool modified;
    bool empty_book;
    bool open_before;
    std::deque<int> answers;
    ExtractionOutcome outcome;
    std::vector<std::string> texts;  // first lines of the messages
    int open_books_after;
    int open_documents_after;
  };
  const std::vector<Case> cases = {
      {"m1",
       false,
       false,
       false,
       true,
       {},
       ExtractionOutcome::kRefused,
       {"InDesign文書がオープンされています。"},
       0,
       1},
      {"m3cancel",
       false,
       false,
       false,
       false,
       {kAnswerCancel},
       ExtractionOutcome::kCancelled,
       {"以下のドキュメントの索引抽出を開始します。"},
       0,
       0},
      {"m2cancel",
       true,
       false,
       false,
       false,
       {kAnswerCancel},
       ExtractionOutcome::kCancelled,
       {"以下のブックの索引抽出を開始します。"},
       0,
       0},
      {"m4",
       true,
       true,
       false,
       false,
       {},
       ExtractionOutcome::kRefused,
       {"以下のブックの索引抽出を開始します。",
        "対象文書（ブック）が変更されているため、処理を開始できません。"},
       1,
       0},
      {"m5",
       true,
       false,
       true,
       false,
       {},
       ExtractionOutcome::kRefused,
       {"以下のブックの索引抽出を開始します。",
        "対象ブック内にドキュメントが見つかりませんでした。"},
       1,
       0},
      {"m6cancel",
       false,
       true,
       false,
       false,
       {kAnswerOk, kAnswerCancel},
       ExtractionOutcome::kCancelled,
       {"以下のドキュメントの索引抽出を開始します。",
        "対象文書（ドキュメント）が、未保存の状態になっています。"},
       0,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(std::string("refuse_") + c.name);
    layout::Document document = SampleDocument("/r/doc.indd", 1);
    document.modified = c.modified && !c.book;
    h.app.RegisterDocument(document);
    layout::Book book =
        layout::MakeBook("/r/book.indb", c.empty_book ? std::vector<std::string>{}
                                                      : std::vector<std::string>{"/r/doc.indd"});
    book.modified = c.modified && c.book;
    h.app.RegisterBook(book);
    if (c.open_before) {
      ASSERT_TRUE(h.app.Open("/r/doc.indd").ok());
    }
    h.desktop.answers = c.answers;
    const ExtractionResult result = h.Run(c.book ? "/r/book.indb" : "/r/doc.indd", c.book);
    EXPECT_EQ(result.outcome, c.outcome);
    ASSERT_EQ(h.desktop.messages.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(h.desktop.messages[i].text.find(c.texts[i]), 0u) << h.desktop.messages[i].text;
    }
    const auto& last = h.desktop.messages.back();
    if (c.answers.empty()) {
      EXPECT_EQ(last.title, "確認");
      EXPECT_EQ(last.style, 48);
    }
    EXPECT_EQ(*h.app.BookCount(), c.open_books_after);
    EXPECT_EQ(*h.app.DocumentCount(), c.open_documents_after);
    EXPECT_FALSE(h.flags.job_running);
    EXPECT_TRUE(h.desktop.controls_enabled);  // the job never started
    EXPECT_FALSE(FileExists(h.folders.razoza_doc));
  }
}

TEST(ExtractionJobTest, ModifiedDocumentGoesOnAfterOk) {
  Harness h("m6ok");
  layout::Document document = SampleDocument("/r/doc.indd", 1);
  document.modified = true;
  h.app.RegisterDocument(document);
  const ExtractionResult result = h.Run("/r/doc.indd", false);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kCompleted);
  EXPECT_EQ(h.Titles(),
            (std::vector<std::string>{"ミルネ Ver1.0:65", "確認:49", "ミルネ Ver1.0:64"}));
}

TEST(ExtractionJobTest, EmptyResultLeavesThePreviousResults) {
  Harness h("empty");
  h.app.RegisterDocument(SampleDocument("/e/doc.indd", 1, /*marked=*/false));
  WritePreviousResults(h.folders);
  const ExtractionResult result = h.Run("/e/doc.indd", false);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kEmpty);
  EXPECT_EQ(h.desktop.messages.back().text,
            "索引語句は抽出されませんでした。\r\n\r\nマーキングがされているかなど、対象文書を確認し"
            "て下さい。");
  EXPECT_EQ(h.desktop.messages.back().style, 48);
  ExpectPreviousResults(h.folders);
  EXPECT_EQ(h.workbook.calls, 0);
  EXPECT_EQ(h.progress.closes, 1);
  EXPECT_FALSE(h.flags.job_running);
  EXPECT_TRUE(h.desktop.indesign_visible);
}

TEST(ExtractionJobTest, FailedWorkbookLeavesThePreviousResults) {
  Harness h("workbook_fails");
  h.app.RegisterDocument(SampleDocument("/w/doc.indd", 2));
  WritePreviousResults(h.folders);
  h.workbook.fail = true;
  const ExtractionResult result = h.Run("/w/doc.indd", false);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kFailed);
  EXPECT_EQ(h.workbook.calls, 1);
  // Razoza.doc and Razoza.txt were ready: they wait for the workbook and go with it.
  ExpectPreviousResults(h.folders);
  EXPECT_EQ(h.desktop.messages.back().text, MessageCannotContinue());
  EXPECT_EQ(h.desktop.messages.back().cause, "ディスクの空きがありません");
}

TEST(ExtractionJobTest, AbortBeforeTheFirstDocumentCreatesNoOutput) {
  for (const bool book : {false, true}) {
    SCOPED_TRACE(book);
    Harness h(book ? "abort_first_book" : "abort_first_doc");
    h.app.RegisterDocument(SampleDocument("/a/doc.indd", 1));
    h.app.RegisterBook(layout::MakeBook("/a/b.indb", {"/a/doc.indd"}));
    WritePreviousResults(h.folders);
    h.desktop.press_abort_in_window = {2};  // the window before document 1
    h.desktop.answers = {kAnswerOk, kAnswerYes};
    const ExtractionResult result = h.Run(book ? "/a/b.indb" : "/a/doc.indd", book);
    EXPECT_EQ(result.outcome, ExtractionOutcome::kAborted);
    EXPECT_EQ(h.desktop.messages.back().text, "処理を中止しますか？");
    EXPECT_EQ(h.desktop.messages.back().style, 4132);
    ExpectPreviousResults(h.folders);
    EXPECT_TRUE(h.analyzer.export_names.empty());
    EXPECT_EQ(*h.app.BookCount(), 0);
    EXPECT_EQ(*h.app.DocumentCount(), 0);
    EXPECT_FALSE(h.flags.job_running);
    EXPECT_TRUE(h.desktop.indesign_visible);
  }
}

TEST(ExtractionJobTest, AbortAnsweredNoGoesOn) {
  Harness h("abort_no");
  h.app.RegisterDocument(SampleDocument("/a/doc.indd", 1));
  h.desktop.press_abort_in_window = {2};
  h.desktop.answers = {kAnswerOk, kAnswerNo};
  EXPECT_EQ(h.Run("/a/doc.indd", false).outcome, ExtractionOutcome::kCompleted);
}

TEST(ExtractionJobTest, AbortBeforeALaterMemberLeavesThePreviousResults) {
  Harness h("abort_later");
  h.app.RegisterDocument(SampleDocument("/a/one.indd", 1));
  h.app.RegisterDocument(SampleDocument("/a/two.indd", 1));
  h.app.RegisterBook(layout::MakeBook("/a/b.indb", {"/a/one.indd", "/a/two.indd"}));
  WritePreviousResults(h.folders);
  h.desktop.press_abort_in_window = {3};  // before member 2
  h.desktop.answers = {kAnswerOk, kAnswerYes};
  const ExtractionResult result = h.Run("/a/b.indb", true);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kAborted);
  ExpectPreviousResults(h.folders);
  EXPECT_EQ(h.progress.closes, 1);
  EXPECT_EQ(*h.app.BookCount(), 0);
  EXPECT_EQ(*h.app.DocumentCount(), 0);
  EXPECT_FALSE(h.flags.job_running);
}

TEST(ExtractionJobTest, ErrorEndsWithTheFixedMessageAndKeepsTheWorkingFile) {
  Harness h("error");
  h.app.RegisterDocument(SampleDocument("/x/doc.indd", 1));
  WritePreviousResults(h.folders);
  h.analyzer.fail_at = 1;
  const ExtractionResult result = h.Run("/x/doc.indd", false);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kFailed);
  EXPECT_EQ(result.error.message(), "analysis failed on purpose");
  ExpectPreviousResults(h.folders);
  EXPECT_EQ(h.desktop.messages.back().text, MessageCannotContinue());
  EXPECT_EQ(h.desktop.messages.back().style, 48);
  EXPECT_TRUE(FileExists(h.folders.ExportPath(1)));
  EXPECT_FALSE(h.flags.job_running);
  EXPECT_TRUE(h.desktop.indesign_visible);
  EXPECT_GE(h.progress.closes, 1);
  EXPECT_EQ(*h.app.DocumentCount(), 1);  // left open, as the host leaves it after an error
}

TEST(ExtractionJobTest, ExportNamesGrowPastThreeDigits) {
  Harness h("many_stories");
  DocumentBuilder b("/n/doc.indd");
  const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t page = b.AddPage("1");
  for (int i = 0; i < 1001; ++i) {
    const int32_t story = b.AddStory();
    b.Append(story, "本", {.fill_color = mark});
    b.Append(story, "\r");
    b.AddFrame(page, story);
  }
  h.app.RegisterDocument(*b.Build());
  const ExtractionResult result = h.Run("/n/doc.indd", false);
  ASSERT_EQ(result.outcome, ExtractionOutcome::kCompleted) << result.error.ToString();
  EXPECT_EQ(result.export_count, 1001);
  EXPECT_EQ(h.analyzer.export_names[998], "InD_Tag999.txt");
  EXPECT_EQ(h.analyzer.export_names[999], "InD_Tag1000.txt");
  EXPECT_EQ(h.analyzer.export_names[1000], "InD_Tag1001.txt");
  EXPECT_EQ(result.entry_count, 1001);
  EXPECT_FALSE(FileExists(h.folders.ExportPath(1000)));
}

TEST(ExtractionJobTest, ElapsedTimeCountsTheOpening) {
  Harness h("elapsed");
  // A loader that takes a minute on the desktop's clock, as a large package would.
  h.app.AddLoader({"slow", [](const std::string& path) { return path == "/s/slow.idml"; },
                   [&h](const std::string&) -> Result<indesign_engine::LoadedItem> {
                     h.desktop.clock += 60;
                     indesign_engine::LoadedItem item;
                     item.document = SampleDocument("/s/slow.idml", 1);
                     return item;
                   }});
  const ExtractionResult result = h.Run("/s/slow.idml", false);
  ASSERT_EQ(result.outcome, ExtractionOutcome::kCompleted) << result.error.ToString();
  EXPECT_GE(result.elapsed_seconds, 60);
  EXPECT_NE(h.desktop.messages.back().text.find("処理にかかった時間は 6"), std::string::npos)
      << h.desktop.messages.back().text;
}

TEST(ExtractionJobTest, MissingTargetIsAnError) {
  Harness h("missing");
  const ExtractionResult result = h.Run("/nowhere/doc.indd", false);
  EXPECT_EQ(result.outcome, ExtractionOutcome::kFailed);
  EXPECT_EQ(h.desktop.Texts(), std::vector<std::string>{MessageCannotContinue()});
}

}  // namespace
}  // namespace mirune
