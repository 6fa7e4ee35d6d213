mirune_bench(marking_bench
  SOURCES ${CMAKE_SOURCE_DIR}/bench/marking_bench.cc
  DEPS mirune_marking mirune_indesign_engine mirune_marking_testing)
