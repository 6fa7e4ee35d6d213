# The Excel client across processes under Wine: the time of one call into the test server, and
# the re-sort of a 3,000-row Razoza.xls through COM beside the embedded engine (Windows build;
# run under Wine: wine64 excel_com_bench.exe).
if(WIN32)
  mirune_bench(excel_com_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/excel_com_bench_win.cc
    DEPS mirune_excel_com mirune_workbook mirune_server_process_test_support)
  add_dependencies(excel_com_bench test-excel-server)
  target_compile_definitions(excel_com_bench PRIVATE
    MIRUNE_TEST_EXCEL_SERVER="$<TARGET_FILE:test-excel-server>")
endif()
