#include "extraction/working_files.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "base/file.h"
#include "base/file_set.h"
#include "base/path.h"

namespace mirune {

std::string FormatExportNumber(int64_t number) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%03lld", static_cast<long long>(number));
  return buffer;
}

std::string TagFileName(int64_t export_number) {
  return std::string(kTagFilePrefix) + FormatExportNumber(export_number) + ".txt";
}

std::string WorkDocName(int64_t export_number) {
  return std::string(kWorkDocPrefix) + FormatExportNumber(export_number) + ".doc";
}

WorkingFolders::WorkingFolders(std::string folder)
    : data_folder(std::move(folder)),
      temp(JoinPath(data_folder, kTempFolderName)),
      results(JoinPath(data_folder, kResultFolderName)),
      razoza_doc(JoinPath(results, std::string(kOutputBaseName) + ".doc")),
      razoza_txt(JoinPath(results, std::string(kOutputBaseName) + ".txt")),
      razoza_xls(JoinPath(results, std::string(kOutputBaseName) + ".xls")) {}

std::string WorkingFolders::ExportPath(int64_t export_number) const {
  return JoinPath(temp, TagFileName(export_number));
}

Status RemoveLeftoverWorkingFiles(const WorkingFolders& folders, std::vector<std::string>* notes) {
  if (FolderExists(folders.temp)) {
    MIRUNE_ASSIGN_OR_RETURN(const std::vector<FolderEntry> entries, ListFolder(folders.temp));
    for (const FolderEntry& entry : entries) {
      const bool working = entry.name.rfind(kTagFilePrefix, 0) == 0 ||
                           entry.name.rfind(kWorkDocPrefix, 0) == 0 ||
                           IsTemporaryFileName(entry.name);
      if (entry.kind == PathKind::kFile && working) {
        MIRUNE_RETURN_IF_ERROR(RemoveFile(JoinPath(folders.temp, entry.name)));
      }
    }
  }
  for (const std::string& folder : {folders.results, folders.data_folder}) {
    if (!FolderExists(folder)) continue;
    MIRUNE_ASSIGN_OR_RETURN(const SetRecovery recovery, RecoverFolder(folder));
    if (notes != nullptr) notes->insert(notes->end(), recovery.notes.begin(), recovery.notes.end());
  }
  return Status::Ok();
}

}  // namespace mirune
