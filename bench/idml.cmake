# Opening and composing a 500-page IDML document.
if(MIRUNE_HAVE_IDML)
  mirune_bench(idml_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/idml_bench.cc
               DEPS mirune_idml mirune_indesign_engine_testing)
endif()
# The extract and mark commands on IDML packages (a paragraph of 60,000 character ranges, a
# 500-page book), run as child processes of the built program: time and peak memory (Linux:
# posix_spawn and wait4).
if(MIRUNE_HAVE_IDML AND TARGET mirune AND NOT WIN32)
  mirune_bench(idml_commands_bench
    SOURCES ${CMAKE_SOURCE_DIR}/bench/idml_commands_bench.cc
    DEPS mirune_idml mirune_indesign_engine_testing)
  target_compile_definitions(idml_commands_bench PRIVATE MIRUNE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(idml_commands_bench mirune)
endif()
