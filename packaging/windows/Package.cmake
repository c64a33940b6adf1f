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

# The installer, from one WiX source for both bitnesses (tern-update.wxs): the programs per
# machine with a Start menu entry, the simulated bus as a feature that is off by default.
# wixl finds its sources only by names relative to where it runs, so each installer is built in
# a folder of its own holding the files it packs.
find_program(TERN_WIXL wixl)
if(NOT TERN_WIXL)
  message(FATAL_ERROR "wixl not found: the Windows installer needs Debian's wixl package")
endif()
set(TERN_WIX_SOURCE ${_here}/tern-update.wxs)
# What ties every version of the installer together, so that a later one replaces an earlier
# one: never to be changed.
set(TERN_MSI_UPGRADE_CODE "{5C0E7F3A-2B8D-4E61-9A47-3D1F6B2C8E90}")
if(TERN_PACKAGE_BITNESS EQUAL 64)
  set(TERN_MSI_ARCH x64)
  set(TERN_MSI_WIN64 yes)
else()
  set(TERN_MSI_ARCH x86)
  set(TERN_MSI_WIN64 no)
endif()

# Builds the installer `output` of `version` (x.y.z) from this build's programs, as `target`.
function(tern_add_msi target output version)
  get_filename_component(stage ${output} NAME_WLE)
  set(stage ${PROJECT_BINARY_DIR}/package/msi/${stage})  # apart from the zip's folder
  set(icon ${PROJECT_BINARY_DIR}/res/tern-update.ico)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tern-update> $<TARGET_FILE:tern-flash>
            $<TARGET_FILE:corvo-sim> ${icon} ${stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${TERN_WIXL} -a ${TERN_MSI_ARCH}
            -D Version=${version} -D UpgradeCode=${TERN_MSI_UPGRADE_CODE}
            -D Win64=${TERN_MSI_WIN64} -D Programs=. -D Simulator=corvo-sim.dll
            -D Icon=tern-update.ico -o ${output} ${TERN_WIX_SOURCE}
    DEPENDS tern-update tern-flash corvo-sim ${icon} ${TERN_WIX_SOURCE}
    COMMENT "Building the installer ${output}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

if(TARGET tern-update)
  set(TERN_PACKAGE_MSI ${PROJECT_BINARY_DIR}/${TERN_PACKAGE_NAME}.msi)
  tern_add_msi(windows_installer ${TERN_PACKAGE_MSI} ${PROJECT_VERSION})
endif()
