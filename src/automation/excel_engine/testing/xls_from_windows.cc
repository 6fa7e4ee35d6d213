#include "automation/excel_engine/testing/xls_from_windows.h"

#include "base/file.h"
#include "base/path.h"

namespace mirune {

Result<std::string> XlsFromWindowsFolder(std::string_view group) {
  const std::string top = JoinPath(MIRUNE_BINARY_DIR, "xls_from_windows");
  if (Status s = CreateFolder(top); !s.ok()) return s.error();
  const std::string folder = JoinPath(top, std::string(group));
  if (Status s = CreateFolder(folder); !s.ok()) return s.error();
  return folder;
}

Status LeaveForLinuxReaders(std::string_view group, std::string_view name,
                            const std::string& xls_path, const LinuxReaderExpectations& expected) {
  auto folder = XlsFromWindowsFolder(group);
  if (!folder.ok()) return folder.error();
  const std::string base = JoinPath(*folder, std::string(name));
  struct Expectation {
    const char* suffix;
    const std::string* text;
  };
  const Expectation files[] = {
      {expected.xlrd_with_formats ? ".xlrd.txt" : ".xlrd-cells.txt", &expected.xlrd_dump},
      {".xlrd-listing.txt", &expected.xlrd_listing},
      {".freexl.txt", &expected.freexl_cells},
      {".csv.expected", &expected.libreoffice_first_sheet},
  };
  for (const Expectation& e : files) {
    if (e.text->empty()) continue;
    if (Status s = WriteFileAtomic(base + e.suffix, *e.text); !s.ok()) return s;
  }
  auto bytes = ReadFileBytes(xls_path);
  if (!bytes.ok()) return bytes.error();
  return WriteFileAtomic(base + ".xls", *bytes);
}

}  // namespace mirune
