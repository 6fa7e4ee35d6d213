#include "app/indesign_host.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(InDesignHostTest, NativeFilesGoToInDesignAndIdmlToTheEngineUnlessForced) {
  struct Case {
    InDesignHost asked;
    const char* path;
    InDesignHost expected;
  };
  const Case cases[] = {
      {InDesignHost::kAuto, "C:\\本\\第1章.indd", InDesignHost::kCom},
      {InDesignHost::kAuto, "C:\\本\\本.indb", InDesignHost::kCom},
      {InDesignHost::kAuto, "C:\\本\\第1章.idml", InDesignHost::kEmbedded},
      {InDesignHost::kAuto, "C:\\本\\chapters\\", InDesignHost::kEmbedded},
      // The file check reads the ending case-sensitively: "INDD" is no InDesign document.
      {InDesignHost::kAuto, "C:\\本\\第1章.INDD", InDesignHost::kEmbedded},
      {InDesignHost::kCom, "C:\\本\\第1章.idml", InDesignHost::kCom},
      {InDesignHost::kEmbedded, "C:\\本\\第1章.indd", InDesignHost::kEmbedded},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveInDesignHost(c.asked, c.path), c.expected) << c.path;
}

TEST(InDesignHostTest, HostNamesAreComOrEmbedded) {
  EXPECT_EQ(ParseInDesignHost("com").value(), InDesignHost::kCom);
  EXPECT_EQ(ParseInDesignHost("embedded").value(), InDesignHost::kEmbedded);
  EXPECT_EQ(ParseInDesignHost("").value(), InDesignHost::kAuto);
  Result<InDesignHost> bad = ParseInDesignHost("COM");
  EXPECT_EQ(bad.code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(bad.message(), "--host には com か embedded を指定して下さい（指定: COM）");
}

#ifndef _WIN32
TEST(InDesignHostTest, ThisBuildHasNoCom) {
  Status available = ComHostAvailable();
  EXPECT_EQ(available.code(), ErrorCode::kUnsupported);
  EXPECT_EQ(
      available.message().rfind("InDesign を操作する（--host com）のは Windows 版だけです", 0), 0u);
}
#endif

}  // namespace
}  // namespace mirune
