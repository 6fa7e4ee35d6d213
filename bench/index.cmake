mirune_bench(index_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/index_bench.cc DEPS mirune_index_launch mirune_excel_engine)
