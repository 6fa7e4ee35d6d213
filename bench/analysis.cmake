# Story analysis: a 1 MB story with 5,000 marked terms, readings of 100,000 short terms
# (MeCab), and hostile tag soup.
mirune_bench(analysis_bench SOURCES ${CMAKE_SOURCE_DIR}/bench/analysis_bench.cc DEPS mirune_analysis)
if(MIRUNE_HAVE_MECAB)
  target_compile_definitions(analysis_bench PRIVATE MIRUNE_HAVE_MECAB=1)
endif()
