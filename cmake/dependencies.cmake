# Third-party dependencies. Linux takes them from Debian packages; the Windows build takes the
# same libraries cross-built from Debian's source packages, and GoogleTest built from
# /usr/src/googletest.
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
  # pugixml, libzip, MeCab and Google Benchmark are cross-built from Debian's source packages
  # by scripts/windows_deps.sh into MIRUNE_WINDOWS_DEPS; zlib is Debian's libz-mingw-w64-dev.
  set(MIRUNE_WINDOWS_DEPS "${CMAKE_SOURCE_DIR}/build/windows-deps/prefix" CACHE PATH
      "Prefix of the cross-built libraries of the Windows build")
  set(deps ${MIRUNE_WINDOWS_DEPS})
  foreach(lib pugixml zip mecab)
    if(NOT EXISTS ${deps}/lib/lib${lib}.a)
      message(FATAL_ERROR "${deps}/lib/lib${lib}.a is missing: run scripts/windows_deps.sh "
                          "(scripts/build.sh windows does) before configuring the Windows build")
    endif()
  endforeach()
  set(zlib_static /usr/x86_64-w64-mingw32/lib/libz.a)
  if(NOT EXISTS ${zlib_static})
    message(FATAL_ERROR "${zlib_static} is missing: install libz-mingw-w64-dev")
  endif()

  add_library(PkgConfig::PUGIXML STATIC IMPORTED)
  set_target_properties(PkgConfig::PUGIXML PROPERTIES IMPORTED_LOCATION ${deps}/lib/libpugixml.a
                        INTERFACE_INCLUDE_DIRECTORIES ${deps}/include)
  add_library(PkgConfig::LIBZIP STATIC IMPORTED)
  set_target_properties(PkgConfig::LIBZIP PROPERTIES IMPORTED_LOCATION ${deps}/lib/libzip.a
                        INTERFACE_INCLUDE_DIRECTORIES ${deps}/include
                        INTERFACE_COMPILE_DEFINITIONS ZIP_STATIC
                        INTERFACE_LINK_LIBRARIES "${zlib_static};bcrypt;advapi32")
  add_library(mecab::mecab STATIC IMPORTED)
  set_target_properties(mecab::mecab PROPERTIES IMPORTED_LOCATION ${deps}/lib/libmecab.a
                        INTERFACE_INCLUDE_DIRECTORIES ${deps}/include
                        INTERFACE_COMPILE_DEFINITIONS MECAB_STATIC)
  set(MIRUNE_HAVE_MECAB ON)
  set(MIRUNE_HAVE_IDML ON)
  set(MIRUNE_HAVE_ICU OFF)
  set(MIRUNE_HAVE_FREEXL OFF)
  if(MIRUNE_BENCH AND EXISTS ${deps}/lib/libbenchmark.a)
    add_library(benchmark::benchmark STATIC IMPORTED)
    set_target_properties(benchmark::benchmark PROPERTIES
                          IMPORTED_LOCATION ${deps}/lib/libbenchmark.a
                          INTERFACE_INCLUDE_DIRECTORIES ${deps}/include
                          INTERFACE_COMPILE_DEFINITIONS BENCHMARK_STATIC_DEFINE
                          INTERFACE_LINK_LIBRARIES "shlwapi")
    add_library(benchmark::benchmark_main STATIC IMPORTED)
    set_target_properties(benchmark::benchmark_main PROPERTIES
                          IMPORTED_LOCATION ${deps}/lib/libbenchmark_main.a
                          INTERFACE_LINK_LIBRARIES benchmark::benchmark)
    set(MIRUNE_HAVE_BENCHMARK ON)
  else()
    set(MIRUNE_HAVE_BENCHMARK OFF)
  endif()

  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own CMake defines the GTest:: aliases.
else()
  find_package(PkgConfig REQUIRED)
  find_package(GTest REQUIRED)
  if(MIRUNE_BENCH)
    find_package(benchmark REQUIRED)
    set(MIRUNE_HAVE_BENCHMARK ON)
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
