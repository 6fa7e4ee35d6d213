# The embedded InDesign engine: page marking and export of a 500-page document.
mirune_bench(engine_bench
  SOURCES ${CMAKE_SOURCE_DIR}/bench/engine_bench.cc
  DEPS mirune_indesign_engine mirune_extraction_testing)
