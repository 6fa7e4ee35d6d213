#pragma once

// Test support for the Windows build, which has none of the independent .xls readers
// (python3-xlrd, libfreexl, LibreOffice): a test leaves the workbook it wrote, together
// with what each reader must read from it, in
//   <build>/xls_from_windows/<group>/<name>.xls
// and the checks xls_from_windows_check.cmake, run by CTest natively on the Linux side,
// read the very same file with those readers and compare. The expectations are computed
// by the test itself, so they are never written out twice.
//
// Files beside <name>.xls (each one only when its expectation is not empty):
//   <name>.xlrd.txt        xls_dump.py with formats
//   <name>.xlrd-cells.txt  xls_dump.py --no-formats
//   <name>.xlrd-listing.txt  tests/tools/xls_listing.py (the golden listings of the extraction)
//   <name>.freexl.txt      freexl_cells.py
//   <name>.csv.expected    LibreOffice's CSV export of the first sheet
// The expectations are written before the workbook, so a pair is never half there without
// the check noticing.

#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

struct LinuxReaderExpectations {
  std::string xlrd_dump;                // what tests/data/workbook/xls_dump.py prints
  bool xlrd_with_formats = true;        // false: read with --no-formats
  std::string xlrd_listing;             // what tests/tools/xls_listing.py prints
  std::string freexl_cells;             // what tests/data/workbook/freexl_cells.py prints
  std::string libreoffice_first_sheet;  // the CSV of the first sheet, as the check converts it
};

// <build>/xls_from_windows/<group>, created if missing.
Result<std::string> XlsFromWindowsFolder(std::string_view group);

// Writes the expectations, then copies the workbook at `xls_path` to <folder>/<name>.xls.
Status LeaveForLinuxReaders(std::string_view group, std::string_view name,
                            const std::string& xls_path, const LinuxReaderExpectations& expected);

}  // namespace mirune
