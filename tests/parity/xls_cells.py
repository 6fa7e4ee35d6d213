#!/usr/bin/python3
"""Prints every cell of every sheet of an .xls workbook, one line per cell, as python3-xlrd
reads it: sheet name, row, column, cell type and value. Two workbooks with the same lines hold
the same cells."""
import sys

import xlrd


def main():
    book = xlrd.open_workbook(sys.argv[1])
    out = []
    for sheet in book.sheets():
        out.append("sheet\t%s\t%d\t%d" % (sheet.name, sheet.nrows, sheet.ncols))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                out.append("%s\t%d\t%d\t%d\t%r" % (sheet.name, r, c, cell.ctype, cell.value))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
