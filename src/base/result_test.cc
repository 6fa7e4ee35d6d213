#include "base/result.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirune {
namespace {

Result<std::vector<std::string>> Names(bool ok) {
  if (!ok) return Error{ErrorCode::kNotFound, "no names"};
  return std::vector<std::string>{"Org", "Sort_Only", "Sort_Syori1"};
}

Result<int> Twice(bool ok) {
  MIRUNE_ASSIGN_OR_RETURN(auto names, Names(ok));
  return static_cast<int>(names.size()) * 2;
}

Status Check(bool ok) {
  MIRUNE_RETURN_IF_ERROR(Names(ok).status());
  return Status::Ok();
}

TEST(ResultTest, ValueOfATemporaryOutlivesTheLoop) {
  // The temporary Result dies at the end of the range expression; the loop must still see
  // the names (value() of an rvalue hands the value over instead of a reference into it).
  std::vector<std::string> seen;
  for (const auto& name : Names(true).value()) seen.push_back(name);
  for (const auto& name : *Names(true)) seen.push_back(name);
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen.front(), "Org");
}

TEST(ResultTest, ErrorsPassThroughTheMacros) {
  EXPECT_EQ(*Twice(true), 6);
  const Result<int> failed = Twice(false);
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.code(), ErrorCode::kNotFound);
  EXPECT_EQ(failed.message(), "no names");
  EXPECT_TRUE(Check(true).ok());
  EXPECT_EQ(Check(false).ToString(), "not found: no names");
}

}  // namespace
}  // namespace mirune
