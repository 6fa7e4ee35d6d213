mirune_fuzz(whole_term_dictionary SOURCES ${CMAKE_CURRENT_LIST_DIR}/whole_term_dictionary_fuzz.cc
            DEPS mirune_analysis)
