// Round trip of the command line's marking on real IDML packages: a keyword workbook written
// as .xls and read back, the package marked and saved, the saved package opened again, its
// stories page-marked and exported as tagged text, and the exports analysed as the extraction
// analyses them. Every marked place must come back as an entry with its page.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/story_scan.h"
#include "app/marking_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "automation/idml/idml_document.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/utf.h"
#include "desktop/testing/recording_desktop.h"
#include "extraction/page_marking.h"
#include "marking/mark_files.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

class AsWritten : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view text) override { return std::string(text); }
};

std::string WorkFolder(const std::string& name) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "marking_round_trip_" + name);
  EXPECT_TRUE(CreateFolder(folder).ok());
  return folder;
}

std::string WriteKeywordWorkbook(const std::string& folder, const std::vector<std::string>& b) {
  MemoryWorkbook workbook;
  for (size_t i = 0; i < b.size(); ++i) {
    EXPECT_TRUE(workbook.SetCell(1, static_cast<int>(i + 1), 2, CellValue::Text(b[i])).ok());
  }
  // Column A holds something else, as real keyword lists do.
  EXPECT_TRUE(workbook.SetCell(1, 1, 1, CellValue::Text("No.")).ok());
  const std::string path = JoinPath(folder, "Keyword.xls");
  EXPECT_TRUE(workbook.SaveAs(path).ok());
  return path;
}

// Runs the mark command on document files with a recording desktop; what it prints goes to
// `out` and `err`.
ExitCode RunMarkOnFiles(const FileMarkingRequest& options, RecordingProgress& progress,
                        std::string& out, std::string& err) {
  RecordingDesktop desktop;
  JobFlags flags;
  MarkDocumentFiles files = MakeMarkDocumentFiles();
  FileMarkingServices services{
      desktop,      progress,
      flags,        [](const std::string& path) { return MemoryExcel().OpenWorkbook(path); },
      files.loader, files.save};
  const FileMarkingResult result = LaunchFileMarking(options, services);
  if (!result.cause.ok()) err += result.cause.message() + "\n";
  if (result.exit == ExitCode::kOk) out += FormatKeywordReport(result.tallies);
  return result.exit;
}

// (term, page) of every entry line (term TAB reading TAB page); a line without three fields
// is a failure and is left out.
std::multiset<std::pair<std::string, std::string>> TermsAndPages(
    const std::vector<std::string>& lines) {
  std::multiset<std::pair<std::string, std::string>> out;
  for (const std::string& line : lines) {
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    EXPECT_NE(tab2, std::string::npos) << line;
    if (tab2 != std::string::npos) out.insert({line.substr(0, tab1), line.substr(tab2 + 1)});
  }
  return out;
}

// (term, page name) of every marked run in `document`, the page being that of the frame
// holding the run's first character; runs in overset text have an empty page.
// With `by_style`, a run is a run of characters with the character style `name` applied;
// otherwise of characters whose effective fill colour is the swatch `name`.
std::multiset<std::pair<std::string, std::string>> MarkedRuns(const layout::Document& document,
                                                              const std::string& name,
                                                              bool by_style = false) {
  std::multiset<std::pair<std::string, std::string>> out;
  const int32_t mark =
      by_style ? layout::FindCharacterStyle(document, name) : layout::FindSwatch(document, name);
  if (mark == layout::kNone) return out;
  auto is_marked = [&](const layout::TextFormat& format) {
    return by_style ? format.character_style == mark
                    : layout::EffectiveFillColor(document, format) == mark;
  };
  for (const layout::Story& story : document.stories) {
    const int32_t size = static_cast<int32_t>(story.text.size());
    for (int32_t i = 0; i < size;) {
      if (!is_marked(layout::FormatAt(story, i))) {
        ++i;
        continue;
      }
      int32_t end = i;
      while (end < size && is_marked(layout::FormatAt(story, end))) {
        ++end;
      }
      std::string page;
      for (int32_t f : story.frames) {
        const layout::TextFrame& frame = document.frames[f];
        if (i >= frame.text_start && i < frame.text_end && frame.page != layout::kNone) {
          page = document.pages[frame.page].name;
        }
      }
      out.insert({Utf32ToUtf8(story.text.substr(i, end - i)), page});
      i = end;
    }
  }
  return out;
}

// Opens `path` in a fresh engine, page-marks it, exports every story of two or more
// characters as tagged text and analyses it: the entry lines "term TAB reading TAB page".
std::vector<std::string> Extract(const std::string& path, const std::string& folder) {
  indesign_engine::EngineApplication engine;
  idml::IdmlFiles files;
  engine.AddLoader(files.MakeLoader());
  Result<indesign::OpenedItem> opened = engine.Open(path);
  EXPECT_TRUE(opened.ok()) << opened.message();
  if (!opened.ok() || !opened->document) return {};
  indesign::Document& document = *opened->document;
  EXPECT_TRUE(MarkDocumentPages(document, indesign::TextProperty::kContents, [](int64_t, int64_t) {
                return Status::Ok();
              }).ok());
  EntryList entries;
  ScriptWordDivider divider;
  AsWritten lookup;
  AnalysisContext ctx;
  ctx.entries = &entries;
  ctx.divider = &divider;
  ctx.lookup = &lookup;
  const int32_t stories = document.StoryCount().value();
  for (int32_t s = 1; s <= stories; ++s) {
    auto story = document.StoryItem(s).value();
    if (story->CharacterCount().value() < 2) continue;
    const std::string export_path = JoinPath(folder, "InD_Tag" + std::to_string(s) + ".txt");
    EXPECT_TRUE(story->Export(indesign::kTaggedTextFormat, export_path).ok());
    const Status scanned = ScanTaggedStory(export_path, ctx);
    EXPECT_TRUE(scanned.ok()) << scanned.message();
  }
  return entries.Lines();
}

struct RoundTripCase {
  const char* sample;
  std::vector<std::string> keywords;
  std::set<std::string> expected_missing;
};

class MarkRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(MarkRoundTripTest, EveryMarkedPlaceIsExtractedWithItsPage) {
  const RoundTripCase& c = GetParam();
  const std::string folder = WorkFolder(c.sample);
  const std::string input = std::string(MIRUNE_SHARED_DIR) + "/samples/idml/" + c.sample;
  const std::string output = JoinPath(folder, "marked.idml");
  ASSERT_TRUE(RemoveFile(output).ok());
  Result<std::string> input_before = ReadFileBytes(input);
  ASSERT_TRUE(input_before.ok()) << input_before.message();

  FileMarkingRequest options;
  options.keywords_path = WriteKeywordWorkbook(folder, c.keywords);
  options.swatch = "RazozaMark1";
  options.input = input;
  options.output = output;
  RecordingProgress progress;
  std::string out, err;
  ASSERT_EQ(RunMarkOnFiles(options, progress, out, err), ExitCode::kOk) << err;

  // The input is untouched.
  EXPECT_EQ(ReadFileBytes(input).value(), *input_before);

  // The saved package holds the marks.
  idml::IdmlFiles reader;
  Result<layout::Document> saved = reader.Load(output);
  ASSERT_TRUE(saved.ok()) << saved.message();
  const auto marked = MarkedRuns(*saved, "RazozaMark1");
  ASSERT_FALSE(marked.empty());
  for (const auto& [term, page] : marked) {
    bool is_keyword = false;
    for (const auto& k : c.keywords) {
      if (!k.empty() && Utf8ToUtf32(term).size() == Utf8ToUtf32(k).size()) is_keyword = true;
    }
    EXPECT_TRUE(is_keyword) << "unexpected run " << term;
  }
  // The report counts every place (sum of the counts = marked runs) and names the missing.
  int64_t reported = 0;
  for (const std::string& k : c.keywords) {
    if (k.empty()) continue;
    const std::string key = "\t" + k + "\t";
    const size_t at = out.find(key);
    ASSERT_NE(at, std::string::npos) << out;
    reported += std::stoll(out.substr(at + key.size()));
  }
  EXPECT_EQ(reported, static_cast<int64_t>(marked.size())) << out;
  for (const std::string& missing : c.expected_missing) {
    EXPECT_NE(out.find("見つからなかったキーワード"), std::string::npos);
    EXPECT_NE(out.rfind("\t" + missing + "\n"), std::string::npos) << out;
  }

  // Extraction finds every marked place on its page.
  const auto extracted = TermsAndPages(Extract(output, folder));
  for (const auto& run : marked) {
    EXPECT_GE(extracted.count(run), marked.count(run))
        << "marked \"" << run.first << "\" on page " << run.second << " not extracted";
  }
  EXPECT_EQ(extracted.size(), marked.size()) << ::testing::PrintToString(extracted) << "\n"
                                             << ::testing::PrintToString(marked);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, MarkRoundTripTest,
    ::testing::Values(
        RoundTripCase{"simpleidml_4-pages_CS5.5.idml",
                      {"dolor", "velit", "", "nulla", "magnam", "索引語"},
                      {"索引語"}},
        RoundTripCase{"simpleidml_interview_ID15.1.idml", {"the", "and", "design"}, {}},
        RoundTripCase{"transpect_testdokument_CS4.idml", {"und", "der", "Test"}, {}}));

// The bundled sample book: a folder of chapters, marked into an output folder chapter by
// chapter; each saved chapter extracts with the pages of its marks.
TEST(MarkRoundTripTest, SampleBookChaptersAreMarkedAndExtracted) {
  const std::string input = std::string(MIRUNE_SOURCE_DIR) + "/samples/book";
  Result<std::vector<std::string>> chapters = idml::IdmlFilesInFolder(input);
  if (!chapters.ok()) GTEST_SKIP() << "no sample book: " << chapters.message();
  const std::string folder = WorkFolder("book");
  const std::string output = JoinPath(folder, "marked");
  for (const std::string& chapter : *chapters) {
    ASSERT_TRUE(RemoveFile(JoinPath(output, layout::LastPathComponent(chapter))).ok());
  }
  FileMarkingRequest options;
  options.keywords_path =
      WriteKeywordWorkbook(folder, {"和紙", "文房四宝", "", "千利休", "茶の湯", "羊皮紙"});
  options.style = "RazozaMark3";
  options.input = input;
  options.output = output;
  RecordingProgress progress;
  std::string out, err;
  ASSERT_EQ(RunMarkOnFiles(options, progress, out, err), ExitCode::kOk) << err;
  EXPECT_NE(out.find("見つからなかったキーワード: 1語\n  B6\t羊皮紙\n"), std::string::npos) << out;
  EXPECT_EQ(progress.LastField(ProgressField::kDocumentCounter), "3 / 3");

  size_t total_marked = 0;
  for (const std::string& chapter : *chapters) {
    const std::string saved_path = JoinPath(output, layout::LastPathComponent(chapter));
    idml::IdmlFiles reader;
    Result<layout::Document> saved = reader.Load(saved_path);
    ASSERT_TRUE(saved.ok()) << saved.message();
    const auto marked = MarkedRuns(*saved, "RazozaMark3", /*by_style=*/true);
    total_marked += marked.size();
    const auto extracted = TermsAndPages(Extract(saved_path, folder));
    // The chapters hold marks of their own as well: every new mark must be among the entries.
    for (const auto& run : marked) {
      EXPECT_GE(extracted.count(run), marked.count(run))
          << "marked \"" << run.first << "\" on page " << run.second << " of " << saved_path
          << " not extracted";
    }
  }
  EXPECT_GT(total_marked, 3u);
}

// "Article" stands inside an XML element of its story. However the package keeps such text,
// the mark is either in the saved file or the command fails and says how many marked
// characters the file lost: never a success with marks missing.
TEST(MarkRoundTripTest, MarkInsideAnXmlElementIsKeptOrReported) {
  const std::string folder = WorkFolder("xml_element");
  const std::string output = JoinPath(folder, "marked.idml");
  ASSERT_TRUE(RemoveFile(output).ok());
  FileMarkingRequest options;
  options.keywords_path = WriteKeywordWorkbook(folder, {"Article"});
  options.swatch = "RazozaMark1";
  options.input = std::string(MIRUNE_SHARED_DIR) + "/samples/idml/simpleidml_4-pages_CS5.5.idml";
  options.output = output;
  RecordingProgress progress;
  std::string out, err;
  const ExitCode exit_code = RunMarkOnFiles(options, progress, out, err);
  if (exit_code == ExitCode::kOk) {
    idml::IdmlFiles reader;
    Result<layout::Document> saved = reader.Load(output);
    ASSERT_TRUE(saved.ok()) << saved.message();
    EXPECT_EQ(MarkedRuns(*saved, "RazozaMark1").count({"Article", "1"}), 1u);
  } else {
    EXPECT_EQ(exit_code, ExitCode::kError);
    EXPECT_NE(err.find("marked characters"), std::string::npos) << err;
    EXPECT_EQ(out.find("保存しました"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace mirune
