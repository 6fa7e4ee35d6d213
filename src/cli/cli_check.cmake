# Runs the command line as a user would: the help and the refusals in Japanese, causes first
# on standard error, an output that names an input refused, and the re-sort's own message
# only for the case it speaks of; the re-sort learning the corrected readings.
#   cmake -DMIRUNE=<program> -DDATA=<tests/data> -DWORK=<folder> [-DEMULATOR=<wine>]
#         [-DREADINGS=ON] [-DIDML=ON -DBOOK=<samples/book>]
#         -P cli_check.cmake
# With EMULATOR (the Windows build under Wine) the program is given Windows paths: drive Z:
# is the Linux root there. The script itself reads and writes the files by their Linux paths.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/program_check.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
program_path(W ${WORK})
program_path(D ${DATA})

function(run expected_rc)
  execute_process(COMMAND ${EMULATOR} ${MIRUNE} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "mirune ${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_in text what)
  string(FIND "${text}" "${what}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${what}\" in:\n${text}")
  endif()
endfunction()

function(expect_not_in text what)
  string(FIND "${text}" "${what}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "did not expect \"${what}\" in:\n${text}")
  endif()
endfunction()

# The help of the program and of every sub-command speaks Japanese.
foreach(command "" extract mark resort workbook entries index 診断 doctor)
  run(0 ${command} --help)
  expect_in("${out}" "使い方")
  foreach(english "Usage" "OPTIONS" "Options" "Print this help" "REQUIRED" "Positionals")
    expect_not_in("${out}" "${english}")
  endforeach()
endforeach()

# The check of InDesign and Excel needs COM: the Linux build refuses it with the reason.
if(NOT EMULATOR)
  foreach(command 診断 doctor)
    run(1 ${command} --data-dir ${W})
    expect_in("${err}" "Windows 版が必要です")
  endforeach()
endif()

# Parse errors: Japanese, on standard error, exit 2.
run(2 workbook)
expect_in("${err}" "「ENTRIES」を指定して下さい")
run(2 frobnicate)
expect_not_in("${err}" "The following")
run(2 mark --keywords k.xls --swatch A --style B in.idml -o out.idml)
expect_in("${err}" "同時に指定できません")

# An output naming the input, through a link: refused, the input unchanged.
file(COPY ${DATA}/workbook/entries.txt DESTINATION ${WORK})
file(CREATE_LINK ${WORK}/entries.txt ${WORK}/entries-link.txt SYMBOLIC)
file(SHA256 ${WORK}/entries.txt before)
run(2 workbook ${W}${S}entries.txt -o ${W}${S}entries-link.txt)
expect_in("${err}" "入力は書き換えません")
file(SHA256 ${WORK}/entries.txt after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the entry list was written over")
endif()

# The workbook, then the re-sort of it: the report on standard output.
run(0 workbook ${W}${S}entries.txt -o ${W}${S}Razoza.xls)
run(0 resort --data-dir ${W}${S}data ${W}${S}Razoza.xls)
expect_in("${out}" "${W}${S}Razoza-resort.xls: AfterSort")

# The re-sort learns the readings corrected on Org into the data folder's memory, and only
# those; --no-learn leaves the memory alone. corrected.xls: the extraction wrote かな かな on
# rows 1 and 3, and the user corrected row 1 of Org to かなもじ (Sort_Only keeps かな).
file(COPY ${DATA}/workbook/corrected.xls DESTINATION ${WORK})
run(0 resort --data-dir ${W}${S}learned ${W}${S}corrected.xls)
expect_in("${out}" "${W}${S}corrected-resort.xls: AfterSort 2 行")
expect_in("${out}" "読みを 1 件学習しました: ${W}${S}learned${S}ReadingMemory.txt")
file(READ ${WORK}/learned/ReadingMemory.txt memory)
expect_in("${memory}" "\nかな\tかなもじ\n")  # file(READ) drops the CR of CR LF
expect_not_in("${memory}" "さくいん\tさくいん")
run(0 resort --no-learn --data-dir ${W}${S}not-learned ${W}${S}corrected.xls -o ${W}${S}c.xls)
expect_not_in("${out}" "学習")
if(EXISTS ${WORK}/not-learned)
  message(FATAL_ERROR "--no-learn made the data folder ${WORK}/not-learned")
endif()
# A damaged line of the memory: a warning naming the file and the line, and the line kept.
file(MAKE_DIRECTORY ${WORK}/damaged)
file(WRITE ${WORK}/damaged/ReadingMemory.txt "# 記憶\n読みのない行\n")
run(0 resort --data-dir ${W}${S}damaged ${W}${S}corrected.xls -o ${W}${S}d.xls)
expect_in("${err}" "${W}${S}damaged${S}ReadingMemory.txt の 2 行目を読み飛ばしました")
file(READ ${WORK}/damaged/ReadingMemory.txt memory)
if(NOT memory STREQUAL "# 記憶\n読みのない行\nかな\tかなもじ\n")
  message(FATAL_ERROR "the memory with a damaged line was written as:\n${memory}")
endif()

# The finished index of a workbook with every case (all kana rows, voiced kana, long vowels,
# Latin letters, digits, symbols, roman pages, runs of two, three and four pages): the text and
# the tagged text are the golden ones, and the input is never written.
run(0 workbook ${D}${S}index${S}every_case_entries.txt -o ${W}${S}every_case.xls)
file(SHA256 ${WORK}/every_case.xls before)
run(0 index ${W}${S}every_case.xls -o ${W}${S}every_case-index)
expect_in("${out}" "${W}${S}every_case-index.txt")
expect_in("${err}" "シート「Sort_Syori1」から、見出し 13 行と項目 28 行の索引を作りました。")
foreach(pair "every_case-index.txt;every_case.expected.txt"
             "every_case-index-tagged.txt;every_case-tagged.expected.txt")
  list(GET pair 0 written)
  list(GET pair 1 golden)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${written}
                          ${DATA}/index/${golden} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${written} differs from tests/data/index/${golden}")
  endif()
endforeach()
file(SHA256 ${WORK}/every_case.xls after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the index wrote over its input")
endif()
run(2 index ${W}${S}every_case.xls -o ${W}${S}every_case)
expect_in("${err}" "入力と同じファイルです")
run(2 index --sheet AfterSort ${W}${S}every_case.xls)
expect_in("${err}" "シート「AfterSort」がありません")

# Under Wine a Linux path works too, as a path from the root of the current drive: the tests
# run in a folder of drive Z:, which is the Linux root.
if(EMULATOR)
  run(0 workbook ${WORK}/entries.txt -o ${WORK}/linux-form.xls)
  if(NOT EXISTS ${WORK}/linux-form.xls)
    message(FATAL_ERROR "a Linux path given under Wine wrote nothing:\n${out}\n${err}")
  endif()
endif()

# A missing workbook: the cause, without the re-sort's message about sheet names.
run(2 resort ${W}${S}no_such.xls)
expect_in("${err}" "${W}${S}no_such.xls が見つかりません")
expect_not_in("${err}" "シート名が正しくないか")

# Not a workbook at all: the cause, not the message about sheet names.
run(2 resort ${W}${S}entries.txt)
expect_in("${err}" "${W}${S}entries.txt")
expect_not_in("${err}" "シート名が正しくないか")

# A workbook without Org: the cause first, then the re-sort's own message.
run(2 resort --data-dir ${W}${S}data ${D}${S}marking${S}Keyword.xls -o ${W}${S}no-org.xls)
string(FIND "${err}" "シート「Org」がありません" cause_at)
string(FIND "${err}" "シート名が正しくないか" fixed_at)
if(cause_at EQUAL -1 OR fixed_at EQUAL -1 OR fixed_at LESS cause_at)
  message(FATAL_ERROR "no Org: the cause must come first, then the message:\n${err}")
endif()

# The help is the same bytes in every build: UTF-8, LF line ends, the fixed program name.
run(0 --help)
file(READ ${DATA}/cli/help.expected.txt help_golden)
if(NOT out STREQUAL help_golden)
  file(WRITE ${WORK}/help.txt "${out}")
  message(FATAL_ERROR "the help differs from ${DATA}/cli/help.expected.txt (see ${WORK}/help.txt)")
endif()

# Japanese names with spaces, in folders past 260 characters: the workbook lands beside its
# entry list, the re-sort beside the workbook, and a missing file is named as it was given.
set(deep "${WORK}/索引 データ")
foreach(i RANGE 1 5)
  string(REPEAT "索" 45 part)
  set(deep "${deep}/第${i}章 ${part}")
endforeach()
file(MAKE_DIRECTORY "${deep}")
file(COPY_FILE ${DATA}/workbook/entries.txt "${deep}/見出し 語.txt")
program_path(P "${deep}")  # some 300 characters
run(0 workbook "${P}${S}見出し 語.txt")
if(NOT EXISTS "${deep}/Razoza.xls")
  message(FATAL_ERROR "no Razoza.xls beside the entry list in ${deep}:\n${out}\n${err}")
endif()
run(0 resort --data-dir "${P}${S}データ" "${P}${S}Razoza.xls")
expect_in("${out}" "${P}${S}Razoza-resort.xls: AfterSort")
if(NOT EXISTS "${deep}/Razoza-resort.xls")
  message(FATAL_ERROR "no Razoza-resort.xls in ${deep}")
endif()
run(2 resort "${P}${S}無い 索引.xls")
expect_in("${err}" "${P}${S}無い 索引.xls が見つかりません")

# Names with characters outside code page 932: the arguments reach the program whole (on
# Windows as UTF-16, never through the ANSI code page).
file(COPY_FILE ${DATA}/workbook/entries.txt "${WORK}/見出し〜😀 語.txt")
run(0 workbook "${W}${S}見出し〜😀 語.txt" -o "${W}${S}索引〜😀.xls")
if(NOT EXISTS "${WORK}/索引〜😀.xls")
  message(FATAL_ERROR "no 索引〜😀.xls written:\n${out}\n${err}")
endif()
run(2 resort "${W}${S}無い〜😀.xls")
expect_in("${err}" "${W}${S}無い〜😀.xls が見つかりません")

# The program in a folder with a Japanese, spaced name, with the dictionary it ships beside it
# (the Windows build's "dic"): it finds its own folder and gives the readings.
if(READINGS)
  set(installed "${WORK}/ミルネ プログラム")
  file(MAKE_DIRECTORY "${installed}")
  get_filename_component(program_folder ${MIRUNE} DIRECTORY)
  get_filename_component(program_name ${MIRUNE} NAME)
  file(COPY ${MIRUNE} DESTINATION "${installed}")
  if(EXISTS ${program_folder}/dic)
    file(COPY ${program_folder}/dic DESTINATION "${installed}")
  endif()
  program_path(A ${DATA}/analysis)
  execute_process(COMMAND ${EMULATOR} "${installed}/${program_name}" entries
                          ${A}${S}sample_story_1.txt ${A}${S}sample_story_2.txt
                          ${A}${S}sample_story_3.txt
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  file(READ ${DATA}/analysis/sample_entries.expected.txt golden)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL golden)
    message(FATAL_ERROR "entries from ${installed} (exit ${rc}):\n${out}\n${err}")
  endif()
endif()

# Extraction of the bundled book from a Japanese, spaced folder of some 300 characters, into a
# data folder there: the entry list is the golden one.
if(IDML AND READINGS)
  file(COPY ${BOOK}/ DESTINATION "${deep}/本 の 章" FILES_MATCHING PATTERN "*.idml")
  run(0 extract --yes --data-dir "${P}${S}データ フォルダー" "${P}${S}本 の 章")
  expect_in("${out}" "${P}${S}データ フォルダー${S}RazozaData${S}Razoza.xls")
  file(READ "${deep}/データ フォルダー/RazozaData/Razoza.txt" entries_text)
  file(READ ${DATA}/extraction/sample_book_Razoza.txt entries_golden)
  if(NOT entries_text STREQUAL entries_golden)
    message(FATAL_ERROR "Razoza.txt of the book differs from its golden file")
  endif()
  expect_in("${err}" "読みを確かめてほしい語句が 2 件あります（Razoza.xls のシート「読み確認」）")

  # A book with ruby: the readings come from the ruby (tests/data/extraction/ruby_book).
  program_path(R ${DATA}/extraction/ruby_book)
  run(0 extract --yes --data-dir ${W}${S}ruby-data ${R})
  expect_in("${err}" "読みを確かめてほしい語句が 4 件あります")
  file(READ ${WORK}/ruby-data/RazozaData/Razoza.txt ruby_text)
  file(READ ${DATA}/extraction/ruby_book_Razoza.txt ruby_golden)
  if(NOT ruby_text STREQUAL ruby_golden)
    message(FATAL_ERROR "Razoza.txt of the book with ruby differs from its golden file")
  endif()

  # A reading corrected on Org and re-sorted is the reading of the next extraction, and the
  # term leaves the readings to check.
  # book-corrected.xls: extracted as 文房四宝 ぶんぼうよんたから, corrected on Org to
  # ぶんぼうしほう.
  file(COPY ${DATA}/workbook/book-corrected.xls DESTINATION ${WORK})
  run(0 resort --data-dir "${P}${S}データ フォルダー" ${W}${S}book-corrected.xls)
  expect_in("${out}" "読みを 1 件学習しました")
  run(0 extract --yes --data-dir "${P}${S}データ フォルダー" "${P}${S}本 の 章")
  expect_in("${err}" "読みを確かめてほしい語句が 1 件あります")
  file(READ "${deep}/データ フォルダー/RazozaData/Razoza.txt" entries_hex HEX)
  file(READ ${DATA}/extraction/learned_line.cp932.txt learned_hex HEX)
  string(FIND "${entries_hex}" "${learned_hex}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the learned reading of 文房四宝 is not in the next extraction")
  endif()
  # The finished index of the book.
  run(0 index "${P}${S}データ フォルダー${S}RazozaData${S}Razoza.xls" -o ${W}${S}book-index)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/book-index.txt
                          ${DATA}/index/sample_book.expected.txt RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "the book's index differs from tests/data/index/sample_book.expected.txt")
  endif()
  # One index per mark: the book marks with RazozaMark1, 2 and 3.
  run(0 index --by-mark "${P}${S}データ フォルダー${S}RazozaData${S}Razoza.xls"
      -o ${W}${S}book-index)
  foreach(mark 1 2 3)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/book-index-${mark}.txt
                            ${DATA}/index/sample_book_mark${mark}.expected.txt
                    RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "the book's index of mark ${mark} differs from its golden file")
    endif()
  endforeach()
endif()
