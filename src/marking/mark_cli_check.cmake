# Runs `mirune mark` on a real IDML sample with the keyword workbooks of tests/data/marking:
# the per-keyword report (golden), the saved file, the untouched input, and the exit codes of
# the refusals and of bad input.
#   cmake -DMIRUNE=<program> -DDATA=<tests/data/marking> -DSAMPLE=<.idml> -DWORK=<folder>
#         [-DEMULATOR=<wine>] -P mark_cli_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/program_check.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(SHA256 ${SAMPLE} input_before)
program_path(W ${WORK})
program_path(D ${DATA})
program_path(IN ${SAMPLE})

function(run_mark expected_rc)
  execute_process(COMMAND ${EMULATOR} ${MIRUNE} mark ${ARGN}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "mirune mark ${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

cmake_minimum_required(VERSION 3.25)

# The run: confirmed by --yes; the messages, then the report (golden), the file written.
run_mark(0 --keywords ${D}${S}Keyword.xls --swatch RazozaMark1 --yes ${IN} -o ${W}${S}marked.idml)
file(READ ${DATA}/mark_report.expected.txt golden)
string(REPLACE "{WORK}/" "${W}${S}" golden "${golden}")
string(FIND "${out}" "キーワードごとのマーキング箇所数:" report_at)
string(SUBSTRING "${out}" ${report_at} -1 report)
if(report_at EQUAL -1 OR NOT report STREQUAL golden)
  message(FATAL_ERROR "report differs:\n${out}\nexpected:\n${golden}")
endif()
if(NOT EXISTS ${WORK}/marked.idml)
  message(FATAL_ERROR "no marked file written")
endif()
string(FIND "${out}" "一括マーキング処理が終了しました。" finished)
if(finished EQUAL -1 OR finished GREATER report_at)
  message(FATAL_ERROR "no completion message before the report:\n${out}")
endif()

# Without --yes and without a terminal the confirmation is answered Cancel: exit 1, no file.
run_mark(1 --keywords ${D}${S}Keyword.xls --swatch RazozaMark1 ${IN} -o ${W}${S}cancelled.idml)
if(EXISTS ${WORK}/cancelled.idml)
  message(FATAL_ERROR "a cancelled run wrote its output")
endif()

# "sheet1" is not "Sheet1": refused (exit 1).
run_mark(1 --keywords ${D}${S}Keyword_lowercase_sheet1.xls --style RazozaMark2 --yes ${IN}
         -o ${W}${S}refused.idml)
string(FIND "${out}${err}" "Sheet1が見つかりませんでした。" refused)
if(refused EQUAL -1)
  message(FATAL_ERROR "no sheet message:\n${out}${err}")
endif()

# A keyword file that cannot be read: the "open Keyword.xls" message with the reason (exit 2).
run_mark(2 --keywords ${D}${S}Keyword_damaged.xls --swatch RazozaMark1 --yes ${IN}
         -o ${W}${S}bad.idml)
string(FIND "${err}" "Keyword.xlsを開いておいて下さい。" m1)
string(FIND "${err}" "${D}${S}Keyword_damaged.xls" named)
if(m1 EQUAL -1 OR named EQUAL -1 OR named GREATER m1)
  message(FATAL_ERROR "damaged keyword file: the cause must come first:\n${out}${err}")
endif()
# A keyword file that is not there: named, without the message about Excel.
run_mark(2 --keywords ${D}${S}no_such_keywords.xls --swatch RazozaMark1 --yes ${IN}
         -o ${W}${S}bad.idml)
string(FIND "${out}${err}" "Keyword.xlsを開いておいて下さい。" m1)
string(FIND "${err}" "${D}${S}no_such_keywords.xls が見つかりません" named)
if(NOT m1 EQUAL -1 OR named EQUAL -1)
  message(FATAL_ERROR "missing keyword file:\n${out}${err}")
endif()

# Bad options: both marks, and OUTPUT naming INPUT.
run_mark(2 --keywords ${D}${S}Keyword.xls --swatch RazozaMark1 --style RazozaMark2 --yes
         ${IN} -o ${W}${S}both.idml)
run_mark(2 --keywords ${D}${S}Keyword.xls --swatch RazozaMark1 --yes ${IN} -o ${IN})
# OUTPUT naming the keyword workbook (through a link): refused, the workbook unchanged.
file(COPY ${DATA}/Keyword.xls DESTINATION ${WORK})
file(CREATE_LINK ${WORK}/Keyword.xls ${WORK}/kw-link.xls SYMBOLIC)
file(SHA256 ${WORK}/Keyword.xls keywords_before)
run_mark(2 --keywords ${W}${S}Keyword.xls --swatch RazozaMark1 --yes ${IN} -o ${W}${S}kw-link.xls)
file(SHA256 ${WORK}/Keyword.xls keywords_after)
if(NOT keywords_before STREQUAL keywords_after)
  message(FATAL_ERROR "the keyword workbook was written over")
endif()

file(SHA256 ${SAMPLE} input_after)
if(NOT input_before STREQUAL input_after)
  message(FATAL_ERROR "the input was changed")
endif()
