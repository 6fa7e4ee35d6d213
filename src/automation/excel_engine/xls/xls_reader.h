#pragma once

// Reads an Excel 97-2003 file (.xls) into a workbook model: sheet names, order, cell values
// (text, numbers; dates and times as the text the reader gives) and the cell formats the
// engine keeps (fonts, number formats, alignment, user-set column widths). The active sheet
// is not read: the first sheet is active. Files saved by Excel, with rich text and phonetic
// runs in their strings, are read as plain text.
//
// Linux reads with libfreexl, behind a structural check by the engine's own reader
// (biff_reader.h); builds without libfreexl (Windows) read with the engine's own reader.

#include <string>

#include "automation/excel_engine/workbook_model.h"
#include "base/result.h"

namespace mirune::xls {

// kNotFound for a missing file, kFormatError for a file that is not a readable workbook
// (damaged, password-protected, not BIFF8).
Result<WorkbookModel> ReadXlsFile(const std::string& path);

}  // namespace mirune::xls
