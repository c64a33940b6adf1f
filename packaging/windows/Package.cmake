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

# What ships: each program and the simulator stripped (and signed when a certificate is given,
# packaging/windows/sign), laid out as in bin/; their debug information goes into a zip of its
# own, in the folders the zip gives the programs.
set(TERN_PACK bash ${_here}/pack)
set(TERN_SHIPPED_DIR ${PROJECT_BINARY_DIR}/shipped)
set(TERN_DEBUG_NAME ${TERN_PACKAGE_NAME}-debug)
set(_debug_stage ${PROJECT_BINARY_DIR}/package/${TERN_DEBUG_NAME})
set(_shipped)
set(_debug_files)
# Ships `target` as `name` (below shipped/), its debug information as `debug` (below the
# debug zip's folder).
function(_tern_ship target name debug)
  add_custom_command(OUTPUT ${TERN_SHIPPED_DIR}/${name} ${_debug_stage}/${debug}
    COMMAND ${TERN_PACK} pe ${CMAKE_OBJCOPY} $<TARGET_FILE:${target}> ${TERN_SHIPPED_DIR}/${name}
            ${_debug_stage}/${debug}
    DEPENDS ${target} ${_here}/pack ${_here}/sign
    COMMENT "Stripping ${name}")
  set(_shipped ${_shipped} ${TERN_SHIPPED_DIR}/${name} PARENT_SCOPE)
  set(_debug_files ${_debug_files} ${_debug_stage}/${debug} PARENT_SCOPE)
endfunction()
_tern_ship(tern-flash tern-flash.exe tern-flash.exe.debug)
set(_programs ${TERN_SHIPPED_DIR}/tern-flash.exe)
if(TARGET tern-update)
  _tern_ship(tern-update tern-update.exe tern-update.exe.debug)
  list(APPEND _programs ${TERN_SHIPPED_DIR}/tern-update.exe)
endif()
_tern_ship(corvo-sim components/corvo-sim.dll simulator/corvo-sim.dll.debug)
set(TERN_SHIPPED_SIMULATOR ${TERN_SHIPPED_DIR}/components/corvo-sim.dll)

add_custom_command(OUTPUT ${TERN_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}/simulator
  COMMAND ${CMAKE_COMMAND} -E copy ${_programs} ${PROJECT_BINARY_DIR}/package/README.txt ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${TERN_SHIPPED_SIMULATOR}
          ${PROJECT_BINARY_DIR}/package/register-simulator.cmd
          ${PROJECT_BINARY_DIR}/package/unregister-simulator.cmd ${_stage}/simulator
  COMMAND ${TERN_PACK} zip ${TERN_PACKAGE_ZIP} ${PROJECT_BINARY_DIR}/package ${TERN_PACKAGE_NAME}
  DEPENDS ${_shipped} ${_here}/README.txt ${_here}/register-simulator.cmd
          ${_here}/unregister-simulator.cmd ${_here}/pack
  COMMENT "Packing ${TERN_PACKAGE_NAME}.zip")
set(TERN_DEBUG_ZIP ${PROJECT_BINARY_DIR}/${TERN_DEBUG_NAME}.zip)
add_custom_command(OUTPUT ${TERN_DEBUG_ZIP}
  COMMAND ${TERN_PACK} zip ${TERN_DEBUG_ZIP} ${PROJECT_BINARY_DIR}/package ${TERN_DEBUG_NAME}
  DEPENDS ${_debug_files} ${_here}/pack
  COMMENT "Packing ${TERN_DEBUG_NAME}.zip")
add_custom_target(windows_package ALL DEPENDS ${TERN_PACKAGE_ZIP} ${TERN_DEBUG_ZIP})

# The installer, from one WiX source for both bitnesses (tern-update.wxs): the programs per
# machine with a Start menu entry, the simulated bus as a feature that is off by default.
# wixl finds its sources only by names relative to where it runs, so each installer is built in
# a folder of its own holding the files it packs.
find_program(TERN_WIXL wixl)
if(NOT TERN_WIXL)
  message(FATAL_ERROR "wixl not found: the Windows installer needs Debian's wixl package")
endif()
set(TERN_WIX_SOURCE ${_here}/tern-update.wxs)
set(TERN_MACHINE_CHECK ${_here}/CheckMachine.cmake)
# What ties every version of the installer together, so that a later one replaces an earlier
# one: never to be changed.
set(TERN_MSI_UPGRADE_CODE "{5C0E7F3A-2B8D-4E61-9A47-3D1F6B2C8E90}")
if(TERN_PACKAGE_BITNESS EQUAL 64)
  set(TERN_MSI_ARCH x64)
  set(TERN_MSI_WIN64 yes)
  set(TERN_MSI_MACHINE 8664)
else()
  set(TERN_MSI_ARCH x86)
  set(TERN_MSI_WIN64 no)
  set(TERN_MSI_MACHINE 14c)
endif()

# The installer for 64-bit Windows carries the 32-bit build as well, in x86\, so that one
# installer serves a 32-bit bus driver as well as a 64-bit one. It takes the 32-bit programs
# from the 32-bit build tree, which is built first. It is never made without them: one under
# this name that lacked them would leave a person with a 32-bit driver with no program.
set(TERN_WIN32_PROGRAMS_DIR "" CACHE PATH
    "The 32-bit build's shipped programs, carried by the 64-bit installer (default: ../build-win32/shipped beside this build)")
set(_x86_files tern-update.exe tern-flash.exe components/corvo-sim.dll)
# Sets `out` to the first of `files` missing from `dir`, or empty.
function(_tern_first_missing out dir)
  set(${out} "" PARENT_SCOPE)
  foreach(file ${ARGN})
    if(NOT EXISTS ${dir}/${file})
      set(${out} ${dir}/${file} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()
set(TERN_MSI_CARRIES_X86 OFF)
if(TERN_PACKAGE_BITNESS EQUAL 64 AND TARGET tern-update)
  if(TERN_WIN32_PROGRAMS_DIR)
    get_filename_component(_x86_dir ${TERN_WIN32_PROGRAMS_DIR} ABSOLUTE)
    _tern_first_missing(_missing ${_x86_dir} ${_x86_files})
    if(_missing)
      message(FATAL_ERROR "TERN_WIN32_PROGRAMS_DIR: ${_missing} is not there. Build the 32-bit "
                          "tree first: the 64-bit installer carries its programs.")
    endif()
  else()
    get_filename_component(_x86_dir ${PROJECT_BINARY_DIR}/../build-win32/shipped ABSOLUTE)
    _tern_first_missing(_missing ${_x86_dir} ${_x86_files})
    if(_missing)
      message(WARNING "No 32-bit build at ${_x86_dir} (${_missing} is missing), so no installer "
                      "is made: it carries the 32-bit programs too. Build the 32-bit tree first "
                      "(scripts/windows-test does) or set TERN_WIN32_PROGRAMS_DIR, then configure "
                      "again.")
    endif()
  endif()
  if(NOT _missing)
    set(TERN_MSI_CARRIES_X86 ON)
    set(TERN_MSI_X86_DIR ${_x86_dir})
    list(TRANSFORM _x86_files PREPEND ${_x86_dir}/ OUTPUT_VARIABLE TERN_MSI_X86_FILES)
    message(STATUS "The 64-bit installer carries the 32-bit programs of ${_x86_dir}")
  endif()
endif()

# Builds the installer `output` of `version` (x.y.z) from this build's programs (and the
# 32-bit build's, for 64-bit Windows), as `target`.
function(tern_add_msi target output version)
  get_filename_component(stage ${output} NAME_WLE)
  set(stage ${PROJECT_BINARY_DIR}/package/msi/${stage})  # apart from the zip's folder
  set(icon ${PROJECT_BINARY_DIR}/res/tern-update.ico)
  set(programs ${TERN_SHIPPED_DIR}/tern-update.exe ${TERN_SHIPPED_DIR}/tern-flash.exe
               ${TERN_SHIPPED_SIMULATOR})
  # One product code per version and bitness, the same on every build of it, so that an
  # upgrade finds the installation; msi-settle.py gives the package code from the content.
  string(REGEX REPLACE "[{}]" "" namespace ${TERN_MSI_UPGRADE_CODE})
  string(UUID product_code NAMESPACE ${namespace} NAME "tern-update ${version} ${TERN_MSI_ARCH}"
         TYPE SHA1 UPPER)
  set(check_machine ${CMAKE_COMMAND} -P ${TERN_MACHINE_CHECK})
  set(x86_steps)
  set(x86_defines)
  if(TERN_MSI_CARRIES_X86)
    # Each build's files checked for their bitness, so that a wrong folder never ends up in x86\.
    set(x86_steps
      COMMAND ${check_machine} 14c ${TERN_MSI_X86_FILES}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/x86
      COMMAND ${CMAKE_COMMAND} -E copy ${TERN_MSI_X86_FILES} ${stage}/x86)
    set(x86_defines -D X86Programs=x86 -D X86Simulator=x86/corvo-sim.dll)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${check_machine} ${TERN_MSI_MACHINE} ${programs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${programs} ${icon} ${stage}
    ${x86_steps}
    # The cabinet's dates are the files' own, in local time.
    COMMAND ${TERN_PACK} stage ${stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E env TZ=UTC
            ${TERN_WIXL} -a ${TERN_MSI_ARCH} -D ProductCode={${product_code}}
            -D Version=${version} -D UpgradeCode=${TERN_MSI_UPGRADE_CODE}
            -D Win64=${TERN_MSI_WIN64} -D Programs=. -D Simulator=corvo-sim.dll
            -D Icon=tern-update.ico ${x86_defines} -o ${output} ${TERN_WIX_SOURCE}
    COMMAND ${TERN_PACK} msi ${output}
    DEPENDS ${programs} ${icon} ${TERN_WIX_SOURCE} ${TERN_MSI_X86_FILES} ${TERN_MACHINE_CHECK}
            ${_here}/pack ${_here}/msi-settle.py
    COMMENT "Building the installer ${output}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

if(TARGET tern-update AND (TERN_PACKAGE_BITNESS EQUAL 32 OR TERN_MSI_CARRIES_X86))
  set(TERN_PACKAGE_MSI ${PROJECT_BINARY_DIR}/${TERN_PACKAGE_NAME}.msi)
  tern_add_msi(windows_installer ${TERN_PACKAGE_MSI} ${PROJECT_VERSION})
endif()
