# The Japanese collation: any bytes as readings, split into three texts.
mirune_fuzz(ja_collator SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ja_collator_fuzz.cc
            DEPS mirune_excel_engine)
