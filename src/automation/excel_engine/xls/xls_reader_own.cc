// .xls reading with the engine's own reader (builds without libfreexl).

#include "automation/excel_engine/xls/biff_reader.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"

namespace mirune::xls {

Result<WorkbookModel> ReadXlsFile(const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string bytes, ReadFileBytes(path));
  Result<WorkbookModel> model = ParseXlsBytes(bytes);
  if (!model.ok()) return Error{model.code(), path + ": " + model.message()};
  return model;
}

}  // namespace mirune::xls
