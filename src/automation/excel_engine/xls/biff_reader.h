#pragma once

// The engine's own .xls reader: the compound file, then the BIFF8 records that carry sheet
// names and cell values. Every length and offset in the file is checked against the bytes
// that are there, so a damaged or hostile file fails with kFormatError and nothing else.
//
// Read: worksheets (in file order, their names), cells from LABELSST, LABEL, RSTRING, NUMBER,
// RK, MULRK, BOOLERR (TRUE/FALSE as text) and the cached results of FORMULA cells (numbers
// and texts); the formats the engine models (font name and size, number format, alignment,
// wrap) of cells, formatted empty cells and columns; column widths set by the user. Shared
// strings with rich-text runs and phonetic data, as Japanese Excel saves them, come out as
// plain text. Not read: other formats (borders, colours), charts, macro sheets.

#include <string>
#include <string_view>

#include "automation/excel_engine/workbook_model.h"
#include "base/result.h"

namespace mirune::xls {

// The stream `name` of a compound file (regular or mini stream).
Result<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name);

// A whole .xls file. kFormatError for anything that is not a readable BIFF8 workbook
// (damaged, password-protected, older than Excel 97).
Result<WorkbookModel> ParseXlsBytes(std::string_view file);

}  // namespace mirune::xls
