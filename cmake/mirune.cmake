# Helpers shared by every area's CMakeLists.txt.

option(MIRUNE_WERROR "Treat compiler warnings as errors (CI builds)" OFF)
set(MIRUNE_WARNINGS -Wall -Wextra -Wno-unused-parameter)
# GCC 12 at -O3 reports a false -Wrestrict inside libstdc++ for `"text" + std::string`
# (GCC bug 105651); it says nothing about this code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND MIRUNE_WARNINGS -Wno-restrict)
endif()
if(MIRUNE_WERROR)
  list(APPEND MIRUNE_WARNINGS -Werror)
endif()

# mirune_library(NAME SOURCES ... [DEPS ...]): a static library of the core, include root src/.
function(mirune_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${MIRUNE_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(WIN32)
    target_compile_definitions(${name} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

# mirune_testing_library(NAME [OBJECT] [SOURCES ...] [DEPS ...]): the test support of an area,
# from its testing/ folder: a target of its own that only tests, test servers and benchmarks
# link. Without sources it is a header-only INTERFACE library. OBJECT links its objects into
# every target that links it, for sources that define GoogleTest tests, which a static library
# would drop.
function(mirune_testing_library name)
  cmake_parse_arguments(ARG "OBJECT" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  if(ARG_OBJECT)
    add_library(${name} OBJECT ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${MIRUNE_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(WIN32)
    target_compile_definitions(${name} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

# The GoogleTest executable of a test (mirune_test, mirune_gui_test): its sources and
# libraries, the project's include folders, warnings and folder definitions.
function(mirune_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${MIRUNE_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    MIRUNE_SOURCE_DIR="${MIRUNE_SOURCE_DIR}"
    MIRUNE_SHARED_DIR="${MIRUNE_SHARED_DIR}"
    MIRUNE_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()

# mirune_test(NAME SOURCES ... [DEPS ...]): a GoogleTest executable registered with CTest.
# In the Windows build CTest runs it under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
function(mirune_test name)
  mirune_test_executable(${name} ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# mirune_program_check(NAME SCRIPT <file.cmake> [DEFINES -DNAME=value ...]): a CMake script
# run with `cmake -P` that runs the program `mirune` (-DMIRUNE) as a user would. In the
# Windows build the script still runs on this machine and starts mirune.exe under Wine
# (-DEMULATOR); cmake/program_check.cmake gives it the program's spelling of paths.
function(mirune_program_check name)
  cmake_parse_arguments(ARG "" "SCRIPT" "DEFINES" ${ARGN})
  set(emulator)
  if(CMAKE_CROSSCOMPILING)
    set(emulator -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DMIRUNE=$<TARGET_FILE:mirune> ${emulator} ${ARG_DEFINES}
                   -P ${ARG_SCRIPT})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "WINEDEBUG=-all")
endfunction()

# mirune_gui_test(NAME SOURCES ... [DEPS ...]): a GoogleTest executable that makes windows
# (Windows build). It runs on the display it is given, or on a private Xvfb display
# (xvfb-run) when there is none, and never beside another window test: the tests look at
# every top-level window of the Wine desktop.
function(mirune_gui_test name)
  mirune_test_executable(${name} ${ARGN})
  add_test(NAME ${name}
           COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/with_display.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE LABELS gui)
endfunction()
