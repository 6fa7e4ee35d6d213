#include "app/extraction_launch.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "analysis/phonetic.h"
#include "app/data_folder.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/path.h"
#include "desktop/testing/recording_desktop.h"
#include "extraction/messages.h"
#include "extraction/story_analyzer.h"
#include "extraction/working_files.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

using indesign_engine::EngineApplication;

class CountingWorkbook : public ResultWorkbookWriter {
 public:
  Result<int64_t> WriteRazozaXls(const EntryList& entries, const std::string& path,
                                 ProgressReporter&, float) override {
    MIRUNE_RETURN_IF_ERROR(WriteFileAtomic(path, "xls"));
    return static_cast<int64_t>(entries.line_count());
  }
};

TEST(ExtractionLaunchTest, SelectedPath) {
  EXPECT_EQ(SelectedFilePath({"c:\\", "a.indd"}), "c:\\a.indd");
  EXPECT_EQ(SelectedFilePath({"c:\\books\\", "a.indd"}), "c:\\books\\a.indd");
  EXPECT_EQ(SelectedFilePath({"/", "a.indd"}), "/a.indd");
#ifdef _WIN32
  EXPECT_EQ(SelectedFilePath({"c:\\books", "a.indd"}), "c:\\books\\a.indd");
#else
  EXPECT_EQ(SelectedFilePath({"/books", "a.indd"}), "/books/a.indd");
#endif
}

TEST(ExtractionLaunchTest, FileCheck) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "launch_test_chapters.idml");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const struct {
    std::string name;
    std::string path;
    TargetKind kind;
  } cases[] = {
      {"a.indd", "/x/a.indd", TargetKind::kIndd},
      {"a.indb", "/x/a.indb", TargetKind::kIndb},
      {"a.INDD", "/x/a.INDD", TargetKind::kNotADocument},
      {"a.Indb", "/x/a.Indb", TargetKind::kNotADocument},
      {"a.idml", "/x/a.idml", TargetKind::kIdml},
      {"a.IDML", "/x/a.IDML", TargetKind::kIdml},
      {"a.txt", "/x/a.txt", TargetKind::kNotADocument},
      {"", "/x/", TargetKind::kNotADocument},
      {"xindd", "/x/xindd", TargetKind::kIndd},  // the check reads the last four letters
      {"launch_test_chapters.idml", folder, TargetKind::kIdmlFolder},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyTarget(c.name, c.path), c.kind) << c.name;
}

struct Launch {
  explicit Launch(const std::string& name)
      : data(JoinPath(MIRUNE_BINARY_DIR, "launch_test_" + name)),
        engine(std::make_shared<EngineApplication>()),
        analyzer(readings, readings) {
    EXPECT_TRUE(CreateFolder(data).ok());
    // The user's own export settings, which every launch must leave as they were.
    EXPECT_TRUE(engine->SetTaggedTextCharacterSet(indesign::kCharacterSetShiftJis).ok());
    EXPECT_TRUE(engine->SetTaggedTextTagForm(indesign::kTagFormVerbose).ok());
    layout::DocumentBuilder b(SelectedFilePath({"/l", "doc.idml"}));
    const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
    const int32_t story = b.AddStory();
    b.Append(story, "索引", {.fill_color = mark});
    b.Append(story, "です。\r");
    b.AddFrame(b.AddPage("3"), story);
    engine->RegisterDocument(*b.Build());
  }
  LaunchResult Run(const std::string& folder, const std::string& file) {
    LaunchServices services{desktop, flags, progress, analyzer, workbook, entries, data};
    services.create_indesign = [&]() -> Result<std::shared_ptr<indesign::Application>> {
      if (fail_create) return Status(ErrorCode::kHostError, "no InDesign");
      return std::shared_ptr<indesign::Application>(engine);
    };
    services.opens_native_documents = opens_native;
    services.find_visible_excel = [&] {
      order += "E";
      return excel_visible;
    };
    services.find_visible_word = [&] {
      order += "W";
      return word_visible;
    };
    services.close_utility_window = [&] { order += "U"; };
    return LaunchExtraction(services, {folder, file});
  }
  void ExpectPreferencesKept() {
    EXPECT_EQ(*engine->TaggedTextCharacterSet(), indesign::kCharacterSetShiftJis);
    EXPECT_EQ(*engine->TaggedTextTagForm(), indesign::kTagFormVerbose);
  }

  std::string data;
  std::shared_ptr<EngineApplication> engine;
  RecordingDesktop desktop;
  JobFlags flags;
  RecordingProgress progress;
  WrittenFormReadings readings;
  TaggedStoryAnalyzer analyzer;
  CountingWorkbook workbook;
  EntryList entries;
  bool fail_create = false;
  bool opens_native = true;
  bool excel_visible = false;
  bool word_visible = false;
  std::string order;
};

TEST(ExtractionLaunchTest, RunsTheJobAndRestoresThePreferences) {
  Launch l("run");
  const LaunchResult result = l.Run("/l", "doc.idml");
  ASSERT_EQ(result.outcome, LaunchOutcome::kRan) << result.error.ToString();
  EXPECT_EQ(result.job.outcome, ExtractionOutcome::kCompleted) << result.job.error.ToString();
  EXPECT_EQ(l.entries.Lines(), std::vector<std::string>{"索引\t索引★読み再確認★\t3"});
  EXPECT_TRUE(FolderExists(JoinPath(l.data, "temp")));
  EXPECT_TRUE(FileExists(JoinPath(JoinPath(l.data, "RazozaData"), "Razoza.txt")));
  EXPECT_TRUE(l.desktop.controls_enabled);
  // The utility window closes once InDesign is reached, so its tools take no input.
  EXPECT_EQ(l.order, "EWU");
  l.ExpectPreferencesKept();
}

TEST(ExtractionLaunchTest, PreferencesComeBackOnEveryWayOut) {
  struct Case {
    const char* name;
    std::string file;
    std::deque<int> answers;
    std::set<int> abort_in;
    bool open_before;
    LaunchOutcome outcome;
    ExtractionOutcome job;
  };
  const std::vector<Case> cases = {
      {"not_a_document",
       "doc.txt",
       {},
       {},
       false,
       LaunchOutcome::kNotADocument,
       ExtractionOutcome::kFailed},
      {"cancel",
       "doc.idml",
       {kAnswerCancel},
       {},
       false,
       LaunchOutcome::kRan,
       ExtractionOutcome::kCancelled},
      {"refused", "doc.idml", {}, {}, true, LaunchOutcome::kRan, ExtractionOutcome::kRefused},
      {"abort",
       "doc.idml",
       {kAnswerOk, kAnswerYes},
       {2},
       false,
       LaunchOutcome::kRan,
       ExtractionOutcome::kAborted},
      {"error", "missing.idml", {}, {}, false, LaunchOutcome::kRan, ExtractionOutcome::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Launch l(c.name);
    if (c.open_before) {
      ASSERT_TRUE(l.engine->Open(SelectedFilePath({"/l", "doc.idml"})).ok());
    }
    l.desktop.answers = c.answers;
    l.desktop.press_abort_in_window = c.abort_in;
    const LaunchResult result = l.Run("/l", c.file);
    EXPECT_EQ(result.outcome, c.outcome);
    if (c.outcome == LaunchOutcome::kRan) {
      EXPECT_EQ(result.job.outcome, c.job);
    }
    if (c.outcome == LaunchOutcome::kNotADocument) {
      EXPECT_EQ(l.desktop.Texts(), std::vector<std::string>{"InDesign文書を選択して下さい　"});
      EXPECT_EQ(l.desktop.messages[0].style, 48);
    }
    l.ExpectPreferencesKept();
    EXPECT_FALSE(l.flags.job_running);
  }
}

TEST(ExtractionLaunchTest, ANonDocumentSaysWhichPathAndWhy) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "launch_test_not_documents");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string text = JoinPath(folder, "notes.txt");
  ASSERT_TRUE(WriteFileAtomic(text, "x").ok());
  const struct {
    std::string file;
    std::string cause;  // part of the cause; empty: no cause at all
  } cases[] = {
      {"notes.txt", text + " は InDesign の文書"},
      {"gone.txt", JoinPath(folder, "gone.txt") + " が見つかりません"},
      {"", ""},  // nothing chosen
  };
  for (const auto& c : cases) {
    Launch l("not_document");
    const LaunchResult result = l.Run(folder, c.file);
    EXPECT_EQ(result.outcome, LaunchOutcome::kNotADocument) << c.file;
    ASSERT_EQ(l.desktop.messages.size(), 1u) << c.file;
    EXPECT_EQ(l.desktop.messages[0].text, "InDesign文書を選択して下さい　");
    if (c.cause.empty()) {
      EXPECT_EQ(l.desktop.messages[0].cause, "") << c.file;
    } else {
      EXPECT_NE(l.desktop.messages[0].cause.find(c.cause), std::string::npos)
          << c.file << ": " << l.desktop.messages[0].cause;
    }
  }
}

#ifndef _WIN32
TEST(ExtractionLaunchTest, APipeNamedLikeADocumentIsRefusedUnread) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "launch_test_pipe");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string pipe = JoinPath(folder, "book.idml");
  (void)RemoveFile(pipe);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  Launch l("pipe");
  const LaunchResult result = l.Run(folder, "book.idml");
  EXPECT_EQ(result.outcome, LaunchOutcome::kRecovered);
  EXPECT_NE(result.error.message().find("名前付きパイプ"), std::string::npos)
      << result.error.message();
  EXPECT_EQ(l.desktop.messages.back().cause, result.error.message());
  l.ExpectPreferencesKept();
}
#endif

TEST(ExtractionLaunchTest, NativeDocumentWithoutInDesignIsRecoveredWithADetail) {
  for (const char* file : {"book.indb", "doc.indd"}) {
    Launch l(std::string("native_") + file);
    l.opens_native = false;
    const LaunchResult result = l.Run("/l", file);
    EXPECT_EQ(result.outcome, LaunchOutcome::kRecovered);
    EXPECT_EQ(l.desktop.Texts(), std::vector<std::string>{MessageCannotContinue()});
    EXPECT_EQ(result.error.code(), ErrorCode::kUnsupported);
    EXPECT_NE(result.error.message().find("IDML"), std::string::npos);
    l.ExpectPreferencesKept();
    EXPECT_TRUE(l.desktop.indesign_visible);
  }
}

TEST(ExtractionLaunchTest, WordOrExcelVisibleRefusesBeforeAnything) {
  Launch l("word");
  l.word_visible = true;
  const LaunchResult result = l.Run("/l", "doc.idml");
  EXPECT_EQ(result.outcome, LaunchOutcome::kWordExcelOpen);
  EXPECT_EQ(l.order, "EW");
  EXPECT_EQ(l.desktop.Texts(),
            std::vector<std::string>{
                "索引抽出処理を実行する前に、\r\n起動しているWord・Excelは終了する"
                "必要があります。\r\n\r\nWord・Excelを終了してから、再度実行して下さい。"});
  l.ExpectPreferencesKept();
}

TEST(ExtractionLaunchTest, RunningJobIgnoresTheButton) {
  Launch l("busy");
  l.flags.job_running = true;
  EXPECT_EQ(l.Run("/l", "doc.idml").outcome, LaunchOutcome::kIgnored);
  EXPECT_TRUE(l.desktop.messages.empty());
}

TEST(ExtractionLaunchTest, NoInDesignIsRecovered) {
  Launch l("no_indesign");
  l.fail_create = true;
  const LaunchResult result = l.Run("/l", "doc.idml");
  EXPECT_EQ(result.outcome, LaunchOutcome::kRecovered);
  EXPECT_EQ(l.desktop.Texts(), std::vector<std::string>{MessageCannotContinue()});
  EXPECT_FALSE(l.flags.job_running);
  EXPECT_EQ(l.order, "EW");  // InDesign never reached: the utility window stays
}

TEST(ExtractionLaunchTest, LeftoversOfAnInterruptedJobGoFirst) {
  Launch l("leftovers");
  const WorkingFolders folders(l.data);
  ASSERT_TRUE(CreateFolder(folders.temp).ok());
  ASSERT_TRUE(CreateFolder(folders.results).ok());
  const std::string tag = folders.ExportPath(5);
  const std::string work = JoinPath(folders.temp, WorkDocName(5));
  const std::string unfinished = JoinPath(folders.results, TemporaryFileName(12345));
  const std::string own = JoinPath(folders.temp, "memo.txt");  // not the program's
  for (const std::string* path : {&tag, &work, &unfinished, &own}) {
    ASSERT_TRUE(WriteFileAtomic(*path, "left").ok());
  }
  const LaunchResult result = l.Run("/l", "doc.idml");
  ASSERT_EQ(result.outcome, LaunchOutcome::kRan) << result.error.ToString();
  EXPECT_FALSE(FileExists(tag));
  EXPECT_FALSE(FileExists(work));
  EXPECT_FALSE(FileExists(unfinished));
  EXPECT_TRUE(FileExists(own));
}

TEST(ExtractionLaunchTest, SecondJobOnTheDataFolderIsRefused) {
  Launch l("locked");
  auto held = DataFolderLock::Acquire(l.data, kJobResort);
  ASSERT_TRUE(held.ok());
  const LaunchResult result = l.Run("/l", "doc.idml");
  EXPECT_EQ(result.outcome, LaunchOutcome::kDataFolderBusy);
  // What holds the folder is named: here a re-sort.
  ASSERT_EQ(l.desktop.Texts().size(), 1u);
  EXPECT_EQ(l.desktop.Texts()[0].rfind("別の処理（再ソート、プロセス ", 0), 0u)
      << l.desktop.Texts()[0];
  EXPECT_FALSE(FolderExists(JoinPath(l.data, "RazozaData")));
  l.ExpectPreferencesKept();
}

TEST(ExtractionLaunchTest, AnInDesignNotRegisteredNamesTheIdmlWay) {
  const std::string path = "C:\\本\\第1章.indd";
  auto not_registered = []() -> Result<std::shared_ptr<indesign::Application>> {
    return Error{ErrorCode::kNotFound, "InDesign がこのコンピューターに登録されていません"};
  };
  Result<std::shared_ptr<indesign::Application>> created =
      CreateNativeInDesign(not_registered, path);
  EXPECT_EQ(created.code(), ErrorCode::kNotFound);
  EXPECT_EQ(created.message(),
            "InDesign がこのコンピューターに登録されていません\n" + NativeDocumentDetail(path));

  auto failed = []() -> Result<std::shared_ptr<indesign::Application>> {
    return Error{ErrorCode::kHostError, "InDesign を起動できません"};
  };
  EXPECT_EQ(CreateNativeInDesign(failed, path).message(), "InDesign を起動できません");
}

}  // namespace
}  // namespace mirune
