# The InDesign client across processes (Windows build, under Wine): page marking's calls per
# text frame and the time per call, counted in test-indesign-server; the extraction of the
# generated 300-page book through COM, beside extraction_bench's embedded engine.
if(WIN32 AND TARGET test-indesign-server)
  mirune_bench(indesign_com_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/indesign_com_bench_win.cc
    DEPS mirune_launch mirune_extraction_xls mirune_indesign_engine mirune_com
         mirune_test_indesign_server_support mirune_indesign_engine_testing)
  add_dependencies(indesign_com_bench test-indesign-server)
endif()
