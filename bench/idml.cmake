# Opening and composing a 500-page IDML document (Linux build: pugixml and libzip).
if(MIRUNE_HAVE_IDML)
  mirune_bench(idml_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/idml_bench.cc DEPS mirune_idml)
endif()
