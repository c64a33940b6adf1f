# Installs the build into a fresh prefix as `cmake --install` does by default, and checks that
# what a desktop needs is there (and the manual pages and the completion) and that the
# installed programs find no device-link component (the simulator is not part of a plain
# install); then adds the simulator component and checks that the programs find it and name
# it as the simulated bus.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(f bin/tern-flash bin/tern-update lib/tern-update/libtern_com.so
          share/applications/tern-update.desktop share/metainfo/org.ternupdate.TernUpdate.metainfo.xml
          share/icons/hicolor/16x16/apps/tern-update.png
          share/icons/hicolor/256x256/apps/tern-update.png share/man/man1/tern-flash.1.gz
          share/man/man1/tern-update.1.gz share/bash-completion/completions/tern-flash)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
if(EXISTS "${PREFIX}/lib/tern-update/components/corvo-sim.so")
  message(FATAL_ERROR "a plain install put the simulated bus where the programs look")
endif()

set(ENV{TERN_COMPONENT_PATH} "")
execute_process(COMMAND "${PREFIX}/bin/tern-flash" list
                RESULT_VARIABLE listed OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT listed EQUAL 2 OR NOT err MATCHES "Can not get FW interface!!")
  message(FATAL_ERROR "without the simulator, expected status 2 and no component: ${listed}\n${out}${err}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" --component simulator
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install --component simulator failed")
endif()
execute_process(COMMAND "${PREFIX}/bin/tern-flash" list
                RESULT_VARIABLE listed OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(sim_line "Device link: [^\n]*/lib/tern-update/components/corvo-sim.so \\(the simulated bus")
if(NOT listed EQUAL 0 OR NOT out MATCHES "FIRM" OR NOT out MATCHES "${sim_line}")
  message(FATAL_ERROR "the installed tern-flash did not find and name the simulated bus: ${listed}\n${out}${err}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/runpath_check.cmake)
check_runpaths("${PREFIX}")
file(REMOVE_RECURSE "${PREFIX}")
