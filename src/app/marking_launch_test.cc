#include "app/marking_launch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "base/file.h"
#include "base/utf.h"
#include "desktop/testing/recording_desktop.h"
#include "marking/mark_formatting.h"
#include "marking/marking_messages.h"
#include "marking/testing/sheet_workbook.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

layout::Document MakeDocument(const std::string& path, const std::vector<std::string>& texts,
                              bool with_mark_swatch = false) {
  layout::DocumentBuilder b(path);
  if (with_mark_swatch) b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 0, 100, 0}});
  for (size_t i = 0; i < texts.size(); ++i) {
    const int32_t story = b.AddStory();
    b.Append(story, texts[i]);
    b.AddFrame(b.AddPage(std::to_string(i + 1)), story);
  }
  return std::move(b.Build().value());
}

// Characters of story `s` whose effective fill is `swatch`, bracketed.
std::string Bracketed(const layout::Document& doc, int32_t s, const std::string& swatch) {
  const int32_t mark = layout::FindSwatch(doc, swatch);
  const layout::Story& story = doc.stories[s];
  std::string out;
  bool in = false;
  for (int32_t i = 0; i < static_cast<int32_t>(story.text.size()); ++i) {
    const bool marked = mark != layout::kNone &&
                        layout::EffectiveFillColor(doc, layout::FormatAt(story, i)) == mark;
    if (marked != in) out += marked ? "[" : "]";
    in = marked;
    AppendUtf8(out, story.text[i]);
  }
  return in ? out + "]" : out;
}

// A path under the test's own folder, so that the launch's checks find real files.
std::string P(const std::string& path) {
  return std::string(MIRUNE_BINARY_DIR) + "/marking_launch" + path;
}

// Makes `path` as an empty file (or a folder), with its folders.
void Touch(const std::string& path, bool folder = false) {
  std::string built;
  size_t at = 1;
  while ((at = path.find('/', at)) != std::string::npos) {
    (void)CreateFolder(path.substr(0, at));
    ++at;
  }
  if (folder) {
    (void)CreateFolder(path);
  } else if (!FileExists(path)) {
    ASSERT_TRUE(WriteFileAtomic(path, "").ok());
  }
}

class MarkingLaunchTest : public ::testing::Test {
 protected:
  MarkingLaunchTest()
      : services{
            desktop,
            progress,
            flags,
            [this](const std::string& path) -> Result<std::unique_ptr<ExcelWorkbook>> {
              if (path != P("/k/Keyword.xls")) {
                return Result<std::unique_ptr<ExcelWorkbook>>(ErrorCode::kFormatError,
                                                              "読めないブック " + path);
              }
              auto copy = std::make_unique<testing_util::SheetWorkbook>(keywords);
              return std::unique_ptr<ExcelWorkbook>(std::move(copy));
            },
            indesign_engine::Loader{
                "test files",
                [this](const std::string& path) {
                  return files.count(path) != 0 || books.count(path) != 0 || saved.count(path) != 0;
                },
                [this](const std::string& path) -> Result<indesign_engine::LoadedItem> {
                  if (files.count(path) == 0 && books.count(path) == 0 && saved.count(path) == 0) {
                    return Result<indesign_engine::LoadedItem>(ErrorCode::kNotFound,
                                                               "開けません: " + path);
                  }
                  ++loads;
                  indesign_engine::LoadedItem item;
                  if (books.count(path) != 0) {
                    item.book = books.at(path);
                  } else if (saved.count(path) != 0) {
                    item.document = saved.at(path);
                  } else {
                    item.document = files.at(path);
                  }
                  return item;
                }},
            [this](const layout::Document& doc, const std::string& path) {
              if (save_fails) {
                return Status(ErrorCode::kIoError,
                              path + " を書き込めません: ディスクの空きがありません");
              }
              saved[path] = doc;
              if (save_drops_marks) {
                // A file format that cannot keep a format change.
                for (auto& story : saved[path].stories) {
                  for (auto& run : story.runs) run.format.fill_color = layout::kNone;
                }
              }
              return Status::Ok();
            }} {
    options.keywords_path = P("/k/Keyword.xls");
    options.swatch = "RazozaMark1";
    options.input = P("/in/doc.idml");
    options.output = out_path;
    Touch(P("/k/Keyword.xls"));
    Touch(P("/k/damaged.xls"));
    Touch(P("/in/doc.idml"));
  }

  void SetKeywords(const std::vector<std::string>& column_b) {
    for (size_t i = 0; i < column_b.size(); ++i) {
      ASSERT_TRUE(
          keywords.SetCell(1, static_cast<int>(i + 1), 2, CellValue::Text(column_b[i])).ok());
    }
  }
  // Runs the launch; `out` and `err` get what the command line would print.
  ExitCode Run() {
    for (const auto& [path, book] : books) Touch(path, /*folder=*/true);
    flags = {};
    result = LaunchFileMarking(options, services);
    err.clear();
    out.clear();
    if (!result.cause.ok()) err += result.cause.message() + "\n";
    for (const std::string& w : result.warnings) err += w + "\n";
    if (result.exit == ExitCode::kOk) out = FormatKeywordReport(result.tallies);
    for (const std::string& path : result.saved_paths) out += "保存しました: " + path + "\n";
    return result.exit;
  }

  testing_util::SheetWorkbook keywords;
  std::map<std::string, layout::Document> files;
  std::map<std::string, layout::Book> books;
  std::map<std::string, layout::Document> saved;
  int loads = 0;
  bool save_drops_marks = false;
  bool save_fails = false;
  RecordingDesktop desktop;
  RecordingProgress progress;
  JobFlags flags;
  std::string out, err;
  const std::string out_path = JoinPath(MIRUNE_BINARY_DIR, "marking_test_doc.idml");
  FileMarkingServices services;
  FileMarkingRequest options;
  FileMarkingResult result;
};

TEST_F(MarkingLaunchTest, MarksWithACreatedSwatchAndReportsPerKeyword) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引の用語と索引。", "柱"});
  SetKeywords({"索引", "", "ノンブル", "用語"});
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  ASSERT_EQ(saved.count(out_path), 1u);
  const layout::Document& doc = saved.at(out_path);
  EXPECT_EQ(Bracketed(doc, 0, "RazozaMark1"), "[索引]の[用語]と[索引]。");
  const int32_t swatch = layout::FindSwatch(doc, "RazozaMark1");
  ASSERT_NE(swatch, layout::kNone);
  EXPECT_EQ(doc.swatches[swatch].value, MarkSwatchColor());
  // The input as read stays untouched.
  EXPECT_EQ(layout::FindSwatch(files.at(P("/in/doc.idml")), "RazozaMark1"), layout::kNone);
  EXPECT_EQ(out,
            "キーワードごとのマーキング箇所数:\n"
            "  B1\t索引\t2\n"
            "  B3\tノンブル\t0\n"
            "  B4\t用語\t1\n"
            "見つからなかったキーワード: 1語\n"
            "  B3\tノンブル\n"
            "保存しました: " +
                out_path + "\n");
  ASSERT_EQ(desktop.messages.size(), 2u);
  // The launch sets the mark itself: its confirmation leaves out InDesign's Find/Change window.
  EXPECT_EQ(
      desktop.messages[0].text.rfind("以下のドキュメントの一括マーキング処理を開始します。", 0),
      0u);
  EXPECT_EQ(desktop.messages[0].text.find("置換形式"), std::string::npos)
      << desktop.messages[0].text;
  EXPECT_EQ(desktop.messages[1].text, "一括マーキング処理が終了しました。");
}

// The Windows shell closes Form11 once the start is confirmed, and only then.
TEST_F(MarkingLaunchTest, ConfirmedStartIsReportedBeforeTheMarking) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引の用語と索引。"});
  SetKeywords({"索引"});
  int confirmed = 0;
  size_t messages_when_confirmed = 0;
  services.on_confirmed = [&] {
    ++confirmed;
    messages_when_confirmed = desktop.messages.size();
  };
  desktop.answers = {kAnswerCancel};
  EXPECT_EQ(Run(), ExitCode::kRefused);
  EXPECT_EQ(confirmed, 0);
  const size_t before = desktop.messages.size();
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  EXPECT_EQ(confirmed, 1);
  EXPECT_EQ(messages_when_confirmed, before + 1);  // after kConfirmStart, before kFinished
  EXPECT_EQ(desktop.messages.size(), before + 2);
}

TEST_F(MarkingLaunchTest, MarksLostBySavingAreAnError) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引の用語と索引。"});
  SetKeywords({"索引"});
  save_drops_marks = true;
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find("4 文字のうち 0 文字"), std::string::npos) << err;
  EXPECT_EQ(out.find("保存しました"), std::string::npos) << out;
}

TEST_F(MarkingLaunchTest, AFailedSaveReportsNoCounts) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引の用語と索引。"});
  SetKeywords({"索引"});
  save_fails = true;
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find("ディスクの空きがありません"), std::string::npos) << err;
  EXPECT_TRUE(result.tallies.empty());
  EXPECT_TRUE(result.saved_paths.empty());
  EXPECT_EQ(out, "");
  // The completion comes only once every file is saved: never before a failed save.
  for (const auto& message : desktop.messages) {
    EXPECT_NE(message.text, "一括マーキング処理が終了しました。");
  }
}

TEST_F(MarkingLaunchTest, ExistingSwatchKeepsItsColour) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"}, /*with_mark_swatch=*/true);
  SetKeywords({"索引"});
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  const layout::Document& doc = saved.at(out_path);
  EXPECT_EQ(doc.swatches.size(), 1u);
  EXPECT_EQ(doc.swatches[0].value.components, (std::vector<double>{0, 0, 100, 0}));
}

TEST_F(MarkingLaunchTest, CreatedStyleIsColourOnly) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引の用語"});
  SetKeywords({"用語"});
  options.swatch.clear();
  options.style = "RazozaMark2";
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  const layout::Document& doc = saved.at(out_path);
  const int32_t style = layout::FindCharacterStyle(doc, "RazozaMark2");
  ASSERT_NE(style, layout::kNone);
  const int32_t fill = doc.character_styles[style].fill_color;
  ASSERT_NE(fill, layout::kNone);
  EXPECT_EQ(doc.swatches[fill].value, MarkSwatchColor());
  EXPECT_EQ(Bracketed(doc, 0, "RazozaMark2"), "索引の[用語]");
  EXPECT_EQ(layout::FormatAt(doc.stories[0], 3).character_style, style);
  EXPECT_EQ(layout::FormatAt(doc.stories[0], 3).fill_color, layout::kNone);  // no local colour
}

TEST(EnsureMarkFormatting, AddsOnlyWhatIsMissing) {
  struct Case {
    const char* name;
    bool has_swatch, has_style;
    indesign::ChangeFormatting formatting;
    size_t swatches, styles;
  };
  const Case cases[] = {
      {"swatch added", false, false, {"", "RazozaMark2"}, 1, 0},
      {"swatch kept", true, false, {"", "RazozaMark2"}, 1, 0},
      {"style and its swatch added", false, false, {"RazozaMark2", ""}, 1, 1},
      {"style added on the existing swatch", true, false, {"RazozaMark2", ""}, 1, 1},
      {"style kept", true, true, {"RazozaMark2", ""}, 1, 1},
  };
  for (const Case& c : cases) {
    layout::DocumentBuilder b("/d.idml");
    const layout::ColorValue yellow{layout::ColorSpace::kCmyk, {0, 0, 100, 0}};
    int32_t swatch = layout::kNone;
    if (c.has_swatch) swatch = b.AddSwatch("RazozaMark2", yellow);
    if (c.has_style) b.AddCharacterStyle("RazozaMark2", swatch);
    layout::Document doc = std::move(b.Build().value());
    EnsureMarkFormatting(doc, c.formatting);
    EXPECT_EQ(doc.swatches.size(), c.swatches) << c.name;
    EXPECT_EQ(doc.character_styles.size(), c.styles) << c.name;
    EXPECT_EQ(doc.swatches[0].value, c.has_swatch ? yellow : MarkSwatchColor()) << c.name;
    if (c.styles == 1) {
      EXPECT_EQ(doc.character_styles[0].fill_color, 0) << c.name;
    }
    EXPECT_EQ(doc.modified,
              c.swatches + c.styles > (c.has_swatch ? 1u : 0u) + (c.has_style ? 1u : 0u))
        << c.name;
  }
}

TEST_F(MarkingLaunchTest, FindOptionsComeFromTheFlags) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"Index index indexes"});
  SetKeywords({"Index"});
  options.case_sensitive = true;
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  EXPECT_EQ(Bracketed(saved.at(out_path), 0, "RazozaMark1"), "[Index] index indexes");

  saved.clear();
  options.case_sensitive = false;
  options.whole_word = true;
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  EXPECT_EQ(Bracketed(saved.at(out_path), 0, "RazozaMark1"), "[Index] [index] indexes");
}

TEST_F(MarkingLaunchTest, UnreadableKeywordFileGivesM1WithDetail) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  options.keywords_path = P("/k/damaged.xls");
  EXPECT_EQ(Run(), ExitCode::kError);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, MarkingMessageFor(MarkingMessage::kOpenKeywordWorkbook).text);
  EXPECT_NE(desktop.messages[0].cause.find("読めないブック"), std::string::npos);
  EXPECT_NE(err.find("読めないブック " + P("/k/damaged.xls")), std::string::npos) << err;
  EXPECT_TRUE(saved.empty());
}

TEST_F(MarkingLaunchTest, MissingInputsAreNamedBeforeAnythingRuns) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  for (const bool keywords_missing : {true, false}) {
    options.keywords_path = P(keywords_missing ? "/k/missing.xls" : "/k/Keyword.xls");
    options.input = P(keywords_missing ? "/in/doc.idml" : "/in/missing.idml");
    EXPECT_EQ(Run(), ExitCode::kError);
    EXPECT_NE(err.find(keywords_missing ? options.keywords_path : options.input), std::string::npos)
        << err;
    EXPECT_NE(err.find("が見つかりません"), std::string::npos) << err;
  }
  // The keyword workbook's own message speaks of Excel, not of a missing file.
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(loads, 0);
}

TEST_F(MarkingLaunchTest, OutputNamingTheKeywordWorkbookIsRefused) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  SetKeywords({"索引"});
  options.output = P("/k/../k/Keyword.xls");
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find("入力は書き換えません"), std::string::npos) << err;
  EXPECT_TRUE(saved.empty());
}

TEST_F(MarkingLaunchTest, RefusalAndCancelSaveNothing) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  ASSERT_TRUE(keywords.RenameSheet(1, "sheet1").ok());
  EXPECT_EQ(Run(), ExitCode::kRefused);
  EXPECT_EQ(desktop.messages.back().text, MarkingMessageFor(MarkingMessage::kNoSheet1).text);
  EXPECT_TRUE(saved.empty());

  ASSERT_TRUE(keywords.RenameSheet(1, "Sheet1").ok());
  SetKeywords({"索引"});
  desktop.answers = {kAnswerCancel};
  EXPECT_EQ(Run(), ExitCode::kRefused);
  EXPECT_TRUE(saved.empty());
}

TEST_F(MarkingLaunchTest, NeverWritesTheInput) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  SetKeywords({"索引"});
  options.output = P("/in/../in/doc.idml");
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find("入力は書き換えません"), std::string::npos) << err;
  EXPECT_EQ(loads, 0);
  EXPECT_TRUE(saved.empty());
}

TEST_F(MarkingLaunchTest, OutputFolderMustExist) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  SetKeywords({"索引"});
  options.output = JoinPath(JoinPath(MIRUNE_BINARY_DIR, "no_such_folder"), "doc.idml");
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find("出力先のフォルダーがありません"), std::string::npos) << err;
  EXPECT_EQ(loads, 0);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MarkingLaunchTest, SwatchAndStyleAreExclusive) {
  options.style = "RazozaMark2";
  EXPECT_EQ(Run(), ExitCode::kError);
  options.swatch.clear();
  options.style.clear();
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_EQ(loads, 0);
}

TEST_F(MarkingLaunchTest, OtherNamesAreWarnedAbout) {
  files[P("/in/doc.idml")] = MakeDocument(P("/in/doc.idml"), {"索引"});
  SetKeywords({"索引"});
  options.swatch = "Red";
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  EXPECT_NE(err.find("RazozaMark1〜RazozaMark9"), std::string::npos) << err;
}

TEST_F(MarkingLaunchTest, BookMembersAreSavedIntoTheOutputFolder) {
  const std::string out_folder = std::string(MIRUNE_BINARY_DIR) + "/marking_test_book_out";
  files[P("/in/book/ch1.idml")] = MakeDocument(P("/in/book/ch1.idml"), {"第一章の索引"});
  files[P("/in/book/ch2.idml")] = MakeDocument(P("/in/book/ch2.idml"), {"索引と索引"});
  books[P("/in/book")] =
      layout::MakeBook(P("/in/book"), {P("/in/book/ch1.idml"), P("/in/book/ch2.idml")});
  SetKeywords({"索引"});
  options.input = P("/in/book");
  options.output = out_folder;
  ASSERT_EQ(Run(), ExitCode::kOk) << err;
  EXPECT_TRUE(FolderExists(out_folder));
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(Bracketed(saved.at(JoinPath(out_folder, "ch1.idml")), 0, "RazozaMark1"),
            "第一章の[索引]");
  EXPECT_EQ(Bracketed(saved.at(JoinPath(out_folder, "ch2.idml")), 0, "RazozaMark1"),
            "[索引]と[索引]");
  EXPECT_NE(out.find("  B1\t索引\t3\n"), std::string::npos) << out;
}

TEST_F(MarkingLaunchTest, UnopenableInputIsAnError) {
  SetKeywords({"索引"});
  EXPECT_EQ(Run(), ExitCode::kError);
  EXPECT_NE(err.find(P("/in/doc.idml")), std::string::npos) << err;
  EXPECT_TRUE(desktop.messages.empty());
}

// In a running InDesign: the document opened there is marked, saved to OUTPUT with the
// document's save-as and closed; INPUT is not written.
TEST_F(MarkingLaunchTest, InInDesignTheDocumentIsSavedAsOutputAndClosed) {
  // InDesign is given full paths, in the platform's spelling.
  const std::string input_path = AbsolutePath(P("/in/doc.idml"));
  const std::string output_path = AbsolutePath(out_path);
  options.input = input_path;
  files[input_path] = MakeDocument(input_path, {"索引の用語と索引。"}, /*with_mark_swatch=*/true);
  const layout::Document input = files.at(input_path);
  SetKeywords({"索引"});
  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  engine->AddLoader(services.loader);
  std::vector<std::string> saved_as;
  HostMarkingServices host{desktop,
                           progress,
                           flags,
                           services.open_keywords,
                           [engine]() -> Result<std::shared_ptr<indesign::Application>> {
                             return std::shared_ptr<indesign::Application>(engine);
                           },
                           [&](indesign::Document& document, const std::string& path) -> Status {
                             MIRUNE_ASSIGN_OR_RETURN(const std::string name, document.FullName());
                             const layout::Document* model = engine->OpenDocumentModel(name);
                             if (model == nullptr) return Status(ErrorCode::kNotFound, name);
                             saved[path] = *model;
                             saved_as.push_back(path);
                             return Status::Ok();
                           }};
  result = LaunchHostMarking(options, host);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(saved_as, std::vector<std::string>{output_path});
  EXPECT_EQ(result.saved_paths, std::vector<std::string>{output_path});
  EXPECT_EQ(Bracketed(saved.at(output_path), 0, "RazozaMark1"), "[索引]の用語と[索引]。");
  EXPECT_EQ(engine->DocumentCount().value(), 0);
  EXPECT_EQ(Bracketed(files.at(input_path), 0, "RazozaMark1"), Bracketed(input, 0, "RazozaMark1"));
  ASSERT_EQ(result.tallies.size(), 1u);
}

}  // namespace
}  // namespace mirune

namespace mirune {
namespace {

TEST(MarkedOutputPath, BesideTheInputUnderANewName) {
  const auto none = [](const std::string&) { return false; };
  struct Case {
    std::string input;
    bool folder;
    std::string expected;
  } cases[] = {
      {"C:\\本\\第1章.idml", false, "C:\\本\\第1章-marked.idml"},
      {"/data/chapter.v2.idml", false, "/data/chapter.v2-marked.idml"},
      {"/data/.idml", false, "/data/.idml-marked"},
      {"/data/book", true, "/data/book-marked"},
      {"C:\\books\\book.2024\\", true, "C:\\books\\book.2024-marked"},
      {"/data/noext", false, "/data/noext-marked"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MarkedOutputPath(c.input, c.folder, none), c.expected) << c.input;
  }
}

TEST(MarkedOutputPath, NumbersANameInUse) {
  const std::vector<std::string> used = {"/d/a-marked.idml", "/d/a-marked-2.idml"};
  const auto taken = [&](const std::string& path) {
    return std::find(used.begin(), used.end(), path) != used.end();
  };
  EXPECT_EQ(MarkedOutputPath("/d/a.idml", false, taken), "/d/a-marked-3.idml");
  EXPECT_EQ(MarkedOutputPath("/d/b.idml", false, taken), "/d/b-marked.idml");
}

}  // namespace
}  // namespace mirune
