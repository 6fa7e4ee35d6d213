#include "base/file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>

#include "base/wide_path.h"
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirune {
namespace {

namespace fs = std::filesystem;

fs::path U8(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// Removes a folder and everything in it, past 260 characters too (the C++ library's
// remove_all stops there on Windows).
void RemoveTree(const std::string& path) {
#ifdef _WIN32
  if (auto entries = ListFolder(path); entries.ok()) {
    for (const FolderEntry& e : *entries) {
      const std::string child = JoinPath(path, e.name);
      if (e.kind == PathKind::kFolder) {
        RemoveTree(child);
      } else {
        (void)RemoveFile(child);
      }
    }
  }
  RemoveDirectoryW(ToWidePath(path).c_str());
#else
  std::error_code ec;
  fs::remove_all(U8(path), ec);
#endif
}

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = (fs::temp_directory_path() /
            ("mirune_file_test_" + std::string(info->name()) + "_" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed())))
               .string();
    RemoveTree(dir_);
    ASSERT_TRUE(CreateFolder(dir_).ok());
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string Path(const std::string& name) const { return JoinPath(dir_, name); }
  // Names in the test folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const FolderEntry& e : *ListFolder(dir_)) names.push_back(e.name);
    return names;
  }
  std::string dir_;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(FileTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
  const std::string path = Path("Razoza.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "old").ok());
  ASSERT_TRUE(WriteFileAtomic(path, "new contents").ok());
  EXPECT_EQ(*ReadFileBytes(path), "new contents");
  EXPECT_EQ(Names(), std::vector<std::string>{"Razoza.txt"});
}

TEST_F(FileTest, FailedWriteKeepsThePreviousFile) {
  const std::string path = Path("keep.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "previous").ok());
  // A target that is a folder cannot be replaced by a file.
  const std::string folder = Path("folder");
  ASSERT_TRUE(CreateFolder(folder).ok());
  ASSERT_TRUE(WriteFileAtomic(JoinPath(folder, "x"), "x").ok());
  const Status onto_folder = WriteFileAtomic(folder, "data");
  EXPECT_FALSE(onto_folder.ok());
  EXPECT_TRUE(Contains(onto_folder.message(), folder + " を置き換えられません: "))
      << onto_folder.message();
  EXPECT_EQ(*ReadFileBytes(path), "previous");
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "keep.txt"}));
}

TEST_F(FileTest, MissingFolderIsNamedAsThePlaceOfTheTemporaryFile) {
  const std::string missing = Path("missing");
  const std::string target = JoinPath(missing, "f.txt");
  const Status st = WriteFileAtomic(target, "data");
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.code(), ErrorCode::kIoError);
  EXPECT_TRUE(Contains(st.message(), target + " を書き込めません: 一時ファイル .mirune-"))
      << st.message();
  EXPECT_TRUE(Contains(st.message(), "をフォルダー " + missing + " に作成できません: "))
      << st.message();
}

// Names up to the file system's limit of 255 bytes are written: the temporary name does not
// grow with the target's.
TEST_F(FileTest, NamesOfTheFullLengthAreWritten) {
  std::string japanese;
  for (int i = 0; i < 85; ++i) japanese += "索";  // 255 bytes of UTF-8
  const std::string names[] = {std::string(255, 'a'), std::string(236, 'b'),
                               std::string(251, 'c') + ".xls", japanese};
  for (const std::string& name : names) {
    const std::string path = Path(name);
    ASSERT_TRUE(WriteFileAtomic(path, "first").ok()) << name.size();
    const Status again = WriteFileAtomic(path, "second");
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_EQ(*ReadFileBytes(path), "second");
    EXPECT_TRUE(RemoveFile(path).ok());
  }
  EXPECT_TRUE(Names().empty());
}

#ifndef _WIN32
TEST_F(FileTest, NameOverTheLimitSaysTheNameIsTooLong) {
  const std::string path = Path(std::string(256, 'a'));
  const Status st = WriteFileAtomic(path, "x");
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.message(), path + " を置き換えられません: 名前が長すぎます");
  EXPECT_TRUE(Names().empty());
}

// A write that fails half-way (here: past the process's file size limit) names the write as
// the failed step and leaves the previous file and no temporary file.
TEST_F(FileTest, FailedWriteSaysSoAndLeavesNoTemporary) {
  const std::string path = Path("Razoza.xls");
  ASSERT_TRUE(WriteFileAtomic(path, "previous").ok());
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status st = WriteFileAtomic(path, std::string(5000, 'x'));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  ASSERT_FALSE(st.ok());
  EXPECT_TRUE(Contains(st.message(), path + " を書き込めません: 一時ファイル .mirune-"));
  EXPECT_TRUE(Contains(st.message(), "への書き込みに失敗しました: ファイルが大きすぎます"))
      << st.message();
  EXPECT_EQ(*ReadFileBytes(path), "previous");
  EXPECT_EQ(Names(), std::vector<std::string>{"Razoza.xls"});
}
#endif

TEST_F(FileTest, RenameOverReplacesTheTarget) {
  ASSERT_TRUE(WriteFileAtomic(Path("a"), "new").ok());
  ASSERT_TRUE(WriteFileAtomic(Path("b"), "old").ok());
  ASSERT_TRUE(RenameOver(Path("a"), Path("b")).ok());
  EXPECT_EQ(*ReadFileBytes(Path("b")), "new");
  EXPECT_FALSE(FileExists(Path("a")));
  const Status missing = RenameOver(Path("a"), Path("b"));
  EXPECT_FALSE(missing.ok());
  EXPECT_TRUE(Contains(missing.message(), Path("b") + " を置き換えられません: "));
}

TEST_F(FileTest, FoldersAndMissingFiles) {
  const std::string sub = Path("temp");
  EXPECT_FALSE(FolderExists(sub));
  EXPECT_TRUE(CreateFolder(sub).ok());
  EXPECT_TRUE(CreateFolder(sub).ok());  // existing folder is fine
  EXPECT_TRUE(FolderExists(sub));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_TRUE(IsFolderWritable(sub));
  EXPECT_TRUE(ListFolder(sub)->empty());  // the probe is gone
  EXPECT_TRUE(RemoveFile(JoinPath(sub, "none")).ok());
  auto missing = ReadFileBytes(JoinPath(sub, "none"));
  EXPECT_EQ(missing.code(), ErrorCode::kNotFound);
  EXPECT_EQ(missing.message(), JoinPath(sub, "none") + " が見つかりません");
  auto folder = ReadFileBytes(sub);
  EXPECT_EQ(folder.code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(folder.message(), sub + " はフォルダーです（ファイルを指定してください）");
  const Status nested = CreateFolder(JoinPath(JoinPath(sub, "x"), "y"));
  EXPECT_FALSE(nested.ok());
  EXPECT_TRUE(Contains(nested.message(), "を作成できません: ")) << nested.message();
}

TEST_F(FileTest, SizeLimitRefusesBeforeReading) {
  const uint64_t limit = 3 * 1024 * 1024;
  ASSERT_TRUE(WriteFileAtomic(Path("at"), std::string(limit, 'a')).ok());
  ASSERT_TRUE(WriteFileAtomic(Path("over"), std::string(limit + 1, 'a')).ok());
  ASSERT_TRUE(WriteFileAtomic(Path("empty"), "").ok());
  EXPECT_EQ(ReadFileBytes(Path("at"), limit)->size(), limit);
  EXPECT_EQ(ReadFileBytes(Path("empty"), 0)->size(), 0u);
  auto over = ReadFileBytes(Path("over"), limit);
  EXPECT_EQ(over.code(), ErrorCode::kOverflow);
  EXPECT_EQ(over.message(),
            Path("over") + " は大きすぎるため読み込みません（3.1 MiB。上限は 3 MiB です）");
  auto half = ReadFileBytes(Path("at"), limit / 2 * 3 / 2);
  EXPECT_TRUE(Contains(half.message(), "上限は 2.2 MiB です")) << half.message();
  EXPECT_EQ(ReadFileBytes(Path("over"))->size(), limit + 1);  // no limit by default
}

TEST_F(FileTest, InputKinds) {
  ASSERT_TRUE(WriteFileAtomic(Path("doc.idml"), "x").ok());
  EXPECT_EQ(*CheckInputPath(Path("doc.idml")), PathKind::kFile);
  EXPECT_EQ(*CheckInputPath(dir_), PathKind::kFolder);
  auto missing = CheckInputPath(Path("none.idml"));
  EXPECT_EQ(missing.code(), ErrorCode::kNotFound);
  EXPECT_EQ(missing.message(), Path("none.idml") + " が見つかりません");
}

#ifndef _WIN32
// A FIFO with no writer would block an ordinary open for reading forever; the check and the
// read answer at once.
TEST_F(FileTest, NamedPipeIsRefusedWithoutBlocking) {
  const std::string fifo = Path("Keyword.xls");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto kind = CheckInputPath(fifo);
  EXPECT_EQ(kind.code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(kind.message(), fifo + " は通常のファイルではありません（名前付きパイプ）");
  auto bytes = ReadFileBytes(fifo);
  EXPECT_EQ(bytes.code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(bytes.message(), kind.message());
  EXPECT_FALSE(FileExists(fifo));
}

TEST_F(FileTest, DevicesAndBrokenLinksAreRefused) {
  auto device = ReadFileBytes("/dev/null");
  EXPECT_EQ(device.message(), "/dev/null は通常のファイルではありません（デバイス）");
  EXPECT_EQ(CheckInputPath("/dev/zero").message(),
            "/dev/zero は通常のファイルではありません（デバイス）");
  const std::string link = Path("dangling");
  ASSERT_EQ(symlink(Path("gone").c_str(), link.c_str()), 0);
  EXPECT_EQ(CheckInputPath(link).message(),
            link + " が見つかりません: シンボリックリンクのリンク先がありません");
}
#else
TEST_F(FileTest, DevicesAreRefused) {
  auto device = CheckInputPath("NUL");
  EXPECT_EQ(device.code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(device.message(), "NUL は通常のファイルではありません（デバイス）");
  EXPECT_FALSE(ReadFileBytes("NUL").ok());
}
#endif

TEST_F(FileTest, SameFileInAnySpelling) {
  ASSERT_TRUE(CreateFolder(Path("sub")).ok());
  ASSERT_TRUE(WriteFileAtomic(Path("Razoza.xls"), "x").ok());
  ASSERT_TRUE(WriteFileAtomic(Path("other.xls"), "x").ok());
  const std::string file = Path("Razoza.xls");
  const std::string via_dots = JoinPath(JoinPath(JoinPath(dir_, "sub"), ".."), "Razoza.xls");
  const std::string via_dot = JoinPath(JoinPath(dir_, "."), "Razoza.xls");
  std::error_code ec;
  fs::create_hard_link(U8(file), U8(Path("hard.xls")), ec);
  const bool hard_links = !ec;
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {
      {file, file, true},
      {file, via_dots, true},
      {file, via_dot, true},
      {file, Path("other.xls"), false},
      {dir_, JoinPath(dir_, "sub/.."), true},
      {file, Path("missing.xls"), false},
      {Path("missing.xls"), Path("none.xls"), false},
      // Neither there: the same place by its spelling.
      {Path("missing.xls"), JoinPath(JoinPath(Path("sub"), ".."), "missing.xls"), true},
      {file, dir_, false},
  };
  for (const auto& c : cases) EXPECT_EQ(SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
  if (hard_links) {
    EXPECT_TRUE(SameFile(file, Path("hard.xls")));
  }

  // Relative spelling from the current folder.
  const fs::path cwd = fs::current_path();
  fs::current_path(U8(dir_));
  EXPECT_TRUE(SameFile("Razoza.xls", file));
  EXPECT_TRUE(SameFile("./sub/../Razoza.xls", file));
  EXPECT_FALSE(SameFile("other.xls", file));
  fs::current_path(cwd);
}

#ifndef _WIN32
TEST_F(FileTest, SameFileThroughLinks) {
  const std::string file = Path("Razoza.xls");
  ASSERT_TRUE(WriteFileAtomic(file, "x").ok());
  ASSERT_EQ(symlink(file.c_str(), Path("soft.xls").c_str()), 0);
  ASSERT_EQ(link(file.c_str(), Path("hard.xls").c_str()), 0);
  ASSERT_EQ(symlink(dir_.c_str(), Path("folder-link").c_str()), 0);
  EXPECT_TRUE(SameFile(file, Path("soft.xls")));
  EXPECT_TRUE(SameFile(Path("hard.xls"), file));
  EXPECT_TRUE(SameFile(JoinPath(Path("folder-link"), "Razoza.xls"), file));
  EXPECT_TRUE(SameFile(Path("soft.xls"), Path("hard.xls")));
}
#else
// The names of the files (not folders) in `folder`, sorted; one "(…)" entry when it cannot be
// listed.
std::vector<std::string> FileNamesIn(const std::string& folder) {
  auto entries = ListFolder(folder);
  if (!entries.ok()) return {"(" + entries.message() + ")"};
  std::vector<std::string> files;
  for (const FolderEntry& e : *entries) {
    if (e.kind == PathKind::kFile) files.push_back(e.name);
  }
  return files;
}

TEST_F(FileTest, SameFileIgnoresLetterCaseAndSlashes) {
  const std::string file = Path("Razoza.xls");
  ASSERT_TRUE(WriteFileAtomic(file, "x").ok());
  std::string upper = file;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string slashes = file;
  for (char& c : slashes) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(SameFile(upper, file)) << upper;
  EXPECT_TRUE(SameFile(slashes, file)) << slashes;
  EXPECT_TRUE(SameFile("\\\\?\\" + AbsolutePath(file), file));
}

// Every spelling a user may give on Windows reaches the file: forward and mixed slashes,
// Japanese names with spaces, "..", relative and drive-relative forms, the "\\?\" prefix,
// and folders past the 260 characters of the plain API. Each is created, replaced
// atomically, read, checked, listed, compared with its plain spelling and removed.
TEST_F(FileTest, WindowsSpellingsReachTheFile) {
  const std::string japanese = Path("索引 データ");
  ASSERT_TRUE(CreateFolder(japanese).ok());
  std::string long_folder = japanese;
  for (int i = 0; i < 5; ++i) {
    long_folder = JoinPath(long_folder, std::string(50, static_cast<char>('a' + i)) + " 索引");
    ASSERT_TRUE(CreateFolder(long_folder).ok()) << long_folder;
  }
  ASSERT_GT(long_folder.size(), 300u);
  const auto slashes = [](std::string path) {
    for (char& c : path) c = c == '\\' ? '/' : c;
    return path;
  };
  const std::string drive = dir_.substr(0, 2);
  ASSERT_EQ(drive[1], ':') << dir_;
  const fs::path cwd = fs::current_path();
  fs::current_path(U8(dir_));
  const struct {
    std::string path;    // as the user gives it
    std::string folder;  // plain spelling of its folder
    std::string name;
  } cases[] = {
      {JoinPath(japanese, "ルビ 付き.txt"), japanese, "ルビ 付き.txt"},
      {slashes(JoinPath(japanese, "a.txt")), japanese, "a.txt"},
      {dir_ + "/索引 データ\\b.txt", japanese, "b.txt"},
      {JoinPath(Path(".."), FileName(dir_) + "/索引 データ/c.txt"), japanese, "c.txt"},
      {"索引 データ\\d.txt", japanese, "d.txt"},
      {"./索引 データ/../索引 データ/e.txt", japanese, "e.txt"},
      {drive + "索引 データ\\f.txt", japanese, "f.txt"},  // drive C's current folder
      {"\\\\?\\" + JoinPath(japanese, "g.txt"), japanese, "g.txt"},
      {JoinPath(long_folder, "長い 名前.xls"), long_folder, "長い 名前.xls"},
      {slashes(JoinPath(long_folder, "h.txt")), long_folder, "h.txt"},
      {JoinPath(JoinPath(long_folder, ".."), FileName(long_folder) + "/i.txt"), long_folder,
       "i.txt"},
      {"索引 データ/" + long_folder.substr(japanese.size() + 1) + "\\j.txt", long_folder, "j.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string plain = JoinPath(c.folder, c.name);
    ASSERT_TRUE(WriteFileAtomic(c.path, "first").ok());
    const Status again = WriteFileAtomic(c.path, "second");
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_EQ(*ReadFileBytes(c.path), "second");
    EXPECT_EQ(*ReadFileBytes(plain), "second");
    EXPECT_EQ(*CheckInputPath(c.path), PathKind::kFile);
    EXPECT_TRUE(FileExists(c.path));
    EXPECT_TRUE(SameFile(c.path, plain));
    EXPECT_EQ(AbsolutePath(c.path), plain);
    EXPECT_EQ(FileNamesIn(c.folder), std::vector<std::string>{c.name});  // no temporary left
    EXPECT_TRUE(RemoveFile(c.path).ok());
    EXPECT_FALSE(FileExists(plain));
  }
  fs::current_path(cwd);
}

// A network share for the tests, and the local spelling of the same folder. Windows reaches
// its own drive C as the administrative share \\localhost\C$. Wine has no network client:
// it maps \\server\share\… to the folder dosdevices/unc/server/share of its prefix, which
// the test creates. Empty when neither is available.
struct TestShare {
  std::string unc;    // "\\localhost\share"
  std::string local;  // the same folder by its drive path
};

TestShare MakeTestShare(const std::string& dir) {
  using WineDosName = wchar_t*(CDECL*)(const char*);
  const auto dos_name = reinterpret_cast<WineDosName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (dos_name == nullptr) {
    TestShare share{"\\\\localhost\\" + dir.substr(0, 1) + "$" + dir.substr(2), dir};
    return FolderExists(share.unc) ? share : TestShare{};
  }
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  const std::string unix_prefix =
      prefix != nullptr ? prefix : std::string(home != nullptr ? home : "") + "/.wine";
  const std::string name = "mirune-" + std::to_string(GetCurrentProcessId());
  const std::string unix_share = unix_prefix + "/dosdevices/unc/localhost/" + name;
  wchar_t* wide = dos_name(unix_share.c_str());
  if (wide == nullptr) return {};
  const std::wstring local_wide(wide);
  HeapFree(GetProcessHeap(), 0, wide);
  const std::string local = FromWidePath(local_wide);
  for (const std::string& folder :
       {ParentFolder(ParentFolder(local)), ParentFolder(local), local}) {
    if (!CreateFolder(folder).ok()) return {};
  }
  return {"\\\\localhost\\" + name, local};
}

// Network paths in every spelling reach the file, past 260 characters too, and name the
// same file as the share's local path.
TEST_F(FileTest, NetworkPathsReachTheFile) {
  const TestShare share = MakeTestShare(dir_);
  if (share.unc.empty()) GTEST_SKIP() << "no network share to test with";
  const std::string unc = JoinPath(share.unc, "索引 データ");
  const std::string local = JoinPath(share.local, "索引 データ");
  ASSERT_TRUE(CreateFolder(unc).ok());
  ASSERT_TRUE(FolderExists(local));
  std::string long_unc = unc, long_local = local;
  for (int i = 0; i < 5; ++i) {
    const std::string name = std::string(50, static_cast<char>('a' + i)) + " 索引";
    long_unc = JoinPath(long_unc, name);
    long_local = JoinPath(long_local, name);
    ASSERT_TRUE(CreateFolder(long_unc).ok()) << long_unc;
  }
  ASSERT_GT(long_unc.size(), 300u);
  const auto slashes = [](std::string path) {
    for (char& c : path) c = c == '\\' ? '/' : c;
    return path;
  };
  const struct {
    std::string path;    // as the user gives it
    std::string folder;  // plain network spelling of its folder
    std::string local;   // the folder's local path
    std::string name;
  } cases[] = {
      {JoinPath(unc, "ルビ 付き.txt"), unc, local, "ルビ 付き.txt"},
      {slashes(JoinPath(unc, "a.txt")), unc, local, "a.txt"},
      {share.unc + "/索引 データ\\b.txt", unc, local, "b.txt"},
      {JoinPath(JoinPath(unc, ".."), "索引 データ/c.txt"), unc, local, "c.txt"},
      {"\\\\?\\UNC\\" + JoinPath(unc, "d.txt").substr(2), unc, local, "d.txt"},
      {JoinPath(long_unc, "長い 名前.xls"), long_unc, long_local, "長い 名前.xls"},
      {slashes(JoinPath(long_unc, "e.txt")), long_unc, long_local, "e.txt"},
      {JoinPath(JoinPath(long_unc, ".."), FileName(long_unc) + "/f.txt"), long_unc, long_local,
       "f.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string plain = JoinPath(c.folder, c.name);
    ASSERT_TRUE(WriteFileAtomic(c.path, "first").ok());
    const Status again = WriteFileAtomic(c.path, "second");
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_EQ(*ReadFileBytes(c.path), "second");
    EXPECT_EQ(*ReadFileBytes(JoinPath(c.local, c.name)), "second");
    EXPECT_EQ(*CheckInputPath(c.path), PathKind::kFile);
    EXPECT_TRUE(SameFile(c.path, plain));
    EXPECT_TRUE(SameFile(c.path, JoinPath(c.local, c.name)));
    EXPECT_FALSE(SameFile(c.path, JoinPath(c.folder, "other.txt")));
    EXPECT_EQ(AbsolutePath(c.path), plain);
    EXPECT_EQ(FileNamesIn(c.folder), std::vector<std::string>{c.name});  // no temporary left
    EXPECT_TRUE(RemoveFile(c.path).ok());
    EXPECT_FALSE(FileExists(plain));
  }
  EXPECT_EQ(AbsolutePath(share.unc + "\\"), share.unc + "\\");  // a share's root
  RemoveTree(share.local);
}

// "C:name" is in the current folder of drive C even while the current folder is on another
// drive: the temporary file is written there too, not in the process's current folder.
TEST_F(FileTest, DriveRelativePathsUseTheDrivesOwnFolder) {
  const wchar_t own = static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(dir_[0])));
  wchar_t other = 0;
  const DWORD drives = GetLogicalDrives();
  for (wchar_t d = L'C'; d <= L'Z' && other == 0; ++d) {
    const std::wstring root = std::wstring(1, d) + L":\\";
    if (d != own && (drives & (1u << (d - L'A'))) && GetDriveTypeW(root.c_str()) == DRIVE_FIXED) {
      other = d;
    }
  }
  if (other == 0) GTEST_SKIP() << "only one fixed drive";
  const std::wstring variable = std::wstring(L"=") + own + L":";
  wchar_t saved[MAX_PATH + 1];
  const DWORD saved_size = GetEnvironmentVariableW(variable.c_str(), saved, MAX_PATH + 1);
  const fs::path cwd = fs::current_path();
  // The system keeps each drive's current folder in a "=C:" variable.
  ASSERT_TRUE(SetEnvironmentVariableW(variable.c_str(), U8(dir_).wstring().c_str()));
  ASSERT_TRUE(SetCurrentDirectoryW((std::wstring(1, other) + L":\\").c_str()));
  const std::string target = std::string(1, dir_[0]) + ":索引.txt";
  const Status written = WriteFileAtomic(target, "x");
  const bool there = FileExists(Path("索引.txt"));
  const std::string parent = ParentFolder(target);
  fs::current_path(cwd);
  SetEnvironmentVariableW(variable.c_str(),
                          saved_size > 0 && saved_size <= MAX_PATH ? saved : nullptr);
  ASSERT_TRUE(written.ok()) << written.message();
  EXPECT_TRUE(there);
  EXPECT_EQ(parent, std::string(1, dir_[0]) + ":");
  EXPECT_EQ(Names(), std::vector<std::string>{"索引.txt"});
}
#endif

TEST_F(FileTest, ListFolderSortsByName) {
  for (const char* name : {"b.idml", "a.idml", "索引.idml", "C.IDML"}) {
    ASSERT_TRUE(WriteFileAtomic(Path(name), "x").ok());
  }
  ASSERT_TRUE(CreateFolder(Path("sub")).ok());
  auto entries = ListFolder(dir_);
  ASSERT_TRUE(entries.ok()) << entries.message();
  std::vector<std::string> names;
  for (const FolderEntry& e : *entries) {
    names.push_back(e.name);
    EXPECT_EQ(e.kind, e.name == "sub" ? PathKind::kFolder : PathKind::kFile) << e.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"C.IDML", "a.idml", "b.idml", "sub", "索引.idml"}));
  auto missing = ListFolder(Path("none"));
  EXPECT_EQ(missing.code(), ErrorCode::kNotFound);
  EXPECT_EQ(missing.message(), "フォルダー " + Path("none") + " が見つかりません");
  EXPECT_EQ(ListFolder(Path("a.idml")).code(), ErrorCode::kInvalidArgument);
}

TEST_F(FileTest, AbsolutePathResolvesDotsByText) {
  const fs::path cwd = fs::current_path();
  fs::current_path(U8(dir_));
  const std::string here = AbsolutePath(".");
  EXPECT_TRUE(SameFile(here, dir_)) << here;
  const struct {
    std::string in, out;
  } cases[] = {
      {"a.idml", JoinPath(here, "a.idml")},
      {"./x/../a.idml", JoinPath(here, "a.idml")},
      {"book/", JoinPath(here, "book")},
      {JoinPath(here, "b/./c"), JoinPath(JoinPath(here, "b"), "c")},
  };
  for (const auto& c : cases) EXPECT_EQ(AbsolutePath(c.in), c.out) << c.in;
  fs::current_path(cwd);
#ifndef _WIN32
  EXPECT_EQ(AbsolutePath("/.."), "/");
  EXPECT_EQ(AbsolutePath("/a//b/"), "/a/b");
#endif
}

TEST_F(FileTest, LeftoverTemporariesAreRemoved) {
  for (const char* name : {".mirune-abcdefgh.tmp", ".mirune-01234567.tmp", "Razoza.txt",
                           ".mirune-x.tmp", "Razoza.txt.tmp"}) {
    std::ofstream(U8(Path(name))) << "x";
  }
  ASSERT_TRUE(CreateFolder(Path(".mirune-zzzzzzzz.tmp")).ok());  // a folder is not ours
  auto removed = RemoveLeftoverTemporaries(dir_);
  ASSERT_TRUE(removed.ok()) << removed.message();
  EXPECT_EQ(*removed, 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{".mirune-x.tmp", ".mirune-zzzzzzzz.tmp",
                                               "Razoza.txt", "Razoza.txt.tmp"}));
  EXPECT_EQ(RemoveLeftoverTemporaries(Path("none")).code(), ErrorCode::kNotFound);
}

}  // namespace
}  // namespace mirune
