#include "analysis/reading_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/file.h"

namespace mirune {
namespace {

const std::string kData = std::string(MIRUNE_SOURCE_DIR) + "/tests/data/analysis/";

std::string Work(const std::string& name) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "reading_memory_test");
  (void)CreateFolder(folder);
  const std::string path = JoinPath(folder, name);
  (void)RemoveFile(path);
  return path;
}

std::string Read(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  EXPECT_TRUE(bytes.ok()) << bytes.message();
  return bytes.ok() ? *bytes : std::string();
}

ReadingMemory LoadOk(const std::string& path) {
  auto memory = ReadingMemory::Load(path);
  EXPECT_TRUE(memory.ok()) << memory.message();
  return memory.ok() ? std::move(*memory) : *ReadingMemory::Parse(path, {});
}

std::string FindOr(const ReadingMemory& memory, std::string_view term) {
  const std::string* reading = memory.Find(term);
  return reading == nullptr ? "(none)" : *reading;
}

TEST(ReadingMemoryTest, DamagedLinesAreSkippedWithTheirLineNumberAndKeptByteForByte) {
  const struct {
    const char* name;
    std::string line;
    const char* cause;  // part of the warning
  } cases[] = {
      {"no TAB", "索引さくいん", "TAB がありません"},
      {"two TABs", "索引\tさく\tいん", "TAB が 2 つ以上"},
      {"empty term", "\tさくいん", "語句が空です"},
      {"empty reading", "索引\t", "読みが空です"},
      {"cut UTF-8 sequence", "索引\tさく\xE3\x81", "UTF-8 として読めない"},
      {"stray byte", "\xFF索引\tさくいん", "UTF-8 として読めない"},
      {"NUL", std::string("索") + std::string(1, '\0') + "引\tさくいん", "制御文字"},
      {"DEL", "索引\tさくいん\x7F", "制御文字"},
      {"C1 control", "索引\tさく\xC2\x85いん", "制御文字"},
      {"form feed inside the line", "索引\f\tさくいん", "制御文字"},
      {"kanji in the reading", "索引\tさく引", "読みに漢字があります（引）"},
      {"iteration mark in the reading", "人々\tひと々", "読みに漢字があります（々）"},
      {"re-check mark", "鬱\tうつ★読み再確認★", "★読み再確認★"},
  };
  for (const auto& c : cases) {
    const std::string path = Work("damaged.txt");
    const std::string before = "# 記憶\n良い\tよい\n" + c.line + "\n後\tあと\n";
    ASSERT_TRUE(WriteFileAtomic(path, before).ok());
    ReadingMemory memory = LoadOk(path);
    ASSERT_EQ(memory.warnings().size(), 1u) << c.name;
    const std::string& warning = memory.warnings()[0];
    EXPECT_NE(warning.find(path + " の 3 行目"), std::string::npos) << c.name << ": " << warning;
    EXPECT_NE(warning.find(c.cause), std::string::npos) << c.name << ": " << warning;
    EXPECT_EQ(memory.size(), 2u) << c.name;
    EXPECT_EQ(FindOr(memory, "良い"), "よい") << c.name;
    EXPECT_EQ(FindOr(memory, "後"), "あと") << c.name;
    EXPECT_EQ(memory.Find("索引"), nullptr) << c.name;

    ASSERT_TRUE(memory.Learn("新語", "しんご")) << c.name;
    ASSERT_TRUE(memory.Save().ok()) << c.name;
    EXPECT_EQ(Read(path), before + "新語\tしんご\n") << c.name;
  }
}

TEST(ReadingMemoryTest, NotepadFileWithCommentsKeepsEveryLineOfTheUser) {
  // BOM, CR LF, comments, a blank line, a term given twice, two damaged lines.
  const std::string original = Read(kData + "reading_memory_edited.txt");
  const std::string path = Work("edited.txt");
  ASSERT_TRUE(WriteFileAtomic(path, original).ok());
  ReadingMemory memory = LoadOk(path);
  EXPECT_EQ(FindOr(memory, "索引"), "さくいん");    // no BOM in the first term
  EXPECT_EQ(FindOr(memory, "東海林"), "しょうじ");  // no CR in the reading
  EXPECT_EQ(FindOr(memory, "読み"), "よみかた");    // the later line wins
  EXPECT_EQ(memory.Find("漢字"), nullptr);
  EXPECT_EQ(memory.size(), 3u);
  ASSERT_EQ(memory.warnings().size(), 2u);
  EXPECT_NE(memory.warnings()[0].find("6 行目"), std::string::npos) << memory.warnings()[0];
  EXPECT_NE(memory.warnings()[1].find("9 行目"), std::string::npos) << memory.warnings()[1];

  EXPECT_FALSE(memory.Learn("索引", "さくいん"));  // already so
  EXPECT_TRUE(memory.Learn("東海林", "とうかいりん"));
  EXPECT_TRUE(memory.Learn("読み", "よみ"));
  EXPECT_TRUE(memory.Learn("新語", "しんご"));
  ASSERT_TRUE(memory.Save().ok());

  std::string expected = original;
  auto replace = [&](const std::string& from, const std::string& to) {
    const size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  replace("東海林\tしょうじ\r\n", "東海林\tとうかいりん\r\n");
  replace("読み\tよみかた\r\n", "読み\tよみ\r\n");  // the line that gave the reading
  expected += "新語\tしんご\r\n";
  EXPECT_EQ(Read(path), expected);

  ReadingMemory again = LoadOk(path);
  EXPECT_EQ(FindOr(again, "東海林"), "とうかいりん");
  EXPECT_EQ(FindOr(again, "読み"), "よみ");
  EXPECT_EQ(FindOr(again, "新語"), "しんご");
  EXPECT_EQ(again.size(), 4u);
  EXPECT_EQ(again.warnings().size(), 2u);
}

TEST(ReadingMemoryTest, LaterLineWinsAndItsLineIsTheOneReplaced) {
  const std::string path = Work("twice.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "語\tご\n語\tかたり\n").ok());
  ReadingMemory memory = LoadOk(path);
  EXPECT_EQ(FindOr(memory, "語"), "かたり");
  EXPECT_EQ(memory.size(), 1u);
  EXPECT_TRUE(memory.Learn("語", "ことば"));
  EXPECT_EQ(FindOr(memory, "語"), "ことば");
  ASSERT_TRUE(memory.Save().ok());
  EXPECT_EQ(Read(path), "語\tご\n語\tことば\n");
  EXPECT_EQ(FindOr(LoadOk(path), "語"), "ことば");
}

TEST(ReadingMemoryTest, NewFileStartsWithTheHeaderAndRoundTrips) {
  const std::string path = Work("new.txt");
  ReadingMemory memory = LoadOk(path);  // missing: an empty memory
  EXPECT_EQ(memory.size(), 0u);
  EXPECT_TRUE(memory.warnings().empty());
  EXPECT_EQ(memory.path(), path);
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(memory.Learn("索引", "さくいん"));
  EXPECT_TRUE(memory.Learn("ＤＴＰ", "でぃーてぃーぴー"));
  EXPECT_TRUE(memory.Learn("索引", "さくいん２"));  // learned again before saving
  ASSERT_TRUE(memory.Save().ok());

  const std::string bytes = Read(path);
  // UTF-8 with a byte-order mark and CR LF, as every Notepad reads it.
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::string> lines;
  for (size_t at = 3; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  // The header (comments only), then the terms in the order learned.
  ASSERT_GE(lines.size(), 5u);
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    EXPECT_EQ(lines[i][0], '#') << lines[i];
    EXPECT_EQ(lines[i].find('\n'), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[0].find("ReadingMemory.txt"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[lines.size() - 2], "索引\tさくいん２");
  EXPECT_EQ(lines[lines.size() - 1], "ＤＴＰ\tでぃーてぃーぴー");

  ReadingMemory again = LoadOk(path);
  EXPECT_TRUE(again.warnings().empty());
  EXPECT_EQ(again.size(), 2u);
  EXPECT_EQ(FindOr(again, "索引"), "さくいん２");
  EXPECT_EQ(FindOr(again, "ＤＴＰ"), "でぃーてぃーぴー");
  // Saved again unchanged, the file is the same bytes (the header is not written twice).
  ASSERT_TRUE(again.Save().ok());
  EXPECT_EQ(Read(path), bytes);
}

TEST(ReadingMemoryTest, PairsThatWouldBeDamagedLinesAreNotLearned) {
  const struct {
    const char* term;
    const char* reading;
  } cases[] = {
      {"", "よみ"},           {"索引", ""},           {"索引", "さく引"}, {"鬱", "鬱★読み再確認★"},
      {"索引", "さく\tいん"}, {"索\n引", "さくいん"}, {"#タグ", "たぐ"},  {"索引", "さく\x01いん"},
      {"索引", "\xE3\x81"},
  };
  for (const auto& c : cases) {
    ReadingMemory memory = *ReadingMemory::Parse(Work("refused.txt"), {});
    EXPECT_FALSE(memory.Learn(c.term, c.reading)) << c.term << " " << c.reading;
    EXPECT_EQ(memory.size(), 0u);
    EXPECT_FALSE(ReadingMemory::ProblemOf(c.term, c.reading).empty());
  }
  EXPECT_TRUE(ReadingMemory::ProblemOf("C#", "しーしゃーぷ").empty());
  EXPECT_TRUE(ReadingMemory::ProblemOf("々", "のま").empty());
}

// CR, LF and CR LF all end lines, mixed too: a file saved with CR alone that starts with a
// comment is no single comment line. A learned line goes after the last, which gets a line
// end first when it has none; the new line takes the file's first kind of line end.
TEST(ReadingMemoryTest, EveryKindOfLineEndIsALineEnd) {
  const struct {
    const char* before;
    size_t terms;
    const char* after;  // once 新語 is learned
  } cases[] = {
      {"# 記憶\r索引\tさくいん\r読み\tよみ\r", 2,
       "# 記憶\r索引\tさくいん\r読み\tよみ\r新語\tしんご\r"},
      {"# 記憶\r\n索引\tさくいん\r\n読み\tよみ\r\n", 2,
       "# 記憶\r\n索引\tさくいん\r\n読み\tよみ\r\n新語\tしんご\r\n"},
      {"# 記憶\r索引\tさくいん\n読み\tよみ\r\n", 2,
       "# 記憶\r索引\tさくいん\n読み\tよみ\r\n新語\tしんご\r"},
      // Without a line end at the end.
      {"# 記憶\n索引\tさくいん\n読み\tよみ", 2,
       "# 記憶\n索引\tさくいん\n読み\tよみ\n新語\tしんご\n"},
      {"語\tご\r\n索引\tさくいん", 2, "語\tご\r\n索引\tさくいん\r\n新語\tしんご\r\n"},
      // A CR alone at the end (older Mac editors) is kept.
      {"語\tご\n索引\tさくいん\r", 2, "語\tご\n索引\tさくいん\r新語\tしんご\n"},
      {"壊れた行\r", 0, "壊れた行\r新語\tしんご\r"},
  };
  for (const auto& c : cases) {
    const std::string path = Work("line_ends.txt");
    ASSERT_TRUE(WriteFileAtomic(path, c.before).ok());
    ReadingMemory memory = LoadOk(path);
    ASSERT_EQ(memory.size(), c.terms) << c.before;
    if (c.terms > 0) {
      EXPECT_EQ(FindOr(memory, "索引"), "さくいん") << c.before;
    }
    ASSERT_TRUE(memory.Learn("新語", "しんご"));
    ASSERT_TRUE(memory.Save().ok());
    EXPECT_EQ(Read(path), c.after) << c.before;
    const ReadingMemory again = LoadOk(path);
    EXPECT_EQ(again.size(), memory.size()) << c.before;
    EXPECT_EQ(again.warnings().size(), memory.warnings().size()) << c.before;
  }
}

// The limit at which the memory is no longer read holds when it is written: a memory that
// would pass it is not written, with a message, and the file stays as it was.
TEST(ReadingMemoryTest, AMemoryPastTheLimitIsNotWritten) {
  const std::string path = Work("large_memory.txt");
  std::string bytes = "# " + std::string(kReadingMemoryMaxBytes - 40, 'x') + "\n索引\tさくいん\n";
  ASSERT_LE(bytes.size(), kReadingMemoryMaxBytes);
  ASSERT_TRUE(WriteFileAtomic(path, bytes).ok());
  ReadingMemory memory = LoadOk(path);
  ASSERT_TRUE(memory.Learn("新しい語句", "あたらしいごく"));
  const Status saved = memory.Save();
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.code(), ErrorCode::kOverflow);
  EXPECT_NE(saved.message().find(path + " を書き込めません: 上限の 64 MiB を超えます"),
            std::string::npos)
      << saved.message();
  EXPECT_EQ(Read(path).size(), bytes.size());
  ASSERT_TRUE(RemoveFile(path).ok());
}

TEST(ReadingMemoryTest, NotepadUnicodeFileIsReadAndWrittenBackAsUtf8) {
  const std::u16string text = u"# 記憶\r\n索引\tさくいん\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  const std::string path = Work("utf16.txt");
  ASSERT_TRUE(WriteFileAtomic(path, bytes).ok());
  ReadingMemory memory = LoadOk(path);
  EXPECT_TRUE(memory.warnings().empty());
  EXPECT_EQ(FindOr(memory, "索引"), "さくいん");
  ASSERT_TRUE(memory.Learn("語", "ご"));
  ASSERT_TRUE(memory.Save().ok());
  EXPECT_EQ(Read(path), "\xEF\xBB\xBF# 記憶\r\n索引\tさくいん\r\n語\tご\r\n");
}

TEST(ReadingMemoryTest, LinesOfSpacesAreComments) {
  const ReadingMemory memory = *ReadingMemory::Parse("m.txt", "  \n\u3000 \n\n語\tご\n#\tx\n");
  EXPECT_TRUE(memory.warnings().empty()) << memory.warnings()[0];
  EXPECT_EQ(memory.size(), 1u);
  EXPECT_EQ(memory.Find("#"), nullptr);
}

TEST(ReadingMemoryTest, ManyDamagedLinesEndInACount) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += "壊れた行\n";
  const ReadingMemory memory = *ReadingMemory::Parse("m.txt", text);
  ASSERT_EQ(memory.warnings().size(), 21u);
  EXPECT_NE(memory.warnings()[19].find("20 行目"), std::string::npos);
  EXPECT_NE(memory.warnings()[20].find("ほかに 5 行"), std::string::npos) << memory.warnings()[20];
}

TEST(ReadingMemoryTest, FailuresNameTheFileAndLoseNothing) {
  // A folder in the file's place cannot be read.
  const std::string folder = Work("folder.txt");
  ASSERT_TRUE(CreateFolder(folder).ok());
  auto loaded = ReadingMemory::Load(folder);
  ASSERT_FALSE(loaded.ok());
  EXPECT_NE(loaded.message().find(folder), std::string::npos) << loaded.message();
  EXPECT_NE(loaded.message().find("読みの記憶"), std::string::npos) << loaded.message();
  ReadingMemory into_folder = *ReadingMemory::Parse(folder, {});
  ASSERT_TRUE(into_folder.Learn("語", "ご"));
  const Status over_folder = into_folder.Save();
  EXPECT_FALSE(over_folder.ok());
  EXPECT_NE(over_folder.message().find(folder), std::string::npos) << over_folder.message();

  // A folder that does not exist: the save fails and says where.
  const std::string nowhere = JoinPath(Work("no_such_folder"), "ReadingMemory.txt");
  ReadingMemory lost = LoadOk(nowhere);
  ASSERT_TRUE(lost.Learn("語", "ご"));
  const Status saved = lost.Save();
  EXPECT_FALSE(saved.ok());
  EXPECT_NE(saved.message().find(nowhere), std::string::npos) << saved.message();

  // A read-only memory is not replaced (on POSIX a rename would replace it without a word).
  namespace fs = std::filesystem;
  const std::string read_only =
      JoinPath(JoinPath(MIRUNE_BINARY_DIR, "reading_memory_test"), "read_only.txt");
  std::error_code ec;
  fs::permissions(read_only, fs::perms::owner_write, fs::perm_options::add, ec);  // earlier run
  ASSERT_TRUE(WriteFileAtomic(read_only, "語\tご\n").ok());
  fs::permissions(read_only, fs::perms::owner_write, fs::perm_options::remove);
  ReadingMemory kept = LoadOk(read_only);
  ASSERT_TRUE(kept.Learn("語", "かたり"));
  const Status refused = kept.Save();
  EXPECT_EQ(refused.code(), ErrorCode::kIoError);
  EXPECT_NE(refused.message().find("読み取り専用"), std::string::npos) << refused.message();
  EXPECT_EQ(Read(read_only), "語\tご\n");
  fs::permissions(read_only, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace mirune
