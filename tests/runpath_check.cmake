# Every ELF file under a folder: no RUNPATH or RPATH entry may be empty or relative, since the
# loader takes either from the current folder, wherever the program is started. Entries are
# absolute or start with $ORIGIN. Run as a script with -DROOT=<folder>, or include it and call
# check_runpaths().
function(check_runpaths root)
  file(GLOB_RECURSE files LIST_DIRECTORIES false "${root}/*")
  set(checked 0)
  foreach(f IN LISTS files)
    file(RELATIVE_PATH relative "${root}" "${f}")
    # Objects and archives have no search path; the installed tree's own test checks what
    # it installs into the build folder while this one runs.
    if(IS_SYMLINK "${f}" OR f MATCHES "\\.(o|a)$" OR relative MATCHES "(^|/)(CMakeFiles|install-check)/")
      continue()
    endif()
    file(READ "${f}" magic LIMIT 4 HEX)
    if(NOT magic STREQUAL "7f454c46")
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    execute_process(COMMAND readelf -d "${f}" OUTPUT_VARIABLE dynamic ERROR_QUIET)
    string(REGEX MATCHALL "Library (runpath|rpath): \\[[^]\n]*\\]" paths "${dynamic}")
    foreach(path IN LISTS paths)
      string(REGEX REPLACE "^Library [a-z]+: \\[(.*)\\]$" "\\1" value "${path}")
      string(REPLACE ":" ";" entries "${value}")
      foreach(entry IN LISTS entries)
        if(NOT entry MATCHES "^(/|\\$ORIGIN)")
          message(SEND_ERROR "${f}: the search path \"${value}\" has the entry \"${entry}\", "
                             "which the loader takes from the current folder")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(checked EQUAL 0)
    message(FATAL_ERROR "no ELF file under ${root}")
  endif()
  message(STATUS "${checked} ELF files under ${root}: no empty or relative search path")
endfunction()

if(DEFINED ROOT)
  check_runpaths("${ROOT}")
endif()
