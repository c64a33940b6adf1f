# Installs the build into a fresh prefix and checks that what a desktop needs is there (and
# the manual pages and the completion), and that the installed programs find their
# device-link component without any help.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(f bin/tern-flash bin/tern-update lib/tern-update/libtern_com.so
          lib/tern-update/components/corvo-sim.so share/applications/tern-update.desktop
          share/icons/hicolor/256x256/apps/tern-update.png share/man/man1/tern-flash.1.gz
          share/man/man1/tern-update.1.gz share/bash-completion/completions/tern-flash)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
set(ENV{TERN_COMPONENT_PATH} "")
execute_process(COMMAND "${PREFIX}/bin/tern-flash" list
                RESULT_VARIABLE listed OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT listed EQUAL 0 OR NOT out MATCHES "FIRM")
  message(FATAL_ERROR "the installed tern-flash did not find the bus: ${listed}\n${out}${err}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
