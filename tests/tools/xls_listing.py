#!/usr/bin/python3
"""Lists a workbook as python3-xlrd reads it: every sheet as "== name" and one line per row,
cells joined by TAB (numbers without a fraction as integers), trailing empty cells dropped.
    xls_listing.py WORKBOOK.xls [OUTPUT.txt]      (standard output without OUTPUT.txt)
The golden listings of the extraction tests are in this form."""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
if len(sys.argv) > 2:
    out = open(sys.argv[2], "w", encoding="utf-8", newline="\n")
else:
    sys.stdout.reconfigure(encoding="utf-8", newline="\n")
    out = sys.stdout
with out:
    for sheet in book.sheets():
        out.write("== " + sheet.name + "\n")
        for r in range(sheet.nrows):
            cells = []
            for v in sheet.row_values(r):
                if isinstance(v, float) and v == int(v):
                    v = int(v)
                cells.append(str(v))
            while cells and cells[-1] == "":
                cells.pop()
            out.write("\t".join(cells) + "\n")
