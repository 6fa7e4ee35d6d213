# Placing InDesign tagged text in a new document (the finished index's IDML).
mirune_fuzz(tagged_text_place SOURCES ${CMAKE_SOURCE_DIR}/fuzz/tagged_text_place_fuzz.cc
            DEPS mirune_indesign_engine)
