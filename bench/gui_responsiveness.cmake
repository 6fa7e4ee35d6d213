# The real program's responsiveness while it extracts a 300-page book (Windows build; run it
# on a display, e.g. sh scripts/with_display.sh wine64 gui_responsiveness_bench.exe).
if(WIN32)
  mirune_bench(gui_responsiveness_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/gui_responsiveness_bench_win.cc
    DEPS mirune_gui_program_driver mirune_idml mirune_indesign_engine mirune_indesign_engine_testing)
  add_dependencies(gui_responsiveness_bench mirune-gui)
endif()
