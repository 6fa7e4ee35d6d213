#include "base/file_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/file.h"

namespace mirune {
namespace {

namespace fs = std::filesystem;

class OutputFileSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = (fs::temp_directory_path() / ("mirune_file_set_test_" + std::string(info->name())))
               .string();
    fs::remove_all(dir_);
    ASSERT_TRUE(CreateFolder(dir_).ok());
    // The previous results of a run.
    for (const auto& [name, bytes] : previous_) {
      ASSERT_TRUE(WriteFileAtomic(Path(name), bytes).ok());
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return JoinPath(dir_, name); }
  // Every file of the folder with its bytes.
  std::map<std::string, std::string> Contents() const {
    std::map<std::string, std::string> out;
    for (const FolderEntry& e : *ListFolder(dir_)) {
      out[e.name] = e.kind == PathKind::kFile ? *ReadFileBytes(Path(e.name)) : "<folder>";
    }
    return out;
  }

  std::string dir_;
  const std::map<std::string, std::string> previous_ = {
      {"Razoza.doc", std::string("{\\rtf1 old}\0\xff", 14)},
      {"Razoza.txt", "old text\r\n"},
      {"Razoza.xls", std::string(300, '\x01')},
  };
};

TEST_F(OutputFileSetTest, CommitReplacesEveryFile) {
  OutputFileSet set;
  ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.txt"), "new txt").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.xls"), "new xls").ok());
  ASSERT_TRUE(set.Add(Path("extra.txt"), "").ok());
  // Nothing visible changes before Commit.
  for (const auto& [name, bytes] : previous_) EXPECT_EQ(*ReadFileBytes(Path(name)), bytes);
  EXPECT_FALSE(FileExists(Path("extra.txt")));
  const Status st = set.Commit();
  ASSERT_TRUE(st.ok()) << st.message();
  const std::map<std::string, std::string> expected = {{"Razoza.doc", "new doc"},
                                                       {"Razoza.txt", "new txt"},
                                                       {"Razoza.xls", "new xls"},
                                                       {"extra.txt", ""}};
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(set.Commit().code(), ErrorCode::kInternal);  // only once
}

TEST_F(OutputFileSetTest, DestroyingWithoutCommitKeepsThePreviousSet) {
  {
    OutputFileSet set;
    ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
    ASSERT_TRUE(set.Add(Path("Razoza.txt"), "new txt").ok());
    ASSERT_TRUE(set.Add(Path("new.txt"), "new").ok());
  }
  EXPECT_EQ(Contents(), previous_);
}

// The second file cannot be written (its folder is missing): the set cannot be committed and
// the previous set stays byte for byte.
TEST_F(OutputFileSetTest, FailureWhileWritingKeepsThePreviousSet) {
  {
    OutputFileSet set;
    ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
    const std::string bad = JoinPath(Path("missing"), "Razoza.txt");
    const Status added = set.Add(bad, "new txt");
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.message().rfind(bad + " を書き込めません: ", 0), 0u) << added.message();
    ASSERT_TRUE(set.Add(Path("Razoza.xls"), "new xls").ok());
    const Status committed = set.Commit();
    EXPECT_EQ(committed.code(), ErrorCode::kInvalidArgument);
    for (const auto& [name, bytes] : previous_) EXPECT_EQ(*ReadFileBytes(Path(name)), bytes);
  }
  EXPECT_EQ(Contents(), previous_);
}

// The third move fails (a folder holds its name): the files already moved get their previous
// bytes back and a file that did not exist before is gone again.
TEST_F(OutputFileSetTest, FailureWhileMovingPutsThePreviousSetBack) {
  ASSERT_TRUE(CreateFolder(Path("blocked")).ok());
  ASSERT_TRUE(WriteFileAtomic(JoinPath(Path("blocked"), "x"), "x").ok());
  auto before = Contents();
  OutputFileSet set;
  ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
  ASSERT_TRUE(set.Add(Path("fresh.txt"), "new").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.txt"), "new txt").ok());
  ASSERT_TRUE(set.Add(Path("blocked"), "new").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.xls"), "new xls").ok());
  const Status st = set.Commit();
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.message().rfind(Path("blocked") + " を置き換えられません: ", 0), 0u) << st.message();
  EXPECT_NE(st.message().find("先に置き換えたファイルは元に戻しました"), std::string::npos)
      << st.message();
  EXPECT_EQ(Contents(), before);
}

TEST_F(OutputFileSetTest, SameFileTwiceIsRefused) {
  OutputFileSet set;
  ASSERT_TRUE(set.Add(Path("Razoza.txt"), "a").ok());
  EXPECT_EQ(set.Add(Path("Razoza.txt"), "b").code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(set.Commit().code(), ErrorCode::kInvalidArgument);
}

// The temporaries of a run cut off before Commit are what a later start removes.
TEST_F(OutputFileSetTest, TemporariesAreRecognisedAsLeftovers) {
  OutputFileSet set;
  ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.txt"), "new txt").ok());
  EXPECT_EQ(Contents().size(), previous_.size() + 2);
  auto removed = RemoveLeftoverTemporaries(dir_);
  ASSERT_TRUE(removed.ok()) << removed.message();
  EXPECT_EQ(*removed, 2);
  EXPECT_EQ(Contents(), previous_);
}

}  // namespace
}  // namespace mirune
