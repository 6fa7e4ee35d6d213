# Runs `mirune entries` on the bundled sample stories and on stories with ruby: the output must
# equal the golden entry list, and bad input must give exit code 2 with one line on stderr naming the file.
#   cmake -DMIRUNE=<program> -DDATA=<tests/data/analysis> [-DEMULATOR=<wine>]
#         -P entries_cli_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/program_check.cmake)
program_path(D ${DATA})
execute_process(
  COMMAND ${EMULATOR} ${MIRUNE} entries ${D}${S}sample_story_1.txt ${D}${S}sample_story_2.txt
          ${D}${S}sample_story_3.txt
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(READ ${DATA}/sample_entries.expected.txt golden)
if(NOT rc EQUAL 0 OR NOT out STREQUAL golden)
  message(FATAL_ERROR "entries of the samples differ (exit ${rc}):\n${out}\n${err}")
endif()

# Stories with ruby in both tag forms, given together: the ruby of the second reads the first's
# term too; the ruby reading no dictionary gives is named on stderr.
execute_process(
  COMMAND ${EMULATOR} ${MIRUNE} entries ${D}${S}ruby_story_1.txt ${D}${S}ruby_story_2.txt
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(READ ${DATA}/ruby_entries.expected.txt golden)
string(FIND "${err}" "ルビの読みです（辞書にない読み）: 強敵 → とも（ほかの候補: きょうてき）" named)
if(NOT rc EQUAL 0 OR NOT out STREQUAL golden OR named EQUAL -1)
  message(FATAL_ERROR "entries of the stories with ruby differ (exit ${rc}):\n${out}\n${err}")
endif()

foreach(bad no_such_story.txt user_dictionary.csv)
  execute_process(COMMAND ${EMULATOR} ${MIRUNE} entries ${D}${S}sample_story_1.txt ${D}${S}${bad}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  string(REGEX MATCHALL "\n" lines "${err}")
  list(LENGTH lines line_count)
  string(FIND "${err}" "${D}${S}${bad}" named)
  if(NOT rc EQUAL 2 OR NOT out STREQUAL "" OR NOT line_count EQUAL 1 OR named EQUAL -1)
    message(FATAL_ERROR "bad input ${bad}: exit ${rc}, stdout '${out}', stderr '${err}'")
  endif()
endforeach()
