# Runs the command line as a user would: the help and the refusals in Japanese, causes first
# on standard error, an output that names an input refused, and the re-sort's own message
# only for the case it speaks of.
#   cmake -DMIRUNE=<program> -DDATA=<tests/data> -DWORK=<folder> -P cli_check.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run expected_rc)
  execute_process(COMMAND ${MIRUNE} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
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
foreach(command "" extract mark resort workbook entries)
  run(0 ${command} --help)
  expect_in("${out}" "使い方")
  foreach(english "Usage" "OPTIONS" "Options" "Print this help" "REQUIRED" "Positionals")
    expect_not_in("${out}" "${english}")
  endforeach()
endforeach()

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
run(2 workbook ${WORK}/entries.txt -o ${WORK}/entries-link.txt)
expect_in("${err}" "入力は書き換えません")
file(SHA256 ${WORK}/entries.txt after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the entry list was written over")
endif()

# The workbook, then the re-sort of it: the report on standard output.
run(0 workbook ${WORK}/entries.txt -o ${WORK}/Razoza.xls)
run(0 resort ${WORK}/Razoza.xls)
expect_in("${out}" "Razoza-resort.xls: AfterSort")

# A missing workbook: the cause, without the re-sort's message about sheet names.
run(2 resort ${WORK}/no_such.xls)
expect_in("${err}" "no_such.xls が見つかりません")
expect_not_in("${err}" "シート名が正しくないか")

# Not a workbook at all: the cause, not the message about sheet names.
run(2 resort ${WORK}/entries.txt)
expect_in("${err}" "entries.txt")
expect_not_in("${err}" "シート名が正しくないか")

# A workbook without Org: the cause first, then the re-sort's own message.
run(2 resort ${DATA}/marking/Keyword.xls -o ${WORK}/no-org.xls)
string(FIND "${err}" "シート「Org」がありません" cause_at)
string(FIND "${err}" "シート名が正しくないか" fixed_at)
if(cause_at EQUAL -1 OR fixed_at EQUAL -1 OR fixed_at LESS cause_at)
  message(FATAL_ERROR "no Org: the cause must come first, then the message:\n${err}")
endif()
