# Runs mirune_reading_eval as a user would on small sets of kana terms (read the same with or
# without a dictionary): the counts and percentage, the threshold's exit code, the misses file,
# and the causes of bad input (exit 2, one line on standard error naming the file).
#   cmake -DEVAL=<program> -DDATA=<tests/data/readings> -DWORK=<scratch folder>
#         [-DEMULATOR=<wine>] -P reading_eval_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/program_check.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
program_path(D ${DATA})
program_path(W ${WORK})

function(expect what rc want_rc out want_out err)
  if(NOT rc EQUAL want_rc OR NOT out STREQUAL want_out)
    message(FATAL_ERROR "${what}: exit ${rc} (expected ${want_rc})\nstdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

# Three of four read exactly; the fourth is listed with readings the tool never gives.
set(counts "語句の数: 4\n読みの一致: 3\n一致率: 75.00%\n")
execute_process(
  COMMAND ${EMULATOR} ${EVAL} --min 75 --misses ${W}${S}misses.tsv ${D}${S}eval_check.tsv
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
expect("at the floor" "${rc}" 0 "${out}" "${counts}" "${err}")
file(READ ${WORK}/misses.tsv misses)
if(NOT misses STREQUAL "ミルネ\tみるね\tみるに\tみるな\n")
  message(FATAL_ERROR "misses file: '${misses}'")
endif()

execute_process(COMMAND ${EMULATOR} ${EVAL} --min 75.01 ${D}${S}eval_check.tsv
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
expect("below the floor" "${rc}" 1 "${out}" "${counts}" "${err}")
string(FIND "${err}" "75.00% が下限の 75.01% を下回りました" said)
if(said EQUAL -1)
  message(FATAL_ERROR "below the floor, stderr: '${err}'")
endif()

# Bad input: the cause first, naming the file (and the line).
foreach(case "no_such_set.tsv|no_such_set.tsv" "eval_bad_line.tsv|eval_bad_line.tsv の 2 行目")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 name)
  list(GET case 1 named)
  execute_process(COMMAND ${EMULATOR} ${EVAL} ${D}${S}${name}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  expect("bad input ${name}" "${rc}" 2 "${out}" "" "${err}")
  string(REGEX MATCHALL "\n" lines "${err}")
  list(LENGTH lines line_count)
  string(FIND "${err}" "${named}" found)
  if(NOT line_count EQUAL 1 OR found EQUAL -1)
    message(FATAL_ERROR "bad input ${name}: stderr '${err}'")
  endif()
endforeach()

# The misses file is never the set itself (it would be written over).
file(COPY ${DATA}/eval_check.tsv DESTINATION ${WORK})
file(READ ${WORK}/eval_check.tsv before)
execute_process(COMMAND ${EMULATOR} ${EVAL} --misses ${W}${S}eval_check.tsv ${W}${S}eval_check.tsv
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
expect("misses over the set" "${rc}" 2 "${out}" "" "${err}")
file(READ ${WORK}/eval_check.tsv after)
if(NOT after STREQUAL before)
  message(FATAL_ERROR "misses over the set: the set was written over")
endif()

foreach(bad_min 101 -1 abc)
  execute_process(COMMAND ${EMULATOR} ${EVAL} --min ${bad_min} ${D}${S}eval_check.tsv
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  expect("--min ${bad_min}" "${rc}" 2 "${out}" "" "${err}")
endforeach()
