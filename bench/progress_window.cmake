# The progress window's responsiveness during a job (Windows build; run it on a display,
# e.g. sh scripts/with_display.sh wine64 progress_window_bench.exe).
if(WIN32)
  mirune_bench(progress_window_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/progress_window_bench_win.cc
    DEPS mirune_progress_win mirune_window_test_driver)
endif()
