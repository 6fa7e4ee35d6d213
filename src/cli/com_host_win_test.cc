// `mirune.exe extract --host com` and `mirune.exe mark --host com` against test-indesign-server
// (the embedded engine behind COM, in its own process) give what the embedded engine gives:
// the same Razoza.txt, the same marked file, the same count per keyword; the input is not
// written. So they do in every shape an InDesign may answer in: lists as collection objects
// (the server's default) or as arrays, without the batched members, and as the generations
// InDesign 2, CS2 and 2025.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "automation/com/activation_win.h"
#include "automation/com/com_types_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/testing/server_process_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
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
  }
  std::string work_;
};

TEST_F(ComHostTest, ServerEndingInTheMiddleOfAnExtractionEndsTheJobAndKeepsThePreviousResults) {
  com::ComApartment apartment;
  const std::string book = WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "samples/book"));
  const std::string data = JoinPath(work_, "killed");
  if (!FolderExists(data)) {
    ASSERT_TRUE(CreateFolder(data).ok());
  }
  const std::string extract =
      "extract --yes --host com --data-dir \"" + WindowsPath(data) + "\" \"" + book + "\"";
  // A whole run first: its results are the previous ones, its calls tell where the middle is.
  Result<com::ComPtr<IDispatch>> registered = com::testing::ResetTestInDesign("");
  ASSERT_TRUE(registered.ok()) << registered.message();
  const std::string log = JoinPath(work_, "killed.log");
  ASSERT_EQ(RunMirune(extract, log), 0u) << Log(log);
  Result<int32_t> calls = com::testing::TestInDesignCallCount(registered->Get());
  ASSERT_TRUE(calls.ok()) << calls.message();
  ASSERT_GT(*calls, 20);
  std::vector<std::string> previous;
  for (const char* name : {"Razoza.doc", "Razoza.txt", "Razoza.xls"}) {
    previous.push_back(ReadFileBytes(JoinPath(data, std::string("RazozaData/") + name)).value());
  }

  // A server of its own that ends half-way through the same run.
  HANDLE process = nullptr;
  std::wstring clsid;
  Result<com::ComPtr<IDispatch>> server = com::testing::StartPrivateTestInDesign(&process, &clsid);
  ASSERT_TRUE(server.ok()) << server.message();
  {
    com::Dispatcher control(*server, nullptr, "InDesign", "Application", "");
    const com::UniqueVariant n = com::UniqueVariant::Int32(*calls / 2);
    ASSERT_TRUE(control.Call("EndAfterCalls", std::span<const com::UniqueVariant>(&n, 1)).ok());
  }
  server = Error{ErrorCode::kNotFound, "released"};
  SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", clsid.c_str());
  const DWORD exit_code = RunMirune(extract, log);
  SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
  const std::string output = Log(log);
  EXPECT_EQ(exit_code, 2u) << output;
  EXPECT_NE(output.find("処理を開始または続行することができませんでした。"), std::string::npos)
      << output;
  EXPECT_NE(output.find("0x800706BE"), std::string::npos) << output;
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  CloseHandle(process);
  size_t k = 0;
  for (const char* name : {"Razoza.doc", "Razoza.txt", "Razoza.xls"}) {
    EXPECT_EQ(ReadFileBytes(JoinPath(data, std::string("RazozaData/") + name)).value(),
              previous[k++])
        << name;
  }
}

// An .indd goes to InDesign without --host (the test server reads an IDML package given the
// name of an InDesign document) and gives the engine's result on the same package.
TEST_F(ComHostTest, AnInDesignDocumentGoesToInDesignByDefault) {
  const std::string package = JoinPath(MIRUNE_SOURCE_DIR, "samples/book/chapter1.idml");
  const std::string indd = JoinPath(work_, "chapter1.indd");
  ASSERT_TRUE(WriteFileAtomic(indd, ReadFileBytes(package).value()).ok());
  const std::string before = ReadFileBytes(indd).value();
  const std::pair<const char*, std::string> runs[] = {{"indd", indd}, {"idml", package}};
  for (const auto& [name, input] : runs) {
    const std::string data = JoinPath(work_, name);
    if (!FolderExists(data)) {
      ASSERT_TRUE(CreateFolder(data).ok());
    }
    RemoveFile(JoinPath(data, "RazozaData/Razoza.txt")).ok();
    const std::string log = JoinPath(work_, std::string(name) + ".log");
    EXPECT_EQ(RunMirune("extract --yes --data-dir \"" + WindowsPath(data) + "\" \"" +
                            WindowsPath(input) + "\"",
                        log),
              0u)
        << Log(log);
  }
  const auto com = ReadFileBytes(JoinPath(work_, "indd/RazozaData/Razoza.txt"));
  const auto embedded = ReadFileBytes(JoinPath(work_, "idml/RazozaData/Razoza.txt"));
  ASSERT_TRUE(com.ok()) << com.message();
  ASSERT_TRUE(embedded.ok()) << embedded.message();
  EXPECT_FALSE(com->empty());
  EXPECT_EQ(*com, *embedded);
  EXPECT_EQ(ReadFileBytes(indd).value(), before);
}

// What `mirune mark` printed per keyword.
std::string KeywordReport(const std::string& log) {
  const size_t start = log.find("キーワードごとのマーキング箇所数:");
  if (start == std::string::npos) return "(no report) " + log;
  const size_t end = log.find("保存しました", start);
  return log.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct ServerShape {
  const char* name;
  const wchar_t* switches;  // registered with the server
  // The generations before CS3 take the find/change settings from InDesign's own window:
  // set there (through the server's test member) as a user would.
  bool user_sets_find_change;
};

class ComHostShapeTest : public ::testing::TestWithParam<ServerShape> {
 protected:
  static void SetUpTestSuite() {
    SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
    work_ = new std::string(JoinPath(MIRUNE_BINARY_DIR, "com_host_shapes"));
    if (!FolderExists(*work_)) {
      ASSERT_TRUE(CreateFolder(*work_).ok());
    }
    // The embedded engine's results, once.
    embedded_txt_ = new std::string(Extract("embedded", "embedded"));
    embedded_marked_ = new std::string;
    embedded_report_ = new std::string;
    Mark("embedded", "embedded", embedded_marked_, embedded_report_);
  }
  static void TearDownTestSuite() {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
    com::testing::RunTestInDesignServer(L"/UnregServer");
    delete work_;
    delete embedded_txt_;
    delete embedded_marked_;
    delete embedded_report_;
  }

  void SetUp() override {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
    ASSERT_EQ(
        com::testing::RunTestInDesignServer(std::wstring(L"/RegServer ") + GetParam().switches),
        0u);
    // The user's setting, which every job must leave as it found it.
    ASSERT_EQ(UserInteractionLevel(), kInteractWithAll);
  }
  void TearDown() override { EXPECT_EQ(UserInteractionLevel(), kInteractWithAll); }

  static constexpr int32_t kInteractWithAll = 1699311169;

  // The server's ScriptPreferences.UserInteractionLevel (starting the server when none runs).
  static int32_t UserInteractionLevel() {
    com::ComApartment apartment;
    Result<com::ComPtr<IDispatch>> server =
        com::CreateServer(com::testing::kTestInDesignProgId, "InDesign");
    if (!server.ok()) return -1;
    com::Dispatcher application(*server, nullptr, "InDesign", "Application", "");
    Result<com::Dispatcher> prefs = application.GetObject("ScriptPreferences", "ScriptPreferences");
    if (!prefs.ok()) return -2;
    Result<int32_t> level = prefs->GetInt32("UserInteractionLevel");
    return level.ok() ? *level : -3;
  }

  // Razoza.txt of an extraction of the sample book through `host`.
  static std::string Extract(const char* host, const std::string& name) {
    const std::string data = JoinPath(*work_, name);
    if (!FolderExists(data)) {
      EXPECT_TRUE(CreateFolder(data).ok());
    }
    RemoveFile(JoinPath(data, "RazozaData/Razoza.txt")).ok();
    const std::string log = JoinPath(*work_, name + "-extract.log");
    const std::string book = WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "samples/book"));
    EXPECT_EQ(RunMirune(std::string("extract --yes --host ") + host + " --data-dir \"" +
                            WindowsPath(data) + "\" \"" + book + "\"",
                        log),
              0u)
        << Log(log);
    Result<std::string> txt = ReadFileBytes(JoinPath(data, "RazozaData/Razoza.txt"));
    return txt.ok() ? *txt : "(none) " + txt.message();
  }

  // The marked file and the report of a marking of chapter 1 through `host`.
  static void Mark(const char* host, const std::string& name, std::string* marked,
                   std::string* report) {
    const std::string input = JoinPath(MIRUNE_SOURCE_DIR, "samples/book/chapter1.idml");
    const std::string keywords =
        WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "tests/data/marking/Keyword.xls"));
    const std::string output = JoinPath(*work_, name + ".idml");
    RemoveFile(output).ok();
    const std::string log = JoinPath(*work_, name + "-mark.log");
    EXPECT_EQ(RunMirune(std::string("mark --yes --host ") + host + " --keywords \"" + keywords +
                            "\" --swatch RazozaMark1 \"" + WindowsPath(input) + "\" -o \"" +
                            WindowsPath(output) + "\"",
                        log),
              0u)
        << Log(log);
    Result<std::string> bytes = ReadFileBytes(output);
    *marked = bytes.ok() ? *bytes : "(none) " + bytes.message();
    *report = KeywordReport(Log(log));
  }

  // The find/change settings a user of an older InDesign sets in its own window.
  static void SetUsersFindChange() {
    com::ComApartment apartment;
    Result<com::ComPtr<IDispatch>> server = com::testing::ResetTestInDesign("");
    ASSERT_TRUE(server.ok()) << server.message();
    com::Dispatcher control(*server, nullptr, "InDesign", "Application", "");
    std::vector<com::UniqueVariant> args;
    args.push_back(com::UniqueVariant::Text("RazozaMark1").value());
    args.push_back(com::UniqueVariant::Text("").value());
    args.push_back(com::UniqueVariant::Bool(false));
    args.push_back(com::UniqueVariant::Bool(false));
    ASSERT_TRUE(control.Call("UserFindChange", args).ok());
  }

  static std::string* work_;
  static std::string* embedded_txt_;
  static std::string* embedded_marked_;
  static std::string* embedded_report_;
};

std::string* ComHostShapeTest::work_ = nullptr;
std::string* ComHostShapeTest::embedded_txt_ = nullptr;
std::string* ComHostShapeTest::embedded_marked_ = nullptr;
std::string* ComHostShapeTest::embedded_report_ = nullptr;

TEST_P(ComHostShapeTest, ExtractionGivesTheEnginesRazozaTxt) {
  const std::string com = Extract("com", std::string("com-") + GetParam().name);
  EXPECT_FALSE(embedded_txt_->empty());
  EXPECT_EQ(com, *embedded_txt_);
}

TEST_P(ComHostShapeTest, MarkingGivesTheEnginesFileAndCountsAndLeavesTheInputAlone) {
  if (GetParam().user_sets_find_change) SetUsersFindChange();
  const std::string input = JoinPath(MIRUNE_SOURCE_DIR, "samples/book/chapter1.idml");
  const std::string before = ReadFileBytes(input).value();
  std::string marked, report;
  Mark("com", std::string("com-") + GetParam().name, &marked, &report);
  EXPECT_EQ(report, *embedded_report_);
  EXPECT_NE(report.find("\t"), std::string::npos) << report;
  EXPECT_EQ(marked, *embedded_marked_);
  EXPECT_EQ(ReadFileBytes(input).value(), before);
}

// A job that fails after InDesign was reached (a file InDesign cannot open) also puts the
// user's setting back (TearDown checks it).
TEST_P(ComHostShapeTest, AFailedJobLeavesTheUsersDialogSetting) {
  const std::string broken = JoinPath(*work_, "broken.indd");
  ASSERT_TRUE(WriteFileAtomic(broken, "no InDesign document").ok());
  const std::string data = JoinPath(*work_, "broken");
  if (!FolderExists(data)) {
    ASSERT_TRUE(CreateFolder(data).ok());
  }
  const std::string log = JoinPath(*work_, "broken.log");
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunMirune("extract --yes --host com --data-dir \"" + WindowsPath(data) + "\" \"" +
                          WindowsPath(broken) + "\"",
                      log),
            2u)
      << Log(log);
  EXPECT_LT(GetTickCount() - start, 20000u) << "a dialog held the job";
}

// An InDesign of CS3 or later without the application's ChangeText has nothing to fall back
// to: the marking ends with its failure message and the precise cause (the member and
// DISP_E_UNKNOWNNAME), nothing is saved, and the extraction, which needs no ChangeText, works.
TEST(ComHostWithoutChangeTextTest, MarkingEndsWithTheCauseAndExtractionWorks) {
  {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
  }
  ASSERT_EQ(com::testing::RunTestInDesignServer(L"/RegServer /Without:ChangeText"), 0u);
  SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
  const std::string work = JoinPath(MIRUNE_BINARY_DIR, "com_host_without_change_text");
  if (!FolderExists(work)) {
    ASSERT_TRUE(CreateFolder(work).ok());
  }
  const std::string output = JoinPath(work, "marked.idml");
  RemoveFile(output).ok();
  const std::string log = JoinPath(work, "mark.log");
  const std::string input = JoinPath(MIRUNE_SOURCE_DIR, "samples/book/chapter1.idml");
  const std::string keywords =
      WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "tests/data/marking/Keyword.xls"));
  EXPECT_EQ(
      RunMirune("mark --yes --host com --keywords \"" + keywords + "\" --swatch RazozaMark1 \"" +
                    WindowsPath(input) + "\" -o \"" + WindowsPath(output) + "\"",
                log),
      2u)
      << Log(log);
  const std::string text = Log(log);
  EXPECT_NE(text.find("ChangeText"), std::string::npos) << text;
  EXPECT_NE(text.find("0x80020006"), std::string::npos) << text;
  EXPECT_FALSE(FileExists(output));
  const std::string data = JoinPath(work, "data");
  if (!FolderExists(data)) {
    ASSERT_TRUE(CreateFolder(data).ok());
  }
  const std::string book = WindowsPath(JoinPath(MIRUNE_SOURCE_DIR, "samples/book"));
  EXPECT_EQ(RunMirune("extract --yes --host com --data-dir \"" + WindowsPath(data) + "\" \"" +
                          book + "\"",
                      JoinPath(work, "extract.log")),
            0u)
      << Log(JoinPath(work, "extract.log"));
  com::ComApartment apartment;
  com::testing::QuitTestInDesign();
  com::testing::RunTestInDesignServer(L"/UnregServer");
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ComHostShapeTest,
    ::testing::Values(
        ServerShape{"objects", L"/Shape:objects", false},
        ServerShape{"arrays", L"/Shape:arrays", false},
        ServerShape{"without_every_item", L"/Without:EveryItem", false},
        ServerShape{"without_get_elements", L"/Without:GetElements", false},
        ServerShape{"arrays_without_get_elements", L"/Shape:arrays /Without:GetElements", false},
        ServerShape{"indesign2", L"/Version:2.0", true}, ServerShape{"cs2", L"/Version:4.0", true},
        ServerShape{"cs2_arrays", L"/Version:4.0 /Shape:arrays", true},
        ServerShape{"indesign2025", L"/Version:20.0", false},
        ServerShape{"dialog", L"/Dialog", false},
        // The sample has no character beyond the BMP: the marking on such characters is
        // tested in indesign_client_test.
        ServerShape{"count_utf16", L"/CountUtf16", false},
        ServerShape{"dialog_arrays_cs2", L"/Dialog /Shape:arrays /Version:4.0", true}),
    [](const ::testing::TestParamInfo<ServerShape>& info) { return info.param.name; });

}  // namespace
}  // namespace mirune

namespace mirune {
namespace {

// `mirune.exe 診断` against the test servers registered in each shape: the report says what
// the installation is and which fallbacks the jobs will take. Each report is kept beside the
// window pictures (build/screenshots/doctor_NAME.txt).
struct DoctorShape {
  const char* name;
  const wchar_t* indesign;  // the test InDesign's switches
  const wchar_t* excel;     // the test Excel's switches
  DWORD exit_code;
  std::vector<const char*> says;
  std::vector<const char*> never_says;
};

class DoctorTest : public ::testing::TestWithParam<DoctorShape> {
 protected:
  void SetUp() override {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
    ASSERT_EQ(
        com::testing::RunTestInDesignServer(std::wstring(L"/RegServer ") + GetParam().indesign),
        0u);
    ASSERT_EQ(com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER,
                                                std::wstring(L"/RegServer ") + GetParam().excel),
              0u);
    SetEnvironmentVariableW(L"MIRUNE_INDESIGN_PROGID", L"Mirune.TestInDesign");
    SetEnvironmentVariableW(L"MIRUNE_EXCEL_PROGID", L"Mirune.TestExcel");
  }
  void TearDown() override {
    com::ComApartment apartment;
    com::testing::QuitTestInDesign();
    // The check quits the Excel it started only when that holds no other workbook (a shape
    // that opens one at its start keeps running). Under Wine a server started through COM
    // shares the test's output: one left running would hold CTest's pipe open.
    for (int i = 0; i < 50 && com::testing::QuitRunningServer("Mirune.TestExcel", "Excel"); ++i) {
      Sleep(100);
    }
    com::testing::RunTestInDesignServer(L"/UnregServer");
    com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
  }
};

TEST_P(DoctorTest, TheReportSaysWhatTheInstallationIsAndWhichFallbacksTheJobsTake) {
  const std::string data = JoinPath(MIRUNE_BINARY_DIR, std::string("doctor_") + GetParam().name);
  if (!FolderExists(data)) {
    ASSERT_TRUE(CreateFolder(data).ok());
  }
  const std::string report_path = JoinPath(data, "RazozaData/動作確認.txt");
  RemoveFile(report_path).ok();
  const std::string log = data + ".log";
  EXPECT_EQ(RunMirune("診断 --data-dir \"" + WindowsPath(data) + "\"", log), GetParam().exit_code)
      << Log(log);
  Result<std::string> report = ReadFileBytes(report_path);
  ASSERT_TRUE(report.ok()) << report.message() << "\n" << Log(log);
  const std::string pictures = JoinPath(MIRUNE_BINARY_DIR, "../screenshots");
  if (!FolderExists(pictures)) CreateFolder(pictures).ok();
  WriteFileAtomic(JoinPath(pictures, std::string("doctor_") + GetParam().name + ".txt"), *report)
      .ok();
  for (const char* text : GetParam().says) EXPECT_NE(report->find(text), std::string::npos) << text;
  for (const char* text : GetParam().never_says) {
    EXPECT_EQ(report->find(text), std::string::npos) << text;
  }
  // Nothing of the check is left open in the test InDesign.
  EXPECT_NE(report->find("Documents.Count（確認の後）: 整数 0"), std::string::npos);
}

constexpr char kBatched[] = "ページとテキストフレームは一括で読みます";
constexpr char kPlainMissing[] =
    "EveryItem().GetElements() が使えないため、Count と Item で読みます";
constexpr char kPlainCollection[] = "EveryItem().GetElements() がコレクションを返すため";

INSTANTIATE_TEST_SUITE_P(
    Shapes, DoctorTest,
    ::testing::Values(
        DoctorShape{"objects",
                    L"/Shape:objects",
                    L"",
                    0,
                    {"コレクション（Count と Item） 2 件", kPlainCollection,
                     "文字の数え方: 符号位置", "ChangeText と検索・置換の設定"},
                    {kBatched, "失敗  "}},
        DoctorShape{"arrays",
                    L"/Shape:arrays",
                    L"",
                    0,
                    {"1 次元の配列", kBatched},
                    {kPlainCollection, kPlainMissing, "失敗  "}},
        DoctorShape{"without_every_item",
                    L"/Without:EveryItem",
                    L"",
                    0,
                    {"代替  Pages.EveryItem().GetElements()", kPlainMissing},
                    {kBatched, "失敗  "}},
        DoctorShape{"without_get_elements",
                    L"/Without:GetElements",
                    L"",
                    0,
                    {kPlainMissing},
                    {kBatched, "失敗  "}},
        DoctorShape{"indesign2",
                    L"/Version:2.0",
                    L"",
                    0,
                    {"Story.Search（引数 4 個）", "InDesign 2 の世代", "TextContents"},
                    {"ChangeText()", "失敗  "}},
        DoctorShape{"cs2",
                    L"/Version:4.0",
                    L"",
                    0,
                    {"Story.Search（引数 6 個）", "CS/CS2 の世代"},
                    {"ChangeText()", "失敗  "}},
        DoctorShape{"indesign2025",
                    L"/Version:20.0",
                    L"",
                    0,
                    {"バージョン 20.0", "ChangeText と検索・置換の設定"},
                    {"失敗  "}},
        // The check's own Open would wait for ever on a dialog unless it kept them away first.
        DoctorShape{"dialog", L"/Dialog", L"", 0, {"OK    Open(確認用の文書)"}, {"失敗  "}},
        DoctorShape{"count_utf16",
                    L"/CountUtf16",
                    L"",
                    0,
                    {"文字の数え方: UTF-16", "文字の番号を UTF-16 で数えます"},
                    {"失敗  "}},
        DoctorShape{
            "excel_clipboard_busy", L"", L"/Clipboard:busy", 0, {"OK    書式の複写"}, {"失敗  "}},
        DoctorShape{"excel_protected_view",
                    L"",
                    L"/ProtectedView",
                    1,
                    {"失敗  Application.ActiveWorkbook（新しいブック）", "保護ビュー"},
                    {}}),
    [](const ::testing::TestParamInfo<DoctorShape>& info) { return info.param.name; });

}  // namespace
}  // namespace mirune
