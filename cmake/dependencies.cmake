# Third-party dependencies. Linux takes them from Debian packages; the Windows build uses
# the platform itself, plus GoogleTest built from /usr/src/googletest.
find_package(Threads REQUIRED)

# CLI11 is header-only and usable by both builds.
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Only the CLI folder is exposed: adding /usr/include itself would hand glibc's headers
# to the mingw compiler.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11-include)
file(CREATE_LINK ${CLI11_INCLUDE_DIR}/CLI ${CMAKE_BINARY_DIR}/cli11-include/CLI SYMBOLIC)
add_library(cli11 INTERFACE)
target_include_directories(cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11-include)

if(WIN32)
  set(MIRUNE_HAVE_MECAB OFF)
  set(MIRUNE_HAVE_ICU OFF)
  set(MIRUNE_HAVE_IDML OFF)
  set(MIRUNE_HAVE_FREEXL OFF)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own CMake defines the GTest:: aliases.
else()
  find_package(PkgConfig REQUIRED)
  find_package(GTest REQUIRED)
  if(MIRUNE_BENCH)
    find_package(benchmark REQUIRED)
  endif()

  find_library(MECAB_LIBRARY mecab REQUIRED)
  find_path(MECAB_INCLUDE_DIR mecab.h REQUIRED)
  add_library(mecab::mecab INTERFACE IMPORTED)
  target_link_libraries(mecab::mecab INTERFACE ${MECAB_LIBRARY})
  target_include_directories(mecab::mecab INTERFACE ${MECAB_INCLUDE_DIR})
  set(MIRUNE_HAVE_MECAB ON)

  # ICU only serves tests and benchmarks, as the reference for the Japanese collation.
  pkg_check_modules(ICU IMPORTED_TARGET icu-uc icu-i18n)
  if(ICU_FOUND)
    set(MIRUNE_HAVE_ICU ON)
  else()
    set(MIRUNE_HAVE_ICU OFF)
  endif()
  pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
  pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
  set(MIRUNE_HAVE_IDML ON)
  # libfreexl only serves tests, as a reader independent of the engine's own.
  pkg_check_modules(FREEXL IMPORTED_TARGET freexl)
  if(FREEXL_FOUND)
    set(MIRUNE_HAVE_FREEXL ON)
  else()
    set(MIRUNE_HAVE_FREEXL OFF)
  endif()
endif()
