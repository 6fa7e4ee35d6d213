mirune_bench(file_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/file_bench.cc DEPS mirune_base)
