#include <gtest/gtest.h>

#include <filesystem>

#include "analysis/phonetic.h"
#include "analysis/reading_memory.h"
#include "analysis/term_reading.h"
#include "analysis/whole_term_dictionary.h"
#include "base/file.h"
#include "base/path.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace mirune {
namespace {

std::string Folder() {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "job_readings_test");
  std::filesystem::create_directories(dir);
  return dir;
}

bool AnyHas(const std::vector<std::string>& texts, std::string_view what) {
  for (const std::string& t : texts) {
    if (t.find(what) != std::string::npos) return true;
  }
  return false;
}

// A whole-term dictionary that is missing or damaged does not stop the job: the readings come
// from the other sources, and the notice names the file and says so.
TEST(JobReadingsTest, GoesOnWithoutAnUnusableDictionary) {
  const std::string damaged = JoinPath(Folder(), "damaged.skk");
  std::string garbage = ";; okuri-nasi entries.\n";
  for (int i = 0; i < 10; ++i) garbage += "\xFF\xFE /\xB0/\n";
  ASSERT_TRUE(WriteFileAtomic(damaged, garbage).ok());
  const std::string missing = JoinPath(Folder(), "no such.skk");
  for (const std::string& path : {damaged, missing}) {
    ReadingServiceOptions options;
    options.whole_term_dictionary = path;
    auto readings = OpenJobReadings(options);
    ASSERT_TRUE(readings.ok()) << readings.message();
    ASSERT_EQ(readings->notices.size(), 1u);
    EXPECT_NE(readings->notices[0].find(path), std::string::npos) << readings->notices[0];
    EXPECT_NE(readings->notices[0].find("この辞書を使わずに読みを付けました"), std::string::npos);
    auto r = TermReading("データ", *readings->service, *readings->service);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, "でーた");
  }
}

#ifndef _WIN32
// A dictionary in --dic that is a folder or a pipe is passed over with a word, never silently.
// The folders hold the IPA dictionary (linked) as --dic folders do.
TEST(JobReadingsTest, ADictionaryThatIsNoFileIsNamedWhenPassedOver) {
  namespace fs = std::filesystem;
  const std::string ipadic = "/var/lib/mecab/dic/ipadic-utf8";
  auto dic_folder = [&](const std::string& name) {
    const std::string folder = JoinPath(Folder(), name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ipadic, ec)) {
      fs::create_symlink(entry.path(), fs::path(folder) / entry.path().filename());
    }
    return folder;
  };
  const std::string folder_case = dic_folder("dic-folder");
  fs::create_directories(JoinPath(folder_case, std::string(kWholeTermDictionaryName)));
  const std::string pipe_case = dic_folder("dic-pipe");
  const std::string pipe = JoinPath(pipe_case, std::string(kWholeTermDictionaryName));
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& folder : {folder_case, pipe_case}) {
    ReadingServiceOptions options;
    options.dictionary_folder = folder;
    auto readings = OpenJobReadings(options);
    ASSERT_TRUE(readings.ok()) << readings.message();
    const std::string place = JoinPath(folder, std::string(kWholeTermDictionaryName));
    EXPECT_TRUE(
        AnyHas(readings->notices, "語句全体の読みの辞書 " + place + " を使いませんでした: "))
        << folder;
  }
}
#endif

// The memory comes first, for any term; its damaged lines are told, naming the line.
TEST(JobReadingsTest, TheMemoryComesFirst) {
  const std::string path = JoinPath(Folder(), kReadingMemoryFileName);
  ASSERT_TRUE(WriteFileAtomic(path,
                              "# memory\nInDesign\tいんでざいん\n読みのない行\n"
                              "索引\tさくいんご\n")
                  .ok());
  ReadingServiceOptions options;
  options.reading_memory = path;
  options.without_whole_term_dictionary = true;
  auto readings = OpenJobReadings(options);
  ASSERT_TRUE(readings.ok()) << readings.message();
  EXPECT_TRUE(AnyHas(readings->notices, "3 行目")) << readings->notices.size();
  const struct {
    const char* term;
    const char* reading;
  } cases[] = {
      {"InDesign", "いんでざいん"},  // a Latin term, read as taught
      {"索引", "さくいんご"},
      {"データ", "でーた"},  // not learned: the rules
  };
  for (const auto& c : cases) {
    auto r = TermReading(c.term, *readings->service, *readings->service);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r, c.reading) << c.term;
  }
}

}  // namespace
}  // namespace mirune
