# What every build compiles with so that a release can be rebuilt bit for bit and is as hard
# to exploit as the system's own programs.

# Debug information names sources relative to the tree, so that two checkouts at different
# places build the same files.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)

include(CheckCXXCompilerFlag)

if(WIN32)
  # mingw-w64 gives the stack protector (from libssp, linked statically as the C++ runtime
  # is); it has no control-flow guard and no SafeSEH tables (docs/packages.md).
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
  return()
endif()

# Linux: the flags Debian builds its own packages with, from dpkg-buildflags, in every build
# but the sanitizers' (they bring their own checks, which fortified calls would hide).
if(_tern_san)
  return()
endif()
option(TERN_HARDEN "Build with Debian's hardening flags (dpkg-buildflags)" ON)
if(NOT TERN_HARDEN)
  return()
endif()
find_program(TERN_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT TERN_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags not found (Debian: dpkg-dev); -DTERN_HARDEN=OFF builds "
                      "without the hardening flags")
endif()
# Sets `out` to dpkg-buildflags' `flag` as a list, without what the build type and the
# file-prefix map above already give.
function(_tern_buildflags out flag)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${TERN_DPKG_BUILDFLAGS} --get ${flag}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(value UNIX_COMMAND "${value}")
  list(FILTER value EXCLUDE REGEX "^(-g|-O[0-9s]?|-ffile-prefix-map=.*)$")
  set(${out} ${value} PARENT_SCOPE)
endfunction()
_tern_buildflags(_tern_cppflags CPPFLAGS)
_tern_buildflags(_tern_cxxflags CXXFLAGS)
_tern_buildflags(_tern_ldflags LDFLAGS)
# Newer dpkg gives these two itself; bookworm's does not yet, and its compiler has both.
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "TERN_HAS${flag}" has)
  check_cxx_compiler_flag(${flag} ${has})
  if(${has} AND NOT flag IN_LIST _tern_cxxflags)
    list(APPEND _tern_cxxflags ${flag})
  endif()
endforeach()
add_compile_options(${_tern_cppflags} ${_tern_cxxflags})
# Programs are position independent without a flag: Debian's compiler makes them so.
add_link_options(${_tern_ldflags})
message(STATUS "Hardened with: ${_tern_cppflags} ${_tern_cxxflags} ${_tern_ldflags}")
