# The Windows executable's resources: the script make-rc writes from the dialog templates and
# the strings, icon 128 as an .ico of the same drawing as the Linux icons (icotool, from
# icoutils), the manifest and the version block; compiled by windres into `tern_res_win32`.
include(ExternalProject)

find_program(TERN_ICOTOOL icotool REQUIRED)
set(host_dir ${CMAKE_CURRENT_BINARY_DIR}/host)
set(make_rc ${host_dir}/make-rc)
set(make_icon ${host_dir}/make-icon)
# Always built, so that a change to the templates or the strings reaches the script.
ExternalProject_Add(tern_host_tools
  SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/host
  BINARY_DIR ${host_dir}
  CMAKE_ARGS -DTERN_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${make_rc} ${make_icon})

tern_render_icons(${make_icon} ${CMAKE_CURRENT_BINARY_DIR}/icons icon_pngs tern_host_tools
                  ${make_icon})
# Small sizes as bitmaps, the largest as PNG, the way the system stores big icons.
set(ico ${CMAKE_CURRENT_BINARY_DIR}/tern-update.ico)
set(ico_args)
foreach(png IN LISTS icon_pngs)
  if(png MATCHES "/256/")
    list(APPEND ico_args --raw=${png})
  else()
    list(APPEND ico_args ${png})
  endif()
endforeach()
add_custom_command(OUTPUT ${ico}
  COMMAND ${TERN_ICOTOOL} -c -o ${ico} ${ico_args}
  DEPENDS ${icon_pngs})

set(rc ${CMAKE_CURRENT_BINARY_DIR}/tern-update.rc)
set(manifest ${CMAKE_CURRENT_BINARY_DIR}/tern-update.manifest)
tern_windows_manifest(${manifest} Tern.UpdateProgram "Tern Update Program" WINDOW)
add_custom_command(OUTPUT ${rc}
  COMMAND ${make_rc} ${rc} ${PROJECT_VERSION}.0 ${ico} ${manifest}
  DEPENDS tern_host_tools ${make_rc} ${ico} ${manifest})

add_library(tern_res_win32 OBJECT ${rc})
