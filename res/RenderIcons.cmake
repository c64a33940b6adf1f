# Renders application icon 128 with `tool` (make-icon) at each of TERN_ICON_SIZES into
# <dir>/<size>/tern-update.png; the files' paths go into `out`. Extra arguments are what the
# rendering depends on besides the tool.
function(tern_render_icons tool dir out)
  set(files)
  foreach(size IN LISTS TERN_ICON_SIZES)
    set(png ${dir}/${size}/tern-update.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${size}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${tool} ${size} ${png}
      DEPENDS ${ARGN})
    list(APPEND files ${png})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()
