mirune_bench(collation_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/collation_bench.cc
             DEPS mirune_excel_engine)
if(MIRUNE_HAVE_ICU)
  target_link_libraries(collation_bench PRIVATE PkgConfig::ICU)
  target_compile_definitions(collation_bench PRIVATE MIRUNE_HAVE_ICU=1)
endif()
