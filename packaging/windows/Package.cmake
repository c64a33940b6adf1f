# The Windows package: a zip of both programs, with the simulated bus in a folder of its own,
# not registered. Registration is a choice its user makes (simulator\register-simulator.cmd):
# a person with a real driver must never end up talking to the simulator by accident.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TERN_PACKAGE_BITNESS 64)
else()
  set(TERN_PACKAGE_BITNESS 32)
endif()
set(TERN_PACKAGE_NAME tern-update-${PROJECT_VERSION}-win${TERN_PACKAGE_BITNESS})
set(TERN_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/${TERN_PACKAGE_NAME}.zip)
set(_stage ${PROJECT_BINARY_DIR}/package/${TERN_PACKAGE_NAME})
set(_here ${CMAKE_CURRENT_LIST_DIR})

set(TERN_VERSION ${PROJECT_VERSION})
configure_file(${_here}/README.txt ${PROJECT_BINARY_DIR}/package/README.txt @ONLY NEWLINE_STYLE CRLF)
foreach(script register-simulator.cmd unregister-simulator.cmd)
  configure_file(${_here}/${script} ${PROJECT_BINARY_DIR}/package/${script} @ONLY
                 NEWLINE_STYLE CRLF)
endforeach()

set(_programs $<TARGET_FILE:tern-flash>)
set(_program_targets tern-flash)
if(TARGET tern-update)
  list(APPEND _programs $<TARGET_FILE:tern-update>)
  list(APPEND _program_targets tern-update)
endif()

add_custom_command(OUTPUT ${TERN_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}/simulator
  COMMAND ${CMAKE_COMMAND} -E copy ${_programs} ${PROJECT_BINARY_DIR}/package/README.txt ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:corvo-sim>
          ${PROJECT_BINARY_DIR}/package/register-simulator.cmd
          ${PROJECT_BINARY_DIR}/package/unregister-simulator.cmd ${_stage}/simulator
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${TERN_PACKAGE_ZIP} --format=zip ${TERN_PACKAGE_NAME}
  DEPENDS ${_program_targets} corvo-sim ${_here}/README.txt ${_here}/register-simulator.cmd
          ${_here}/unregister-simulator.cmd
  COMMENT "Packing ${TERN_PACKAGE_NAME}.zip")
add_custom_target(windows_package ALL DEPENDS ${TERN_PACKAGE_ZIP})
