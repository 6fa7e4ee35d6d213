# The reading memory: a file of 10,000 to 1,000,000 learned terms read, re-learned and written
# back as bytes (the file system left out).
mirune_bench(reading_memory_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/reading_memory_bench.cc
             DEPS mirune_analysis)
