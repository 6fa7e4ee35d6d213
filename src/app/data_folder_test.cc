#include "app/data_folder.h"

#include <gtest/gtest.h>

#include "base/file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace mirune {
namespace {

std::string TestRoot(const std::string& name) {
  const std::string root = JoinPath(std::string(MIRUNE_BINARY_DIR), "data_folder_test");
  EXPECT_TRUE(CreateFolder(root).ok());
  const std::string folder = JoinPath(root, name);
  EXPECT_TRUE(CreateFolder(folder).ok());
  return folder;
}

TEST(DataFolderTest, ChoiceOrder) {
  const std::string writable = TestRoot("program");
  const std::string missing = JoinPath(writable, "no/such/program/folder");
  const std::string xdg = JoinPath(TestRoot("xdg"), "share");
  const std::string home = TestRoot("home");

  DataFolderEnvironment env;
  env.program_folder = writable;
  env.xdg_data_home = xdg;
  env.home = home;
  EXPECT_EQ(*ChooseDataFolder("", env), writable);

  // Requested folder wins and is created with its parents.
  const std::string requested = JoinPath(TestRoot("req"), "a/b");
  EXPECT_EQ(*ChooseDataFolder(requested, env), requested);
  EXPECT_TRUE(FolderExists(requested));

  env.program_folder = missing;  // not writable
  env.windows = false;
  EXPECT_EQ(*ChooseDataFolder("", env), JoinPath(xdg, "mirune"));
  EXPECT_TRUE(FolderExists(JoinPath(xdg, "mirune")));
  env.xdg_data_home.clear();
  EXPECT_EQ(*ChooseDataFolder("", env),
            JoinPath(JoinPath(JoinPath(home, ".local"), "share"), "mirune"));

  env.windows = true;
  env.local_app_data = home;
  EXPECT_EQ(*ChooseDataFolder("", env), JoinPath(home, "Mirune"));
  env.local_app_data.clear();
  EXPECT_FALSE(ChooseDataFolder("", env).ok());
}

unsigned long ProcessIdForTest() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

TEST(DataFolderLockTest, SecondJobOnOneFolderRefused) {
  const std::string folder = TestRoot("locked");
  const std::string other = TestRoot("other");
  {
    auto first = DataFolderLock::Acquire(folder, kJobResort);
    ASSERT_TRUE(first.ok()) << first.message();
    auto second = DataFolderLock::Acquire(folder);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.code(), ErrorCode::kCancelled);
    // The refusal names what holds the folder: the job and its process.
    EXPECT_EQ(
        second.message(),
        "別の処理（再ソート、プロセス " + std::to_string(ProcessIdForTest()) +
            "）がこのデータフォルダーを使用中です。終了してから再度実行して下さい: " + folder);
    EXPECT_TRUE(DataFolderLock::Acquire(other).ok());  // another folder is free
  }
  // Released with the first lock.
  EXPECT_TRUE(DataFolderLock::Acquire(folder).ok());
}

TEST(DataFolderLockTest, TheHolderIsReadBackOrLeftUnsaid) {
  EXPECT_EQ(LockHolderOf(LockHolderText(kJobExtraction, 42) + "\n"), "索引抽出、プロセス 42");
  EXPECT_EQ(LockHolderOf(""), "");
  EXPECT_EQ(LockHolderOf(std::string("\xff\xfe\x01garbage", 10)), "");
  EXPECT_EQ(DataFolderBusyMessage("D", ""),
            "別の処理がこのデータフォルダーを使用中です。終了してから再度実行して下さい: D");
}

// The cause in Japanese, the lock file named: the system's own wording never shows.
TEST(DataFolderLockTest, LockFileThatCannotBeCreatedIsNamedWithItsCause) {
  const std::string missing = JoinPath(TestRoot("lock-missing"), "none");
  auto lock = DataFolderLock::Acquire(missing);
  ASSERT_FALSE(lock.ok());
  EXPECT_EQ(lock.code(), ErrorCode::kIoError);
#ifdef _WIN32
  const std::string cause = "フォルダーがありません";
#else
  const std::string cause = "ファイルまたはフォルダーがありません";
#endif
  EXPECT_EQ(lock.message(),
            "ロックファイル " + JoinPath(missing, "mirune.lock") + " を作成できません: " + cause);
}

}  // namespace
}  // namespace mirune
