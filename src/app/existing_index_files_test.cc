#include "app/existing_index_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file.h"
#include "base/path.h"

namespace mirune {
namespace {

// The earlier index set under a base is found, and only it: other names that share the
// beginning, other kinds of files and folders are left out.
TEST(ExistingIndexFilesTest, TheEarlierSetAndNothingElse) {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "existing_index_files_test");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string base = JoinPath(dir, "Razoza-索引");
  EXPECT_TRUE(ExistingIndexFiles(base).empty());
  for (const char* name :
       {"Razoza-索引.txt", "Razoza-索引-tagged.txt", "Razoza-索引.XLS", "Razoza-索引-2.txt",
        "Razoza-索引.idml", "Razoza-索引2.txt", "Razoza-索引.doc", "Razoza.xls", "Razoza-索引"}) {
    ASSERT_TRUE(WriteFileAtomic(JoinPath(dir, name), "x").ok()) << name;
  }
  ASSERT_TRUE(CreateFolder(JoinPath(dir, "Razoza-索引-1.txt")).ok());
  const std::vector<std::string> expected = {
      JoinPath(dir, "Razoza-索引-2.txt"), JoinPath(dir, "Razoza-索引-tagged.txt"),
      JoinPath(dir, "Razoza-索引.XLS"), JoinPath(dir, "Razoza-索引.idml"),
      JoinPath(dir, "Razoza-索引.txt")};
  EXPECT_EQ(ExistingIndexFiles(base), expected);
}

}  // namespace
}  // namespace mirune
