#include <ctime>
#include <string>
#include <vector>

#include "app/data_folder.h"
#include "app/diagnosis_launch.h"
#include "app/indesign_host.h"
#include "automation/com/com_diagnosis_win.h"
#include "automation/com/com_types_win.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/builder.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"
#include "extraction/page_marking.h"
#include "marking/marking_rules.h"

namespace mirune {
namespace {

// The word the find/change is tried on: it stands only in the check's own document.
constexpr char kProbeWord[] = "ミルネ動作確認語";

// The check's own document: two pages, the first page's frame ending in the word with a
// character beyond the BMP before its end (where InDesign's way of counting shows).
Result<std::string> ProbeDocument() {
  layout::DocumentBuilder b("動作確認.indd");
  const int32_t story = b.AddStory();
  const std::string first = std::string("動作確認の文書です。") + kProbeWord + "𠮷野。\r";
  b.Append(story, first);
  b.Append(story, "二ページ目です。\r");
  const int32_t page1 = b.AddPage("1");
  const int32_t page2 = b.AddPage("2");
  b.AddFrame(page1, story, static_cast<int32_t>(Utf8ToUtf32(first).size()));
  b.AddFrame(page2, story);
  MIRUNE_ASSIGN_OR_RETURN(layout::Document document, b.Build());
  return idml::WriteNewIdmlPackage(document);
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

}  // namespace

Result<DiagnosisOutcome> RunComDiagnosis(const std::string& data_dir) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string folder,
                          ChooseDataFolder(data_dir, ReadDataFolderEnvironment()));
  const std::string results = JoinPath(folder, "RazozaData");
  const std::string temp = JoinPath(folder, "temp");
  MIRUNE_RETURN_IF_ERROR(CreateFolders(results));
  MIRUNE_RETURN_IF_ERROR(CreateFolders(temp));
  MIRUNE_ASSIGN_OR_RETURN(const std::string package, ProbeDocument());
  const std::string probe_path = JoinPath(temp, "動作確認.idml");
  MIRUNE_RETURN_IF_ERROR(WriteFileAtomic(probe_path, package));

  com::ComApartment apartment;
  MIRUNE_RETURN_IF_ERROR(apartment.status());
  std::vector<com::DiagnosisSection> sections;
  com::InDesignProbe probe{InDesignProgId(), probe_path, kProbeWord, {}, {}};
  probe.search_arguments = [](const std::string& version) {
    switch (SearchCallForVersion(version)) {
      case KeywordSearchCall::kSearchFourArguments:
        return 4;
      case KeywordSearchCall::kSearchSixArguments:
        return 6;
      case KeywordSearchCall::kFindChangeText:
        break;
    }
    return 0;
  };
  probe.writes_text_contents = [](const std::string& version) {
    return WritePropertyForVersion(version) == indesign::TextProperty::kTextContents;
  };
  sections.push_back(com::DiagnoseInDesign(probe));
  sections.push_back(com::DiagnoseExcel(ExcelProgId()));
  (void)RemoveFile(probe_path);

  DiagnosisOutcome outcome;
  outcome.all_ok = true;
  for (const com::DiagnosisSection& section : sections) {
    for (const com::DiagnosisLine& line : section.lines) outcome.all_ok &= line.ok || line.covered;
  }
  outcome.report = "ミルネ 動作確認（" + Now() + "）\n" +
                   (outcome.all_ok ? std::string("ジョブが使う操作はすべて動作しました。\n")
                                   : std::string("動作しない操作があります（「失敗」の行）。\n")) +
                   "確認用の文書とブックは保存せずに閉じました。ユーザーの文書と設定は変えて"
                   "いません。\n\n" +
                   com::DiagnosisText(sections);
  // Notepad's way: UTF-8 with its mark, CR LF.
  std::string file = "\xEF\xBB\xBF";
  for (char c : outcome.report) {
    if (c == '\n') file += '\r';
    file += c;
  }
  outcome.report_path = JoinPath(results, kDiagnosisFileName);
  MIRUNE_RETURN_IF_ERROR(WriteFileAtomic(outcome.report_path, file));
  return outcome;
}

}  // namespace mirune
