# Runs mirune_reading_eval on a development set with its floor (--min): fails when the
# readings fall below it, showing the figures; the misses are left in MISSES to look at.
#   cmake -DEVAL=<program> -DSET=<set.tsv> -DMIN=<percent> -DMISSES=<file>
#         [-DEMULATOR=<wine>] -P reading_floor_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/program_check.cmake)
program_path(set_arg ${SET})
program_path(misses_arg ${MISSES})
execute_process(COMMAND ${EMULATOR} ${EVAL} --min ${MIN} --misses ${misses_arg} ${set_arg}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
message("${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "readings of ${SET} (floor ${MIN}%, exit ${rc}):\n${err}\nmisses: ${MISSES}")
endif()
