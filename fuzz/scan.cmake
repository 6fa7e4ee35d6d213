# The story scan: tagged text (any bytes) through the whole analysis to entry lines.
mirune_fuzz(scan SOURCES ${CMAKE_SOURCE_DIR}/fuzz/scan_fuzz.cc DEPS mirune_analysis)
