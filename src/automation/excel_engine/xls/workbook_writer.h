#pragma once

// Writes a workbook model as an Excel 97-2003 file (.xls): BIFF8 records in a compound file.
//
// Globals: BOF, CODEPAGE 1200, DATEMODE, WINDOW1, FONT (0-3 the standard font, own fonts
// from index 5: index 4 does not exist in the format), FORMAT for custom number formats,
// 16 style and default XFs then one cell XF per style, STYLE, BOUNDSHEET per sheet, SST,
// EXTSST, EOF. Per sheet: BOF, DEFAULTROWHEIGHT, WSBOOL, DEFCOLWIDTH, COLINFO, DIMENSIONS,
// cells (LABELSST, RK, NUMBER, BLANK, MULBLANK), WINDOW2, EOF.

#include <string>

#include "automation/excel_engine/model/workbook_model.h"
#include "base/result.h"

namespace mirune::xls {

// The whole file. kOverflow when a sheet has more rows or columns than the format holds or a
// text is longer than 32,767 UTF-16 units.
Result<std::string> WriteXlsWorkbook(const WorkbookModel& model);

// The workbook stream alone (what the compound file wraps), for tests of the record layer.
Result<std::string> WriteWorkbookStream(const WorkbookModel& model);

}  // namespace mirune::xls
