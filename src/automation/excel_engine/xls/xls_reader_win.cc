// The Windows build has no .xls reader yet: libfreexl is not built for it.

#include "automation/excel_engine/xls/xls_reader.h"

namespace mirune::xls {

Result<WorkbookModel> ReadXlsFile(const std::string& path) {
  return Error{ErrorCode::kUnsupported,
               path + ": reading .xls files is not available in this Windows build yet"};
}

}  // namespace mirune::xls
