# The arrows between the layers, checked by the linker: for each layer, a program made of
# every object of the layer and of nothing but the layers it links. A call from a layer into
# one it does not link (a wrong arrow) leaves a symbol undefined, and this link fails.
function(tern_check_layers)
  set(main ${PROJECT_BINARY_DIR}/layer-check-main.cpp)
  file(WRITE ${main} "int main() { return 0; }\n")
  foreach(layer IN LISTS ARGN)
    if(TARGET ${layer})
      add_executable(${layer}_arrows ${main})
      target_link_libraries(${layer}_arrows PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>")
      set_target_properties(${layer}_arrows PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                      ${PROJECT_BINARY_DIR}/layer-check)
    endif()
  endforeach()
endfunction()
