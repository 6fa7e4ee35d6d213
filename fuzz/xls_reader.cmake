# The .xls reader path: a file from outside read into a workbook, re-sorted and written again.
mirune_fuzz(xls_reader SOURCES ${CMAKE_SOURCE_DIR}/fuzz/xls_reader_fuzz.cc DEPS mirune_workbook)
