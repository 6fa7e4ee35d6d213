#include "extraction/working_files.h"

#include <cstdio>
#include <utility>

#include "base/file.h"

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

}  // namespace mirune
