// The whole extraction on the bundled sample book: the book in, Razoza.doc, Razoza.txt and
// Razoza.xls out. Razoza.txt and Razoza.doc are compared byte for byte with their golden
// files; the workbook's cells are read back by two independent readers (python3-xlrd and
// libfreexl) and compared with their golden listing (in the Windows build, by xlrd from the
// Linux side, after the test). Set MIRUNE_UPDATE_GOLDEN=1 to rewrite
// the golden files after a deliberate change.

#include <gtest/gtest.h>

#ifdef MIRUNE_HAVE_FREEXL
#include <freexl.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "analysis/phonetic.h"
#include "app/data_folder.h"
#include "app/extraction_launch.h"
#include "automation/excel_engine/testing/xls_from_windows.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/cp932.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"
#include "desktop/testing/recording_desktop.h"
#include "extraction/extraction_documents.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

namespace fs = std::filesystem;

const std::string kGoldenFolder = std::string(MIRUNE_SOURCE_DIR) + "/tests/data/extraction";

bool UpdateGolden() { return std::getenv("MIRUNE_UPDATE_GOLDEN") != nullptr; }

void CompareWithGolden(const std::string& actual, const std::string& golden_name) {
  const std::string path = kGoldenFolder + "/" + golden_name;
  if (UpdateGolden()) {
    ASSERT_TRUE(WriteFileAtomic(path, actual).ok());
    return;
  }
  auto expected = ReadFileBytes(path);
  ASSERT_TRUE(expected.ok()) << expected.message();
  EXPECT_EQ(actual, *expected) << golden_name;
}

#ifndef _WIN32
// The workbook as python3-xlrd lists it (tests/tools/xls_listing.py): every sheet as
// "== name" and one line per row, cells joined by TAB.
std::string ListWithXlrd(const std::string& xls) {
  const std::string out = xls + ".xlrd.txt";
  const std::string command = "/usr/bin/python3 '" + std::string(MIRUNE_SOURCE_DIR) +
                              "/tests/tools/xls_listing.py' '" + xls + "' '" + out + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  auto text = ReadFileBytes(out);
  return text.ok() ? *text : std::string();
}

std::string ListWithFreexl(const std::string& xls) {
  const void* handle = nullptr;
  if (freexl_open(xls.c_str(), &handle) != FREEXL_OK || handle == nullptr) return "open failed";
  std::string out;
  unsigned int sheets = 0;
  freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
  for (unsigned short s = 0; s < sheets; ++s) {
    const char* name = nullptr;
    freexl_get_worksheet_name(handle, s, &name);
    freexl_select_active_worksheet(handle, s);
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(handle, &rows, &columns);
    out += std::string("== ") + (name ? name : "") + "\n";
    for (unsigned int r = 0; r < rows; ++r) {
      std::vector<std::string> cells;
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        std::string text;
        if (freexl_get_cell_value(handle, r, c, &value) == FREEXL_OK) {
          switch (value.type) {
            case FREEXL_CELL_INT:
              text = std::to_string(value.value.int_value);
              break;
            case FREEXL_CELL_DOUBLE: {
              const double d = value.value.double_value;
              text = d == static_cast<long long>(d) ? std::to_string(static_cast<long long>(d))
                                                    : std::to_string(d);
              break;
            }
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
              text = value.value.text_value;
              break;
            default:
              break;
          }
        }
        cells.push_back(text);
      }
      while (!cells.empty() && cells.back().empty()) cells.pop_back();
      std::string line;
      for (size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
      out += line + "\n";
    }
  }
  freexl_close(handle);
  return out;
}
#endif  // _WIN32

std::map<std::string, std::string> ReadAll(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) out[entry.path().string()] = *ReadFileBytes(entry.path().string());
  }
  return out;
}

TEST(ExtractionEndToEndTest, SampleBookToTheThreeFiles) {
  const std::string samples = std::string(MIRUNE_SOURCE_DIR) + "/samples/book";
  if (!FileExists(samples + "/chapter1.idml")) GTEST_SKIP() << "no sample book at " << samples;
  // Work on a copy, as a user's folder.
  const std::string root = std::string(MIRUNE_BINARY_DIR) + "/extraction_end_to_end";
  fs::remove_all(root);
  fs::create_directories(root + "/data");
  fs::copy(samples, root + "/book", fs::copy_options::recursive);
  const auto before = ReadAll(root + "/book");

  auto readings = OpenJobReadings({});
  ASSERT_TRUE(readings.ok()) << readings.message();
  EXPECT_TRUE(readings->notices.empty()) << readings->notices[0];
  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  ExtractionDocuments documents = MakeExtractionDocuments();
  engine->AddLoader(documents.loader);
  RecordingDesktop desktop;
  JobFlags flags;
  RecordingProgress progress;
  TaggedStoryAnalyzer analyzer(*readings->service, *readings->service, readings->service.get());
  MemoryRazozaXlsWriter workbook;
  EntryList entries;
  LaunchServices services{desktop, flags, progress, analyzer, workbook, entries, root + "/data"};
  services.create_indesign = [engine]() -> Result<std::shared_ptr<indesign::Application>> {
    return std::shared_ptr<indesign::Application>(engine);
  };
  services.opens_native_documents = false;
  const LaunchResult result = LaunchExtraction(services, {root, "book"});
  ASSERT_EQ(result.outcome, LaunchOutcome::kRan) << result.error.ToString();
  ASSERT_EQ(result.job.outcome, ExtractionOutcome::kCompleted) << result.job.error.ToString();

  const std::string results = root + "/data/RazozaData";
  CompareWithGolden(*ReadFileBytes(results + "/Razoza.txt"), "sample_book_Razoza.txt");
  CompareWithGolden(*ReadFileBytes(results + "/Razoza.doc"), "sample_book_Razoza.doc");
#ifndef _WIN32
  const std::string xlrd = ListWithXlrd(results + "/Razoza.xls");
  CompareWithGolden(xlrd, "sample_book_Razoza.xls.txt");
  EXPECT_EQ(ListWithFreexl(results + "/Razoza.xls"), xlrd);
#else
  // The Windows build has neither reader: the checks on the Linux side read this file after
  // the test.
  LinuxReaderExpectations expected;
  auto golden = ReadFileBytes(kGoldenFolder + "/sample_book_Razoza.xls.txt");
  ASSERT_TRUE(golden.ok()) << golden.message();
  expected.xlrd_listing = *golden;
  const Status left = LeaveForLinuxReaders("extraction_end_to_end_test", "Razoza",
                                           results + "/Razoza.xls", expected);
  EXPECT_TRUE(left.ok()) << left.message();
#endif
  EXPECT_EQ(result.job.extracted_count, static_cast<int64_t>(entries.line_count()));

  // Razoza.doc as LibreOffice reads it, where LibreOffice with its word processor is
  // installed: the same lines.
  if (std::system("command -v soffice >/dev/null 2>&1") == 0 &&
      FileExists("/usr/lib/libreoffice/program/libswlo.so")) {
    const std::string out = root + "/lo";
    const std::string command =
        "soffice '-env:UserInstallation=file://" + root +
        "/lo_profile' --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" + out + "' '" +
        results + "/Razoza.doc' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string text = *ReadFileBytes(out + "/Razoza.txt");
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::string expected;
    for (const std::string& line : entries.Lines()) expected += line + "\n";
    std::string normalised;
    for (char c : text) {
      if (c != '\r') normalised += c;
    }
    EXPECT_EQ(normalised, expected);
  }

  // The user's files are byte for byte what they were; no working file is left.
  EXPECT_EQ(ReadAll(root + "/book"), before);
  EXPECT_TRUE(fs::is_empty(root + "/data/temp"));
  // Chapter 2's split across its frames is an estimate.
  EXPECT_EQ(*documents.estimated, std::vector<std::string>{"chapter2.idml"});
}

// The command line on the same book: exit codes, messages, the three paths, the warning.
struct CliRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// A path quoted for the shell std::system runs: sh on Linux, cmd.exe on Windows.
std::string Q(const std::string& path) {
#ifdef _WIN32
  return "\"" + path + "\"";
#else
  return "'" + path + "'";
#endif
}

CliRun RunCli(const std::string& arguments, const std::string& tag) {
  const std::string folder = std::string(MIRUNE_BINARY_DIR) + "/extraction_cli_test";
  fs::create_directories(folder);
  const std::string out = folder + "/" + tag + ".out";
  const std::string err = folder + "/" + tag + ".err";
#ifdef _WIN32
  std::string program = std::string(MIRUNE_BINARY_DIR) + "\\bin\\mirune.exe";
  for (char& c : program) {
    if (c == '/') c = '\\';
  }
  // cmd.exe takes off the outermost quotes of the whole line.
  const std::string command =
      "\"" + Q(program) + " extract " + arguments + " <NUL >" + Q(out) + " 2>" + Q(err) + "\"";
#else
  const std::string command = Q(std::string(MIRUNE_BINARY_DIR) + "/bin/mirune") + " extract " +
                              arguments + " </dev/null >" + Q(out) + " 2>" + Q(err);
#endif
  CliRun run;
  const int status = std::system(command.c_str());
#ifdef _WIN32
  run.exit_code = status;
#else
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  run.out = *ReadFileBytes(out);
  run.err = *ReadFileBytes(err);
  return run;
}

TEST(ExtractCommandTest, ExitCodesAndOutput) {
  const std::string samples = std::string(MIRUNE_SOURCE_DIR) + "/samples/book";
  if (!FileExists(samples + "/chapter1.idml")) GTEST_SKIP() << "no sample book at " << samples;
  const std::string data = std::string(MIRUNE_BINARY_DIR) + "/extraction_cli_test/data";
  fs::remove_all(data);
  const std::string data_arg = "--data-dir " + Q(data) + " ";

  // Completed: exit 0, the completion message, the three paths, the estimate warning.
  CliRun run = RunCli(data_arg + "--yes " + Q(samples), "ok");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  // The question on standard error, the report on standard output.
  // The program names what it opens by its absolute path (on Windows, with the drive).
  EXPECT_NE(run.err.find("[ミルネ Ver1.0] 以下のブックの索引抽出を開始します。\n\n" +
                         AbsolutePath(samples)),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("[ミルネ Ver1.0] 索引抽出処理が終了しました。\n処理にかかった時間は "),
            std::string::npos);
  EXPECT_NE(run.out.find("16ヵ所抽出しました。"), std::string::npos);
  EXPECT_NE(run.out.find(JoinPath(JoinPath(data, "RazozaData"), "Razoza.xls") + "\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("chapter2.idml"), std::string::npos);
  EXPECT_EQ(*ReadFileBytes(data + "/RazozaData/Razoza.txt"),
            *ReadFileBytes(kGoldenFolder + "/sample_book_Razoza.txt"));

  // No terminal and no --yes: the question is answered Cancel, and the program says so.
  run = RunCli(data_arg + Q(samples + "/chapter1.idml"), "cancel");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("→ キャンセル"), std::string::npos) << run.err;

  // Members given one by one make a book.
  run = RunCli(
      data_arg + "--yes " + Q(samples + "/chapter3.idml") + " " + Q(samples + "/chapter1.idml"),
      "members");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("12ヵ所抽出しました。"), std::string::npos) << run.out;
  auto txt = ReadFileBytes(data + "/RazozaData/Razoza.txt");
  EXPECT_EQ(txt->find(EncodeCp932("千利休")), 0u);  // chapter 3 first, as given

  // .indd without InDesign: the recovery message and the detail; exit 2.
  run = RunCli(data_arg + "--yes " + Q(samples + "/chapter1.indd"), "indd");
  EXPECT_EQ(run.exit_code, 2);
  // The precise cause first, then the fixed text.
  const size_t fixed = run.err.find("[確認] 処理を開始または続行することができませんでした。");
  EXPECT_NE(fixed, std::string::npos) << run.err;
  EXPECT_LT(run.err.find("IDML"), fixed) << run.err;
  EXPECT_EQ(run.err.find("詳細"), std::string::npos) << run.err;

  // Not a document: exit 2.
  run = RunCli(data_arg + "--yes " + Q(samples + "/CONTENTS.md"), "not_document");
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("[確認] InDesign文書を選択して下さい　"), std::string::npos);

  // A second job on a data folder in use is refused: exit 1, nothing written.
  {
    auto held = DataFolderLock::Acquire(data);
    ASSERT_TRUE(held.ok());
    const std::string before = *ReadFileBytes(data + "/RazozaData/Razoza.txt");
    run = RunCli(data_arg + "--yes " + Q(samples), "locked");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("別の処理（索引抽出、プロセス "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(
                  "）がこのデータフォルダーを使用中です。終了してから再度実行して下さい: " + data),
              std::string::npos)
        << run.err;
    EXPECT_EQ(*ReadFileBytes(data + "/RazozaData/Razoza.txt"), before);
  }
}

#ifndef _WIN32
// A book of two chapters whose author put ruby on names (tests/data/extraction/ruby_book):
// group ruby, per-character ruby, ruby over part of a term, a Latin gloss, ruby on an
// unmarked occurrence later in the book, and one name given two readings.
std::vector<layout::Document> RubyBookChapters(const std::string& folder) {
  std::vector<layout::Document> chapters;
  struct Piece {
    const char* text;
    bool marked;
    const char* ruby;
    bool per_character;
  };
  const std::vector<std::vector<std::vector<Piece>>> book = {
      // Chapter 1: pages 1 and 2.
      {{{"「", false, nullptr, false},
        {"角田", true, "かどた", false},
        {"」さんは", false, nullptr, false},
        {"強敵", true, "とも", false},
        {"と戦った。", false, nullptr, false},
        {"東海林", true, nullptr, false},
        {"の話。\r", false, nullptr, false}},
       {{"東海林", false, "とうかいりん", false},
        {"は後に出る。", false, nullptr, false},
        {"角田", true, "かどた", false},
        {"市", true, nullptr, false},
        {"へ行く。", false, nullptr, false},
        {"強敵", true, "rival", false},
        {"。\r", false, nullptr, false}}},
      // Chapter 2: page 3.
      {{{"角田", true, "すみた", false},
        {"と", false, nullptr, false},
        {"索引", true, "さく いん", true},
        {"と", false, nullptr, false},
        {"東海林", true, nullptr, false},
        {"と", false, nullptr, false},
        {"角田", true, nullptr, false},
        {"。\r", false, nullptr, false}}},
  };
  int page_number = 1;
  for (size_t c = 0; c < book.size(); ++c) {
    layout::DocumentBuilder b(JoinPath(folder, "chapter" + std::to_string(c + 1) + ".idml"));
    const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
    // A story of its own on each page.
    for (const auto& page : book[c]) {
      const int32_t story = b.AddStory();
      for (const Piece& p : page) {
        layout::TextFormat format;
        if (p.marked) format.fill_color = mark;
        if (p.ruby) format.ruby = b.AddRuby(p.ruby, p.per_character);
        b.Append(story, p.text, format);
      }
      b.AddFrame(b.AddPage(std::to_string(page_number++)), story);
    }
    chapters.push_back(*b.Build());
  }
  return chapters;
}

TEST(ExtractCommandTest, RubyBook) {
  // The chapters as the writer makes them are the ones kept for the command-line checks.
  const std::string kept = kGoldenFolder + "/ruby_book";
  for (const layout::Document& chapter : RubyBookChapters(kept)) {
    auto bytes = idml::WriteNewIdmlPackage(chapter);
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    if (UpdateGolden()) {
      (void)CreateFolder(kept);
      ASSERT_TRUE(WriteFileAtomic(chapter.full_name, *bytes).ok());
    }
    EXPECT_EQ(*ReadFileBytes(chapter.full_name), *bytes) << chapter.full_name;
  }
  const std::string data = std::string(MIRUNE_BINARY_DIR) + "/extraction_ruby_test/data";
  fs::remove_all(data);
  const CliRun run = RunCli("--data-dir " + Q(data) + " --yes " + Q(kept), "ruby");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("読みを確かめてほしい語句が"), std::string::npos) << run.err;
  CompareWithGolden(*ReadFileBytes(data + "/RazozaData/Razoza.txt"), "ruby_book_Razoza.txt");
  CompareWithGolden(ListWithXlrd(data + "/RazozaData/Razoza.xls"), "ruby_book_Razoza.xls.txt");
}
#endif

}  // namespace
}  // namespace mirune
