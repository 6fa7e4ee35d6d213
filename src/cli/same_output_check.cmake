# Runs the Windows build's program (under Wine) and the Linux build's program on the same
# inputs and compares, byte for byte, exit codes, standard output and error (each program's
# spelling of the work folder written as "@", and "\" read as "/") of the help, of refusals
# and of workbook and re-sort runs, and the workbooks written. tests/parity/compare_builds.sh
# compares the results of extract, mark and entries on the samples.
#   cmake -DMIRUNE=<mirune.exe> -DEMULATOR=<wine> -DREFERENCE=<Linux mirune>
#         -DDATA=<tests/data> -DWORK=<folder> -P same_output_check.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/program_check.cmake)
if(NOT EXISTS "${REFERENCE}")
  message("SKIP: no Linux program to compare with at ${REFERENCE} (build the Linux build first)")
  return()
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/linux ${WORK}/windows)
program_path(windows_work ${WORK}/windows)

# Runs both programs; arguments starting with "@" name files in each one's work folder.
function(both)
  set(linux_args)
  set(windows_args)
  foreach(arg IN LISTS ARGN)
    if(arg MATCHES "^@(.*)$")
      list(APPEND linux_args "${WORK}/linux/${CMAKE_MATCH_1}")
      list(APPEND windows_args "${windows_work}${S}${CMAKE_MATCH_1}")
    else()
      list(APPEND linux_args "${arg}")
      list(APPEND windows_args "${arg}")
    endif()
  endforeach()
  execute_process(COMMAND ${REFERENCE} ${linux_args} WORKING_DIRECTORY ${WORK}/linux
                  OUTPUT_VARIABLE linux_out ERROR_VARIABLE linux_err RESULT_VARIABLE linux_rc)
  execute_process(COMMAND ${EMULATOR} ${MIRUNE} ${windows_args} WORKING_DIRECTORY ${WORK}/windows
                  OUTPUT_VARIABLE windows_out ERROR_VARIABLE windows_err
                  RESULT_VARIABLE windows_rc)
  string(REPLACE "${WORK}/linux/" "@" linux_out "${linux_out}")
  string(REPLACE "${WORK}/linux/" "@" linux_err "${linux_err}")
  string(REPLACE "${windows_work}${S}" "@" windows_out "${windows_out}")
  string(REPLACE "${windows_work}${S}" "@" windows_err "${windows_err}")
  # Paths inside the work folder are then compared with either separator.
  string(REPLACE "\\" "/" windows_out "${windows_out}")
  string(REPLACE "\\" "/" windows_err "${windows_err}")
  foreach(what rc out err)
    if(NOT "${linux_${what}}" STREQUAL "${windows_${what}}")
      file(WRITE ${WORK}/linux.${what} "${linux_${what}}")
      file(WRITE ${WORK}/windows.${what} "${windows_${what}}")
      message(FATAL_ERROR "mirune ${ARGN}: the builds differ in ${what} "
                          "(see ${WORK}/linux.${what} and ${WORK}/windows.${what})")
    endif()
  endforeach()
endfunction()

# Both work folders must hold the same files with the same bytes.
function(same_files)
  file(GLOB_RECURSE linux_files RELATIVE ${WORK}/linux ${WORK}/linux/*)
  file(GLOB_RECURSE windows_files RELATIVE ${WORK}/windows ${WORK}/windows/*)
  list(SORT linux_files)
  list(SORT windows_files)
  if(NOT linux_files STREQUAL windows_files)
    message(FATAL_ERROR "the builds wrote different files:\n${linux_files}\n${windows_files}")
  endif()
  foreach(name IN LISTS linux_files)
    # The data folder's lock file says which process held it: never the same.
    if(name MATCHES "(^|/)mirune\\.lock$")
      continue()
    endif()
    file(SHA256 "${WORK}/linux/${name}" linux_hash)
    file(SHA256 "${WORK}/windows/${name}" windows_hash)
    if(NOT linux_hash STREQUAL windows_hash)
      message(FATAL_ERROR "${name} differs between the builds (${WORK}/linux, ${WORK}/windows)")
    endif()
  endforeach()
endfunction()

foreach(command "" extract mark resort workbook entries index)
  both(${command} --help)
endforeach()
both(workbook)  # a parse error

foreach(folder linux windows)
  file(COPY_FILE ${DATA}/workbook/entries.txt ${WORK}/${folder}/entries.txt)
endforeach()
both(workbook @entries.txt -o @Razoza.xls)
both(resort --data-dir @data @Razoza.xls)  # learns into @data/ReadingMemory.txt
# A data folder of the run's own: the program's folder is shared with other tests.
both(resort --data-dir @data @no_such.xls)
both(resort --data-dir @data @entries.txt)
both(index --no-idml @Razoza.xls -o @index)
both(index @Razoza.xls -o @Razoza)  # refused: the output would be the input
same_files()

