#pragma once

// The BIFF8 records of a Workbook stream into a workbook model: worksheets (in file order,
// their names) and their cells from LABELSST, LABEL, RSTRING, NUMBER, RK, MULRK, BOOLERR
// (TRUE/FALSE and error values as text) and FORMULA (the cached result: number, text from
// the STRING record and its CONTINUE records, TRUE/FALSE, error value as text, empty); the
// formats the engine models (font name and size, number format, alignment, wrap) of cells,
// formatted empty cells and columns; column widths set by the user. Shared strings with
// rich-text runs and phonetic data, as Japanese Excel saves them, come out as plain text.
// Not read: other formats (borders, colours), charts, macro sheets (checked, not read).
//
// No cell is dropped: a cell record that cannot be read ends the reading with an error that
// names its sheet and cell. Every length and offset is checked, so a damaged or hostile
// stream fails with kFormatError and nothing else. Messages are Japanese causes written to
// follow the file's name: they begin with "は" or "の".

#include <string_view>

#include "automation/excel_engine/model/workbook_model.h"
#include "base/result.h"

namespace mirune::xls {

Result<WorkbookModel> ParseWorkbookStream(std::string_view stream);

// The cell's name as Excel shows it: row and column from 0 → "C12".
std::string CellName(uint32_t row, uint32_t column);

}  // namespace mirune::xls
