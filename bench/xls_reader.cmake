mirune_bench(xls_reader_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/xls_reader_bench.cc
             DEPS mirune_excel_engine)
if(MIRUNE_HAVE_FREEXL)
  target_link_libraries(xls_reader_bench PRIVATE PkgConfig::FREEXL)
  target_compile_definitions(xls_reader_bench PRIVATE MIRUNE_HAVE_FREEXL=1)
endif()
