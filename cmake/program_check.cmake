# Included by the CMake scripts that run the program as a user would (cmake -P). The script
# runs on the build machine; the program may be the Windows build's, run under Wine
# (EMULATOR set by mirune_program_check), where drive Z: is the Linux root.
#
# S: the separator the program's paths are joined with. program_path(OUT path): how the
# program is given the Linux path `path` ("Z:\work\…" under Wine, the path itself otherwise).
# The script keeps the Linux path for its own file operations.
if(EMULATOR)
  set(S "\\")
else()
  set(S "/")
endif()

function(program_path out path)
  if(EMULATOR)
    string(REPLACE "/" "\\" native "${path}")
    set(${out} "Z:${native}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()
