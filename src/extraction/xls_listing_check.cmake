# Reads a workbook written by a test of the Windows build from the Linux side, with
# python3-xlrd, and compares the listing with its golden file (the Windows build has no xlrd).
#   cmake -DSOURCE=<repo> -DXLS=<file.xls> -DGOLDEN=<listing.txt> -P xls_listing_check.cmake
if(NOT EXISTS "${XLS}")
  message(FATAL_ERROR "${XLS} がありません（先に書き出すテストが失敗しています）")
endif()
execute_process(COMMAND /usr/bin/python3 ${SOURCE}/tests/tools/xls_listing.py ${XLS} ${XLS}.xlrd.txt
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xlrd が ${XLS} を読めません: ${err}")
endif()
file(READ ${XLS}.xlrd.txt actual)
file(READ ${GOLDEN} expected)
if(NOT actual STREQUAL expected)
  execute_process(COMMAND diff ${GOLDEN} ${XLS}.xlrd.txt OUTPUT_VARIABLE d)
  message(FATAL_ERROR "${XLS} のセルが ${GOLDEN} と違います:\n${d}")
endif()
