#!/usr/bin/python3
"""Dumps an .xls workbook as lines of text through xlrd, an independent reader, for the
round-trip tests of the workbook writer.

Usage: xls_dump.py FILE.xls [--no-formats]

Lines (fields separated by TAB, texts with TAB, CR, LF and backslash escaped as \\t \\r \\n \\\\):
  sheet  NAME  ROWS  COLUMNS  [active]
  cell   ROW  COLUMN  s TEXT | n NUMBER(%.17g)          (1-based, non-empty cells only)
  width  COLUMN  WIDTH_IN_1/256                          (with formats)
  format ROW  COLUMN  FONT  HEIGHT  NUMBER_FORMAT  H  V  WRAP   (with formats, every cell
         record including formatted empty ones; H 0 general 1 left 2 centre 3 right,
         V 0 top 1 centre 2 bottom)
"""
import sys

import xlrd


def esc(s):
    return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def main():
    path = sys.argv[1]
    with_formats = "--no-formats" not in sys.argv
    book = xlrd.open_workbook(path, formatting_info=with_formats)
    out = []

    def fmt_of(xf_index):
        xf = book.xf_list[xf_index]
        font = book.font_list[xf.font_index]
        fmt = book.format_map.get(xf.format_key)
        code = fmt.format_str if fmt else "?"
        return "%s\t%d\t%s\t%d\t%d\t%d" % (esc(font.name), font.height, esc(code),
                                           xf.alignment.hor_align, xf.alignment.vert_align,
                                           xf.alignment.text_wrapped)

    for sheet in book.sheets():
        active = with_formats and sheet.sheet_selected
        out.append("sheet\t%s\t%d\t%d%s" % (esc(sheet.name), sheet.nrows, sheet.ncols,
                                            "\tactive" if active else ""))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    out.append("cell\t%d\t%d\ts\t%s" % (r + 1, c + 1, esc(cell.value)))
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    out.append("cell\t%d\t%d\tn\t%.17g" % (r + 1, c + 1, cell.value))
        if with_formats:
            for c in sorted(sheet.colinfo_map):
                out.append("width\t%d\t%d" % (c + 1, sheet.colinfo_map[c].width))
            for r in range(sheet.nrows):
                for c in range(sheet.ncols):
                    cell = sheet.cell(r, c)
                    if cell.ctype == xlrd.XL_CELL_EMPTY:
                        continue  # no record of its own
                    out.append("format\t%d\t%d\t%s" % (r + 1, c + 1, fmt_of(cell.xf_index)))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
