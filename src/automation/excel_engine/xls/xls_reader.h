#pragma once

// Reads an Excel 97-2003 file (.xls) into a workbook model with the engine's own reader
// (cfb_reader.h, biff_reader.h), the same in every build: sheet names, order, cell values
// (text; numbers, dates and times as their numbers; the cached results of formulas) and the
// cell formats the engine keeps (fonts, number formats, alignment, user-set column widths).
// The active sheet is not read: the first sheet is active.
//
// Failures are Japanese messages that begin with the file's name and its precise cause:
// a missing file, an empty file, an .xlsx or other file that is no .xls, a damaged compound
// file or workbook, a workbook older than Excel 97, an encrypted workbook, and a cell that
// cannot be read (named with its sheet and cell, e.g. シート「Org」のセル C12).

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/excel_engine/model/workbook_model.h"
#include "base/result.h"

namespace mirune::xls {

// The largest .xls file read: far beyond any index workbook (65,536 rows of Razoza.xls take
// some 10 MB), and what the reader can hold in memory with its model.
inline constexpr uint64_t kMaxXlsFileBytes = uint64_t{256} << 20;

// kNotFound for a missing file, kInvalidArgument for a folder, kFormatError for a file that
// is not a readable workbook (told from its first bytes, before it is read whole), kOverflow
// for a file larger than kMaxXlsFileBytes (refused before it is read).
Result<WorkbookModel> ReadXlsFile(const std::string& path);

// The bytes of an .xls file; messages name the file as `display_name`.
Result<WorkbookModel> ParseXlsBytes(std::string_view file,
                                    std::string_view display_name = "このファイル");

}  // namespace mirune::xls
