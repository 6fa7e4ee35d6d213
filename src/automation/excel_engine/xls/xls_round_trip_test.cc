// Round trips of written workbooks through the engine's own reader (cells, widths, formats)
// and independent readers: python3-xlrd (cells, widths, formats) and, where installed,
// libfreexl (cells) and LibreOffice (the first sheet). The Windows build has none of them:
// there the tests leave each workbook with what the readers must read from it, and the
// checks excel_engine_test_xlrd, _freexl and _libreoffice read it on the Linux side.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#ifdef MIRUNE_HAVE_FREEXL
#include <freexl.h>
#endif

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/testing/xls_from_windows.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune {
namespace {

std::string TempPath(const std::string& name) {
  return JoinPath(MIRUNE_BINARY_DIR, "excel_engine_test_" + name);
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

const char* H(HorizontalAlignment h) {
  static const char* k[] = {"0", "1", "2", "3"};
  return k[static_cast<int>(h)];
}
const char* V(VerticalAlignment v) {
  static const char* k[] = {"0", "1", "2"};
  return k[static_cast<int>(v)];
}

// What xls_dump.py should print for `book`, computed through the Excel interface.
std::string ExpectedDump(const MemoryWorkbook& book, bool with_formats) {
  std::string out;
  const auto& model = book.model();
  for (int s = 1; s <= book.SheetCount(); ++s) {
    const auto& sheet = model.sheets[s - 1];
    // xlrd's size: up to the last cell record (values and formatted empty cells).
    int rows = 0, cols = 0;
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
      const auto* row = sheet.rows.Find(r);
      for (size_t c = 0; c < row->cells.size(); ++c) {
        const auto& cell = row->cells[c];
        // Without formats, xlrd skips the records of formatted empty cells.
        if (cell.type != CellType::kEmpty ||
            (with_formats && cell.style != sheet.column_styles[c])) {
          rows = std::max(rows, static_cast<int>(r + 1));
          cols = std::max(cols, static_cast<int>(c + 1));
        }
      }
    }
    out += "sheet\t" + Escape(*book.SheetName(s)) + "\t" + std::to_string(rows) + "\t" +
           std::to_string(cols) + (with_formats && book.ActiveSheet() == s ? "\tactive" : "") +
           "\n";
    for (int r = 1; r <= rows; ++r) {
      for (int c = 1; c <= cols; ++c) {
        const CellValue v = *book.GetCell(s, r, c);
        if (v.is_text()) {
          out += "cell\t" + std::to_string(r) + "\t" + std::to_string(c) + "\ts\t" +
                 Escape(v.text) + "\n";
        } else if (v.is_number()) {
          char buf[64];
          std::snprintf(buf, sizeof buf, "%.17g", v.number);
          out += "cell\t" + std::to_string(r) + "\t" + std::to_string(c) + "\tn\t" + buf + "\n";
        }
      }
    }
    if (!with_formats) continue;
    for (int c = 1; c <= kExcelMaxColumns; ++c) {
      if (sheet.widths[c - 1] < 0 && sheet.column_styles[c - 1] == 0) continue;
      out += "width\t" + std::to_string(c) + "\t" +
             std::to_string(static_cast<int>(*book.ColumnWidth(s, c) * 256 + 0.5)) + "\n";
    }
    for (int r = 1; r <= rows; ++r) {
      const auto* row = sheet.rows.Find(r - 1);
      for (int c = 1; c <= cols; ++c) {
        if (row == nullptr || static_cast<size_t>(c) > row->cells.size()) continue;
        const auto& cell = row->cells[c - 1];
        if (cell.type == CellType::kEmpty && cell.style == sheet.column_styles[c - 1]) continue;
        const CellFormat f = *book.GetFormat(s, r, c);
        out += "format\t" + std::to_string(r) + "\t" + std::to_string(c) + "\t" +
               Escape(f.font_name) + "\t" + std::to_string(f.font_height_twips) + "\t" +
               Escape(f.number_format) + "\t" + H(f.horizontal) + "\t" + V(f.vertical) + "\t" +
               (f.wrap_text ? "1" : "0") + "\n";
      }
    }
  }
  return out;
}

#ifdef _WIN32
// Leaves the workbook at `path` (named "<name>.xls") for the readers of the Linux side.
void LeaveForLinuxSide(const std::string& path, std::string_view name,
                       const LinuxReaderExpectations& expected) {
  name.remove_suffix(4);  // ".xls"
  const Status s = LeaveForLinuxReaders("excel_engine_test", name, path, expected);
  EXPECT_TRUE(s.ok()) << s.message();
}
#else
bool HaveXlrd() { return std::system("/usr/bin/python3 -c 'import xlrd' >/dev/null 2>&1") == 0; }

std::string XlrdDump(const std::string& path, bool with_formats) {
  std::string command = "/usr/bin/python3 '" MIRUNE_SOURCE_DIR
                        "/tests/data/workbook/xls_dump.py' '" +
                        path + "'" + (with_formats ? "" : " --no-formats");
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "popen failed";
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  if (pclose(pipe) != 0) out += "\n(xls_dump.py failed)";
  return out;
}
#endif

void ExpectXlrdRoundTrip(const MemoryWorkbook& book, const std::string& name,
                         bool with_formats = true) {
  const std::string path = TempPath(name);
  ASSERT_TRUE(const_cast<MemoryWorkbook&>(book).SaveAs(path).ok());
#ifdef _WIN32
  LinuxReaderExpectations expected;
  expected.xlrd_dump = ExpectedDump(book, with_formats);
  expected.xlrd_with_formats = with_formats;
  LeaveForLinuxSide(path, name, expected);
#else
  if (!HaveXlrd()) GTEST_SKIP() << "python3-xlrd is not available";
  EXPECT_EQ(XlrdDump(path, with_formats), ExpectedDump(book, with_formats));
#endif
}

void ExpectSameCells(const MemoryWorkbook& back, const MemoryWorkbook& book) {
  ASSERT_EQ(back.SheetCount(), book.SheetCount());
  for (int s = 1; s <= book.SheetCount(); ++s) {
    EXPECT_EQ(*back.SheetName(s), *book.SheetName(s));
    const int last = *book.LastFilledRow(s);
    ASSERT_EQ(*back.LastFilledRow(s), last) << "sheet " << s;
    for (int r = 1; r <= last; ++r) {
      for (int c = 1; c <= 30; ++c) {
        ASSERT_EQ(*back.GetCell(s, r, c), *book.GetCell(s, r, c))
            << "sheet " << s << " row " << r << " column " << c;
      }
    }
  }
}

// Widths and the format of every stored cell, as the engine's own reader reads them back.
void ExpectSameFormats(const MemoryWorkbook& back, const MemoryWorkbook& book) {
  for (int s = 1; s <= book.SheetCount(); ++s) {
    for (int c = 1; c <= kExcelMaxColumns; ++c) {
      ASSERT_EQ(*back.ColumnWidth(s, c), *book.ColumnWidth(s, c))
          << "sheet " << s << " column " << c;
    }
    const auto& sheet = book.model().sheets[s - 1];
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
      const auto* row = sheet.rows.Find(r);
      for (size_t c = 0; c < row->cells.size(); ++c) {
        const int rr = static_cast<int>(r + 1), cc = static_cast<int>(c + 1);
        ASSERT_EQ(*back.GetFormat(s, rr, cc), *book.GetFormat(s, rr, cc))
            << "sheet " << s << " row " << rr << " column " << cc;
      }
    }
  }
}

#ifdef MIRUNE_HAVE_FREEXL
// The values of every worksheet as libfreexl reads them, one line per cell ("A1\tvalue");
// a failure as its code.
std::string FreexlCells(const std::string& path) {
  const void* xls = nullptr;
  if (freexl_open(path.c_str(), &xls) != FREEXL_OK || xls == nullptr) {
    if (xls != nullptr) freexl_close(xls);
    return "freexl_open failed";
  }
  std::string out;
  unsigned int sheets = 0;
  freexl_get_info(xls, FREEXL_BIFF_SHEET_COUNT, &sheets);
  for (unsigned short s = 0; s < sheets; ++s) {
    const char* name = nullptr;
    freexl_get_worksheet_name(xls, s, &name);
    freexl_select_active_worksheet(xls, s);
    out += std::string("sheet\t") + (name ? name : "?") + "\n";
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(xls, &rows, &columns);
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(xls, r, c, &value) != FREEXL_OK) {
          out += "unreadable cell\n";
          continue;
        }
        CellValue v;
        if (value.type == FREEXL_CELL_INT) v = CellValue::Number(value.value.int_value);
        if (value.type == FREEXL_CELL_DOUBLE) v = CellValue::Number(value.value.double_value);
        if ((value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT) &&
            value.value.text_value != nullptr) {
          v = CellValue::Text(value.value.text_value);
        }
        if (v.is_empty()) continue;
        out += std::to_string(r + 1) + "," + std::to_string(c + 1) + "\t" + v.AsText() + "\n";
      }
    }
  }
  freexl_close(xls);
  return out;
}
#endif

#if defined(MIRUNE_HAVE_FREEXL) || defined(_WIN32)
// The listing FreexlCells (and freexl_cells.py on the Linux side) makes, from the workbook
// itself.
std::string ExpectedCells(const MemoryWorkbook& book) {
  std::string out;
  for (int s = 1; s <= book.SheetCount(); ++s) {
    out += "sheet\t" + *book.SheetName(s) + "\n";
    const int rows = *book.LastFilledRow(s);
    for (int r = 1; r <= rows; ++r) {
      for (int c = 1; c <= kExcelMaxColumns; ++c) {
        const CellValue v = *book.GetCell(s, r, c);
        if (v.is_empty()) continue;
        out += std::to_string(r) + "," + std::to_string(c) + "\t" + v.AsText() + "\n";
      }
    }
  }
  return out;
}
#endif

// Through the engine's own reader (from the file and from the bytes) and, where installed,
// libfreexl (in the Windows build, on the Linux side).
void ExpectFreexlRoundTrip(MemoryWorkbook& book, const std::string& name) {
  const std::string path = TempPath(name);
  ASSERT_TRUE(book.SaveAs(path).ok());
  auto read = OpenXlsWorkbook(path);
  ASSERT_TRUE(read.ok()) << read.message();
  ExpectSameCells(**read, book);
  ExpectSameFormats(**read, book);
  auto bytes = book.ToXlsBytes();
  ASSERT_TRUE(bytes.ok());
  auto own = xls::ParseXlsBytes(*bytes);
  ASSERT_TRUE(own.ok()) << own.message();
  const MemoryWorkbook own_book(std::move(*own));
  ExpectSameCells(own_book, book);
  ExpectSameFormats(own_book, book);
#ifdef MIRUNE_HAVE_FREEXL
  EXPECT_EQ(FreexlCells(path), ExpectedCells(book));
#endif
#ifdef _WIN32
  LinuxReaderExpectations expected;
  expected.freexl_cells = ExpectedCells(book);
  LeaveForLinuxSide(path, name, expected);
#endif
}

MemoryWorkbook SmallFormattedBook() {
  MemoryWorkbook book;
  EXPECT_TRUE(book.RenameSheet(1, "Org").ok());
  EXPECT_TRUE(book.SetCell(1, 1, 1, CellValue::Text("索引")).ok());
  EXPECT_TRUE(book.SetCell(1, 1, 2, CellValue::Text("さくいん")).ok());
  EXPECT_TRUE(book.SetCell(1, 1, 3, CellValue::Number(12)).ok());
  EXPECT_TRUE(book.SetCell(1, 2, 1, CellValue::Text("123")).ok());  // text that looks numeric
  EXPECT_TRUE(book.SetCell(1, 2, 3, CellValue::Number(1.25)).ok());
  EXPECT_TRUE(book.SetCell(1, 3, 3, CellValue::Number(1e12)).ok());  // too big for RK
  EXPECT_TRUE(book.SetCell(1, 3, 1, CellValue::Text("Tab\there")).ok());
  EXPECT_TRUE(book.SetColumnWidth(1, 1, 1, 30).ok());
  EXPECT_TRUE(book.SetColumnWidth(1, 2, 2, 40).ok());
  EXPECT_TRUE(book.SetColumnWidth(1, 3, 26, 4).ok());
  EXPECT_TRUE(book.SetFontName(1, CellRange::Columns(1, 3), "ＭＳ 明朝").ok());
  EXPECT_TRUE(book.CopyFormat(1, 1, 1, CellRange::Area(1, 2, 3, 26)).ok());
  EXPECT_TRUE(book.SetAlignment(1, CellRange::Columns(1, 2),
                                {std::nullopt, VerticalAlignment::kCenter, std::nullopt})
                  .ok());
  EXPECT_TRUE(book.SetNumberFormat(1, CellRange::Area(1, 3, 3, 26), "@").ok());
  EXPECT_TRUE(book.SetNumberFormat(1, CellRange::Cell(2, 5), "0.000").ok());  // custom
  EXPECT_TRUE(book.SetAlignment(1, CellRange::Cell(2, 6),
                                {HorizontalAlignment::kRight, VerticalAlignment::kTop, true})
                  .ok());
  EXPECT_TRUE(book.AddSheet("Empty").ok());
  EXPECT_TRUE(book.AddSheet("三枚目").ok());
  EXPECT_TRUE(book.SetCell(3, 5, 2, CellValue::Text("x")).ok());
  EXPECT_TRUE(book.ActivateSheet(3).ok());
  return book;
}

TEST(XlsRoundTripTest, XlrdReadsCellsWidthsAndFormats) {
  MemoryWorkbook book = SmallFormattedBook();
  ExpectXlrdRoundTrip(book, "small.xls");
}

TEST(XlsRoundTripTest, FreexlReadsCells) {
  MemoryWorkbook book = SmallFormattedBook();
  ExpectFreexlRoundTrip(book, "small_freexl.xls");
}

std::string Repeat(std::string_view c, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += c;
  return s;
}

// LibreOffice, where installed, reads the same text (its CSV export of the first sheet).
TEST(XlsRoundTripTest, LibreOfficeReadsTheFirstSheet) {
  const std::string expected_csv = "索引,さくいん,12\n𠮷野,,\n";
#ifndef _WIN32
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
#endif
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text("索引")).ok());
  ASSERT_TRUE(book.SetCell(1, 1, 2, CellValue::Text("さくいん")).ok());
  ASSERT_TRUE(book.SetCell(1, 1, 3, CellValue::Number(12)).ok());
  ASSERT_TRUE(book.SetCell(1, 2, 1, CellValue::Text("𠮷野")).ok());
  const std::string path = TempPath("lo.xls");
  ASSERT_TRUE(book.SaveAs(path).ok());
#ifdef _WIN32
  LinuxReaderExpectations expected;
  expected.libreoffice_first_sheet = expected_csv;
  LeaveForLinuxSide(path, "lo.xls", expected);
#else
  const std::string out_dir = TempPath("lo_csv");
  const std::string command =
      "soffice '-env:UserInstallation=file://" + TempPath("lo_profile") +
      "' --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" + out_dir +
      "' '" + path + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  auto csv = ReadFileBytes(JoinPath(out_dir, "excel_engine_test_lo.csv"));
  ASSERT_TRUE(csv.ok()) << csv.message();
  EXPECT_EQ(*csv, expected_csv);
#endif
}

// Texts that cross CONTINUE records and characters outside the Basic Multilingual Plane.
TEST(XlsRoundTripTest, LongTextsAndSurrogatePairs) {
  MemoryWorkbook book;
  const std::string texts[] = {
      "𠮷野家",
      "😀 emoji",
      Repeat("索引", 1500),                         // 3,000 units: crosses one record boundary
      std::string("x").append(Repeat("𩸽", 1800)),  // pairs near a boundary
      Repeat("a", 4000),                            // compressed
      "ａｂｃ\tab",
  };
  int row = 1;
  for (const std::string& t : texts) {
    for (int k = 0; k < 3; ++k) {  // several copies shift later strings across boundaries
      ASSERT_TRUE(book.SetCell(1, row, 1, CellValue::Text(t + std::to_string(k))).ok());
      ASSERT_TRUE(book.SetCell(1, row, 2, CellValue::Number(row)).ok());
      ++row;
    }
  }
  ExpectFreexlRoundTrip(book, "long_freexl.xls");
  ExpectXlrdRoundTrip(book, "long_xlrd.xls");
}

// A string spanning three records: the engine's own reader and xlrd (libfreexl truncates
// such strings or refuses the workbook).
TEST(XlsRoundTripTest, TextSpanningThreeRecords) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text(Repeat("読み𠮷", 3000))).ok());
  ASSERT_TRUE(book.SetCell(1, 2, 1, CellValue::Text("after")).ok());
  const std::string path = TempPath("three_records_own.xls");
  ASSERT_TRUE(book.SaveAs(path).ok());
  auto read = OpenXlsWorkbook(path);
  ASSERT_TRUE(read.ok()) << read.message();
  ExpectSameCells(**read, book);
  ExpectXlrdRoundTrip(book, "three_records.xls");
}

// Three sheets of 65,536 formatted rows: the largest workbook the program writes, past the
// size where the compound file needs DIFAT sectors.
TEST(XlsRoundTripTest, FullSheetsWithDifat) {
  MemoryWorkbook book;
  for (int r = 1; r <= kExcelMaxRows; ++r) {
    ASSERT_TRUE(book.SetCell(1, r, 1, CellValue::Text("語" + std::to_string(r % 20000))).ok());
    ASSERT_TRUE(book.SetCell(1, r, 2, CellValue::Text("ご" + std::to_string(r))).ok());
    ASSERT_TRUE(book.SetCell(1, r, 3, CellValue::Number(r % 9999 + 1)).ok());
  }
  ASSERT_TRUE(book.SetFontName(1, CellRange::Columns(1, 3), "ＭＳ 明朝").ok());
  ASSERT_TRUE(book.CopyFormat(1, 1, 1, CellRange::Area(1, 2, kExcelMaxRows, 26)).ok());
  ASSERT_TRUE(book.CopySheet(1, 1).ok());
  ASSERT_TRUE(book.CopySheet(2, 2).ok());
  auto bytes = book.ToXlsBytes();
  ASSERT_TRUE(bytes.ok());
  EXPECT_GT(bytes->size(), 109u * 128 * 512);  // needs a DIFAT
  ExpectFreexlRoundTrip(book, "full_freexl.xls");
  ExpectXlrdRoundTrip(book, "full_xlrd.xls", /*with_formats=*/false);
}

}  // namespace
}  // namespace mirune
