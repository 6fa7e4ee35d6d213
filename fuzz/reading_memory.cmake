# The reading memory's loader: any bytes as ReadingMemory.txt, learned into and written back.
mirune_fuzz(reading_memory SOURCES ${CMAKE_SOURCE_DIR}/fuzz/reading_memory_fuzz.cc
            DEPS mirune_analysis)
