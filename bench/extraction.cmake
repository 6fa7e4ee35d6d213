# The whole extraction on a generated 300-page book of three members with 3,000 marked terms,
# with and without readings; host calls per text frame.
if(TARGET mirune_launch AND TARGET mirune_extraction_xls)
  mirune_bench(extraction_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/extraction_bench.cc
    DEPS mirune_launch mirune_extraction_xls mirune_indesign_engine mirune_indesign_engine_testing)
endif()
