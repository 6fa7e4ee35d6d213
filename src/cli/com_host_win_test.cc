// `mirune.exe extract --host com` and `mirune.exe mark --host com` against test-indesign-server
// (the embedded engine behind COM, in its own process) give what the embedded engine gives:
// the same Razoza.txt, the same marked file; the input is not written.

#include <gtest/gtest.h>

#include <string>

#include "automation/com/com_types_win.h"
#include "automation/com/test_indesign_server_support_win.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

// A Linux build path as Windows sees it (drive Z:).
std::string WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
}

// Runs mirune.exe with `arguments`, its output to `log`, and waits for the process itself
// (a server it started may live on and must not be waited for). Its exit code.
DWORD RunMirune(const std::string& arguments, const std::string& log) {
  std::wstring command = L"\"" + Wide(WindowsPath(MIRUNE_PROGRAM)) + L"\" " + Wide(arguments);
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(Wide(WindowsPath(log)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  DWORD code = static_cast<DWORD>(-1);
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 300000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  return code;
}

std::string Log(const std::string& path) {
  Result<std::string> text = ReadFileBytes(path);
  return text.ok() ? *text : text.message();
}

class ComHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer"), 0u);
    SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
  }
  static void TearDownTestSuite() {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
    com::testing::RunTestInDesignServer(L"/UnregServer");
  }
  void SetUp() override {
    work_ = JoinPath(MIRUNE_BINARY_DIR, "com_host_test");
    if (!FolderExists(work_)) {
      ASSERT_TRUE(CreateFolder(work_).ok());
    }
    for (const char* old : {"com.idml", "embedded.idml"}) RemoveFile(JoinPath(work_, old)).ok();
  }
  std::string work_;
};

TEST_F(ComHostTest, ExtractionThroughComGivesTheEnginesRazozaTxt) {
  const std::string book = WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "samples/book"));
  for (const char* host : {"com", "embedded"}) {
    const std::string data = JoinPath(work_, host);
    if (!FolderExists(data)) {
      ASSERT_TRUE(CreateFolder(data).ok());
    }
    RemoveFile(JoinPath(data, "RazozaData/Razoza.txt")).ok();
    const std::string log = JoinPath(work_, std::string(host) + ".log");
    EXPECT_EQ(RunMirune(std::string("extract --yes --host ") + host + " --data-dir \"" +
                            WindowsPath(data) + "\" \"" + book + "\"",
                        log),
              0u)
        << Log(log);
  }
  const auto com = ReadFileBytes(JoinPath(work_, "com/RazozaData/Razoza.txt"));
  const auto embedded = ReadFileBytes(JoinPath(work_, "embedded/RazozaData/Razoza.txt"));
  ASSERT_TRUE(com.ok()) << com.message();
  ASSERT_TRUE(embedded.ok()) << embedded.message();
  EXPECT_FALSE(com->empty());
  EXPECT_EQ(*com, *embedded);
}

TEST_F(ComHostTest, MarkingThroughComSavesTheEnginesResultAndLeavesTheInputAlone) {
  const std::string input = JoinPath(MIRUNE_SOURCE_DIR, "samples/book/chapter1.idml");
  const std::string before = ReadFileBytes(input).value();
  const std::string keywords =
      WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "tests/data/marking/Keyword.xls"));
  for (const char* host : {"com", "embedded"}) {
    const std::string log = JoinPath(work_, std::string(host) + ".log");
    EXPECT_EQ(RunMirune(std::string("mark --yes --host ") + host + " --keywords \"" + keywords +
                            "\" --swatch RazozaMark1 \"" + WindowsPath(input) + "\" -o \"" +
                            WindowsPath(JoinPath(work_, std::string(host) + ".idml")) + "\"",
                        log),
              0u)
        << Log(log);
  }
  const auto com = ReadFileBytes(JoinPath(work_, "com.idml"));
  const auto embedded = ReadFileBytes(JoinPath(work_, "embedded.idml"));
  ASSERT_TRUE(com.ok()) << com.message();
  ASSERT_TRUE(embedded.ok()) << embedded.message();
  EXPECT_EQ(*com, *embedded);
  EXPECT_EQ(ReadFileBytes(input).value(), before);
}

}  // namespace
}  // namespace mirune
