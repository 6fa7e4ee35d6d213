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

// A set being written is left alone by a later start (its record is held): its temporaries
// are no leftovers. Others are.
TEST_F(OutputFileSetTest, ARunningSetIsLeftAlone) {
  ASSERT_TRUE(WriteFileAtomic(Path(".mirune-zzzzzzzz.tmp"), "left by a crash").ok());
  OutputFileSet set;
  ASSERT_TRUE(set.Add(Path("Razoza.doc"), "new doc").ok());
  ASSERT_TRUE(set.Add(Path("Razoza.txt"), "new txt").ok());
  EXPECT_EQ(Contents().size(), previous_.size() + 4);  // two temporaries, the record, the crash's
  auto recovered = RecoverFolder(dir_);
  ASSERT_TRUE(recovered.ok()) << recovered.message();
  EXPECT_EQ(recovered->finished + recovered->rolled_back, 0);
  EXPECT_EQ(recovered->live_temporaries.size(), 2u);
  EXPECT_EQ(Contents().size(), previous_.size() + 3);
  EXPECT_FALSE(Contents().count(".mirune-zzzzzzzz.tmp"));
  ASSERT_TRUE(set.Commit().ok());
  auto expected = previous_;
  expected["Razoza.doc"] = "new doc";
  expected["Razoza.txt"] = "new txt";
  EXPECT_EQ(Contents(), expected);
}

// What a kill leaves, as records written by hand: the set's record and its files.
class InterruptedSetTest : public OutputFileSetTest {
 protected:
  void Leave(const std::string& record, const std::map<std::string, std::string>& files) {
    ASSERT_TRUE(WriteFileAtomic(Path(".mirune-00000001.set"), record).ok());
    for (const auto& [name, bytes] : files) ASSERT_TRUE(WriteFileAtomic(Path(name), bytes).ok());
  }
  std::map<std::string, std::string> NewSet() const {
    return {{"Razoza.doc", "new doc"}, {"Razoza.txt", "new txt"}, {"Razoza.xls", "new xls"}};
  }
  static constexpr const char* kTemporaries =
      "mirune-set 1\n"
      "T\t.mirune-0000000a.tmp\tRazoza.doc\n"
      "T\t.mirune-0000000b.tmp\tRazoza.txt\n"
      "T\t.mirune-0000000c.tmp\tRazoza.xls\n";
};

TEST_F(InterruptedSetTest, KilledWhileMovingIsFinished) {
  // The first file was moved (its temporary is gone), then the kill.
  Leave(std::string(kTemporaries) + "B\t.mirune-0000000d.tmp\tRazoza.doc\nC\n",
        {{"Razoza.doc", "new doc"},
         {".mirune-0000000b.tmp", "new txt"},
         {".mirune-0000000c.tmp", "new xls"},
         {".mirune-0000000d.tmp", "old doc link"}});
  auto recovered = RecoverFolder(dir_);
  ASSERT_TRUE(recovered.ok()) << recovered.message();
  EXPECT_EQ(recovered->finished, 1);
  ASSERT_EQ(recovered->notes.size(), 1u);
  EXPECT_NE(recovered->notes[0].find("完了しました"), std::string::npos) << recovered->notes[0];
  EXPECT_NE(recovered->notes[0].find(Path("Razoza.xls")), std::string::npos);
  EXPECT_EQ(Contents(), NewSet());
}

TEST_F(InterruptedSetTest, KilledBeforeTheMovesKeepsThePreviousSet) {
  // Two temporaries written, the third announced but not made; the commit line torn.
  Leave(std::string(kTemporaries) + "C",
        {{".mirune-0000000a.tmp", "new doc"}, {".mirune-0000000b.tmp", "new txt"}});
  auto recovered = RecoverFolder(dir_);
  ASSERT_TRUE(recovered.ok()) << recovered.message();
  EXPECT_EQ(recovered->rolled_back, 1);
  EXPECT_EQ(Contents(), previous_);
}

TEST_F(InterruptedSetTest, KilledWhilePuttingBackFinishesPuttingBack) {
  // doc and the new fresh.txt were moved, the txt move failed, doc was not yet put back.
  Leave(
      "mirune-set 1\n"
      "T\t.mirune-0000000a.tmp\tRazoza.doc\n"
      "T\t.mirune-0000000e.tmp\tfresh.txt\n"
      "T\t.mirune-0000000b.tmp\tRazoza.txt\n"
      "B\t.mirune-0000000d.tmp\tRazoza.doc\nN\tfresh.txt\nC\nR\n",
      {{"Razoza.doc", "new doc"},
       {"fresh.txt", "new"},
       {".mirune-0000000b.tmp", "new txt"},
       {".mirune-0000000d.tmp", previous_.at("Razoza.doc")}});
  auto recovered = RecoverFolder(dir_);
  ASSERT_TRUE(recovered.ok()) << recovered.message();
  EXPECT_EQ(recovered->rolled_back, 1);
  EXPECT_EQ(Contents(), previous_);
}

// Names with TAB, line breaks and "%" are kept whole in the record; a name given as another
// folder's path is found there.
TEST_F(OutputFileSetTest, UnusualNamesRoundTrip) {
#ifndef _WIN32
  const std::string odd = "a\tb\nc%d.txt";
#else
  const std::string odd = "a%09b.txt";
#endif
  ASSERT_TRUE(CreateFolder(Path("sub")).ok());
  {
    OutputFileSet set;
    ASSERT_TRUE(set.Add(Path(odd), "odd").ok());
    ASSERT_TRUE(set.Add(JoinPath(Path("sub"), "other.txt"), "other").ok());
    ASSERT_TRUE(set.Commit().ok());
  }
  EXPECT_EQ(*ReadFileBytes(Path(odd)), "odd");
  EXPECT_EQ(*ReadFileBytes(JoinPath(Path("sub"), "other.txt")), "other");
  auto recovered = RecoverFolder(dir_);
  ASSERT_TRUE(recovered.ok());
  EXPECT_TRUE(recovered->notes.empty());
}

// A writer's failure names the user's file, not the hidden temporary it wrote to.
TEST_F(OutputFileSetTest, StagedFailuresNameTheTarget) {
  OutputFileSet set;
  auto staged = set.Stage(Path("Razoza.xls"));
  ASSERT_TRUE(staged.ok());
  const Status named =
      set.NameTargets(Status(ErrorCode::kIoError, *staged + " を書き込めません: 容量不足"));
  EXPECT_EQ(named.message(), Path("Razoza.xls") + " を書き込めません: 容量不足");
}

}  // namespace
}  // namespace mirune
