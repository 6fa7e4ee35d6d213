#include "gui/stored_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "desktop/desktop.h"
#include "gui/drive_change.h"
#include "gui/file_pattern.h"

namespace mirune {
namespace {

class FakeStore : public SettingsStore {
 public:
  Result<std::string> Get(std::string_view key) override {
    auto it = values.find(std::string(key));
    return it == values.end() ? std::string() : it->second;
  }
  Status Set(std::string_view key, std::string_view value) override {
    writes.push_back(std::string(key) + "=" + std::string(value));
    values[std::string(key)] = std::string(value);
    return Status::Ok();
  }
  Result<bool> HasAnyValue() override { return !values.empty(); }

  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// The controls as the window applies them; drives and folders outside `existing` fail.
class FakeControls : public SelectionControls {
 public:
  Status SetDrive(std::string_view drive) override {
    calls.push_back("drive " + std::string(drive));
    if (!Exists(drive)) return Status(ErrorCode::kNotFound, "no drive");
    drive_ = drive;
    return Status::Ok();
  }
  Status SetFolder(std::string_view folder) override {
    calls.push_back("folder " + std::string(folder));
    if (!Exists(folder)) return Status(ErrorCode::kNotFound, "no folder");
    folder_ = folder;
    return Status::Ok();
  }
  Status SetFilterText(std::string_view text) override {
    filter_ = text;
    return Status::Ok();
  }
  void SetKeepFolder(bool keep) override { keep_ = keep; }

  bool Exists(std::string_view path) const {
    std::string lower(path);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return existing.count(lower) > 0;
  }

  std::set<std::string> existing = {"c:", "c:\\", "d:", "d:\\", "d:\\books"};
  std::vector<std::string> calls;
  std::string drive_, folder_, filter_;
  bool keep_ = false;
};

TEST(StoredSettingsTest, FirstRunWritesDefaultsInOrderThenRestoresThem) {
  FakeStore store;
  WriteFirstRunDefaults(store);
  EXPECT_EQ(store.writes, (std::vector<std::string>{"ResumeFolder=1", "DriveName=C:",
                                                    "DirName=C:\\", "File_Item=*.indd"}));
  FakeControls controls;
  RestoreSelection(store, controls);
  EXPECT_EQ(controls.drive_, "C:");
  EXPECT_EQ(controls.folder_, "C:\\");
  EXPECT_EQ(controls.filter_, "*.indd");
  EXPECT_TRUE(controls.keep_);
}

// Without InDesign the first list shows IDML files; the stored setting wins afterwards.
TEST(StoredSettingsTest, FirstRunWithoutInDesignFiltersIdml) {
  FakeStore store;
  WriteFirstRunDefaults(store, /*indesign_installed=*/false);
  EXPECT_EQ(store.writes.back(), "File_Item=" + std::string(kFilterItemIdml));
  FakeControls controls;
  RestoreSelection(store, controls);
  EXPECT_EQ(controls.filter_, kFilterItemIdml);
  store.values["File_Item"] = "*.indd";
  store.writes.clear();
  WriteFirstRunDefaults(store, false);
  EXPECT_TRUE(store.writes.empty());
  RestoreSelection(store, controls);
  EXPECT_EQ(controls.filter_, "*.indd");
}

TEST(StoredSettingsTest, DefaultsOnlyIntoAnEmptySection) {
  for (bool indesign : {true, false}) {
    FakeStore store;
    store.values["ResumeFolder"] = "0";
    WriteFirstRunDefaults(store, indesign);
    EXPECT_TRUE(store.writes.empty());
  }
}

// What a stored selection restores: the drive, the folder, the filter text and the box.
TEST(StoredSettingsTest, RestoreAndItsFallbacks) {
  struct Case {
    const char *resume, *drive, *folder;
    std::string_view drive_set, folder_set, filter_set;
    bool keep;
  } cases[] = {
      {"1", "D:", "D:\\books", "D:", "D:\\books", "*.txt", true},
      // A folder that is gone: drive C, the box ticked; the restore goes on after the
      // fallback, so the stored filter text is the last assignment.
      {"1", "D:", "D:\\gone", "c:", "c:\\", "*.txt", true},
      // A drive that is missing falls back, and the folder step still runs.
      {"1", "Q:", "D:\\books", "c:", "D:\\books", "*.txt", true},
      // Any ResumeFolder but "1": everything falls back, with the box cleared.
      {"0", "D:", "D:\\books", "c:", "c:\\", kFilterItemIndd, false},
      {"", "D:", "D:\\books", "c:", "c:\\", kFilterItemIndd, false},
      {"yes", "D:", "D:\\books", "c:", "c:\\", kFilterItemIndd, false},
      {" 1", "D:", "D:\\books", "c:", "c:\\", kFilterItemIndd, false},
      {"1 ", "D:", "D:\\books", "c:", "c:\\", kFilterItemIndd, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.resume) + " " + c.drive + " " + c.folder);
    FakeStore store;
    store.values = {{"ResumeFolder", c.resume},
                    {"DriveName", c.drive},
                    {"DirName", c.folder},
                    {"File_Item", "*.txt"}};
    FakeControls controls;
    RestoreSelection(store, controls);
    EXPECT_EQ(controls.drive_, c.drive_set);
    EXPECT_EQ(controls.folder_, c.folder_set);
    EXPECT_EQ(controls.filter_, c.filter_set);
    EXPECT_EQ(controls.keep_, c.keep);
  }
}

TEST(StoredSettingsTest, StoreTickedAndCleared) {
  struct Case {
    bool keep;
    std::vector<std::string> writes;
  } cases[] = {
      {true,
       {"ResumeFolder=1", "DriveName=d:", "DirName=d:\\books",
        "File_Item=*.indb; (InDesignブック)"}},
      {false, {"ResumeFolder=0", "DriveName=C:", "DirName=C:\\", "File_Item=*.indd"}},
  };
  for (const Case& c : cases) {
    FakeStore store;
    ASSERT_TRUE(
        StoreSelection(store, {"d: [データ]", "d:\\books", std::string(kFilterItemIndb), c.keep})
            .ok());
    EXPECT_EQ(store.writes, c.writes);
  }
}

TEST(StoredSettingsTest, DriveOfEntryIsTheFirstTwoCharacters) {
  EXPECT_EQ(DriveOfEntry("c: [Windows]"), "c:");
  EXPECT_EQ(DriveOfEntry("z:"), "z:");
  EXPECT_EQ(DriveOfEntry("c"), "c");
  EXPECT_EQ(DriveOfEntry(""), "");
}

struct DriveScript {
  std::vector<FolderOutcome> outcomes;  // of each set_folder in turn, then kDone
  std::vector<int> answers;             // of each question in turn
  std::vector<std::string> log;

  DriveChangeHost Host() {
    return {[this](std::string_view folder) {
              log.push_back("folder " + std::string(folder));
              if (outcomes.empty()) return FolderOutcome::kDone;
              FolderOutcome o = outcomes.front();
              outcomes.erase(outcomes.begin());
              return o;
            },
            [this](std::string_view drive) { log.push_back("drive " + std::string(drive)); },
            [this](std::string_view text, std::string_view title, int style) {
              log.push_back("ask " + std::string(title) + " " + std::to_string(style) + " " +
                            std::string(text));
              int a = answers.front();
              answers.erase(answers.begin());
              return a;
            }};
  }
};

TEST(FollowDriveTest, Cases) {
  const std::string ask = "ask エラー 21 a: ドライブにディスク又はメディアをセットして下さい";
  struct Case {
    std::vector<FolderOutcome> outcomes;
    std::vector<int> answers;
    std::vector<std::string> log;
  } cases[] = {
      {{}, {}, {"folder a:\\"}},
      {{FolderOutcome::kDeviceUnavailable},
       {kAnswerCancel},
       {"folder a:\\", ask, "drive c:", "folder c:\\"}},
      {{FolderOutcome::kDeviceUnavailable, FolderOutcome::kDeviceUnavailable},
       {kAnswerRetry, kAnswerRetry},
       {"folder a:\\", ask, "folder a:\\", ask, "folder a:\\"}},
      {{FolderOutcome::kFailed}, {}, {"folder a:\\", "drive c:", "folder c:\\"}},
      // Drive C failing too ends the handling instead of following the drive over and over.
      {{FolderOutcome::kFailed, FolderOutcome::kFailed},
       {},
       {"folder a:\\", "drive c:", "folder c:\\"}},
  };
  for (Case& c : cases) {
    DriveScript script{c.outcomes, c.answers, {}};
    FollowDrive("a: [フロッピー]", script.Host());
    EXPECT_EQ(script.log, c.log);
  }
}

}  // namespace
}  // namespace mirune
