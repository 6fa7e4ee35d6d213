# The IDML package reader (Linux build only: it needs pugixml and libzip).
if(MIRUNE_HAVE_IDML)
  mirune_fuzz(idml SOURCES ${CMAKE_SOURCE_DIR}/fuzz/idml_fuzz.cc DEPS mirune_idml)
endif()
