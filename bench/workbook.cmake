mirune_bench(workbook_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/workbook_bench.cc DEPS mirune_workbook)
