#!/usr/bin/python3
"""Lists the values of every worksheet of an .xls workbook as libfreexl reads them, through
ctypes (Debian ships the library, libfreexl1, but no command-line reader). Used by the checks
that read the workbooks the Windows build's tests wrote.

Usage: freexl_cells.py FILE.xls
Exit status 2 when libfreexl is not installed.

Lines: "sheet\tNAME", then "ROW,COLUMN\tVALUE" for every non-empty cell (1-based), numbers
written as the engine writes CellValue::AsText (integers below 1e15 as integers, others
with %.15G); "unreadable cell" for a cell libfreexl refuses.
"""
import ctypes
import ctypes.util
import sys

FREEXL_OK = 0
FREEXL_BIFF_SHEET_COUNT = 32010
CELL_INT, CELL_DOUBLE, CELL_TEXT, CELL_SST_TEXT = 102, 103, 104, 105


class Value(ctypes.Union):
    _fields_ = [("int_value", ctypes.c_int), ("double_value", ctypes.c_double),
                ("text_value", ctypes.c_char_p)]


class CellValue(ctypes.Structure):
    _fields_ = [("type", ctypes.c_ubyte), ("value", Value)]


def as_text(number):
    if -1e15 < number < 1e15 and number == int(number):
        return "%d" % int(number)
    return "%.15G" % number


def main():
    name = ctypes.util.find_library("freexl")
    if name is None:
        sys.stderr.write("libfreexl is not installed\n")
        return 2
    lib = ctypes.CDLL(name)
    handle = ctypes.c_void_p()
    # libfreexl can report success without a handle for a workbook it cannot read.
    if lib.freexl_open(sys.argv[1].encode(), ctypes.byref(handle)) != FREEXL_OK or not handle:
        if handle:
            lib.freexl_close(handle)
        print("freexl_open failed")
        return 0
    out = []
    sheets = ctypes.c_uint()
    lib.freexl_get_info(handle, ctypes.c_ushort(FREEXL_BIFF_SHEET_COUNT), ctypes.byref(sheets))
    for s in range(sheets.value):
        sheet_name = ctypes.c_char_p()
        lib.freexl_get_worksheet_name(handle, ctypes.c_ushort(s), ctypes.byref(sheet_name))
        lib.freexl_select_active_worksheet(handle, ctypes.c_ushort(s))
        out.append("sheet\t" + (sheet_name.value.decode() if sheet_name.value else "?"))
        rows, columns = ctypes.c_uint(), ctypes.c_ushort()
        lib.freexl_worksheet_dimensions(handle, ctypes.byref(rows), ctypes.byref(columns))
        for r in range(rows.value):
            for c in range(columns.value):
                cell = CellValue()
                if lib.freexl_get_cell_value(handle, ctypes.c_uint(r), ctypes.c_ushort(c),
                                             ctypes.byref(cell)) != FREEXL_OK:
                    out.append("unreadable cell")
                    continue
                if cell.type == CELL_INT:
                    text = as_text(cell.value.int_value)
                elif cell.type == CELL_DOUBLE:
                    text = as_text(cell.value.double_value)
                elif cell.type in (CELL_TEXT, CELL_SST_TEXT) and cell.value.text_value:
                    text = cell.value.text_value.decode()
                else:
                    continue
                if text == "":
                    continue
                out.append("%d,%d\t%s" % (r + 1, c + 1, text))
    lib.freexl_close(handle)
    sys.stdout.write("".join(line + "\n" for line in out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
