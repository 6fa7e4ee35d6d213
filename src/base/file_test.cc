#include "base/file.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace mirune {
namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        (std::filesystem::temp_directory_path() /
         ("mirune_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed())))
            .string();
    std::filesystem::remove_all(dir_);
    ASSERT_TRUE(CreateFolder(dir_).ok());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(FileTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
  const std::string path = JoinPath(dir_, "Razoza.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "old").ok());
  ASSERT_TRUE(WriteFileAtomic(path, "new contents").ok());
  auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(*bytes, "new contents");
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(FileTest, FailedWriteKeepsThePreviousFile) {
  const std::string path = JoinPath(dir_, "keep.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "previous").ok());
  // A target that is a folder cannot be replaced by a file.
  const std::string folder = JoinPath(dir_, "folder");
  ASSERT_TRUE(CreateFolder(folder).ok());
  ASSERT_TRUE(WriteFileAtomic(JoinPath(folder, "x"), "x").ok());
  EXPECT_FALSE(WriteFileAtomic(folder, "data").ok());
  EXPECT_FALSE(WriteFileAtomic(JoinPath(JoinPath(dir_, "missing"), "f.txt"), "data").ok());
  EXPECT_EQ(*ReadFileBytes(path), "previous");
}

TEST_F(FileTest, FoldersAndMissingFiles) {
  const std::string sub = JoinPath(dir_, "temp");
  EXPECT_FALSE(FolderExists(sub));
  EXPECT_TRUE(CreateFolder(sub).ok());
  EXPECT_TRUE(CreateFolder(sub).ok());  // existing folder is fine
  EXPECT_TRUE(FolderExists(sub));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_TRUE(IsFolderWritable(sub));
  EXPECT_TRUE(RemoveFile(JoinPath(sub, "none")).ok());
  auto missing = ReadFileBytes(JoinPath(sub, "none"));
  EXPECT_EQ(missing.code(), ErrorCode::kNotFound);
  EXPECT_NE(missing.message().find("none"), std::string::npos);
}

TEST_F(FileTest, JapaneseFileNames) {
  const std::string path = JoinPath(dir_, "索引データ.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "x").ok());
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(RemoveFile(path).ok());
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace mirune
