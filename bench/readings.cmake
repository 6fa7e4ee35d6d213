# The readings as a job meets them (OpenJobReadings, TermReading): 100,000 short terms made
# from the development set, and the start-up of the reading service.
mirune_bench(readings_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/readings_bench.cc
             DEPS mirune_analysis mirune_reading_set mirune_base)
