# Windows builds with Debian's mingw-w64 cross compilers (see cmake/toolchain-*.cmake).

# Windows 7 and later; no min/max macros; only what the program uses of windows.h.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

# Resources (manifests, dialogs, icons) are compiled by windres, in every folder.
enable_language(RC)

# Every .exe and .dll carries its C++ runtime and thread library, so that it needs only
# the system's DLLs.
add_link_options(-static)

if(NOT TERN_WINDOWS_RUNS_TESTS)
  # Without a way to run a Windows program here (the 32-bit build), nothing that runs one at
  # build time may be part of the build: tests are built and linked but not listed here;
  # scripts/windows32-test runs them in an emulated machine.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(TERN_WINDOWS_RUNS_TESTS ON)
  else()
    set(TERN_WINDOWS_RUNS_TESTS OFF)
  endif()
endif()

# A header-only library from Debian's headers alone (never the whole Linux include folder):
# `target` an imported target whose include folder holds only a link to /usr/include/<entry>,
# a folder or a single header; `probe` is a header below /usr/include that must be there.
function(tern_debian_header_library target entry probe package)
  if(TARGET ${target})
    return()
  endif()
  # A cache entry of its own for each library: find_path keeps what it found.
  string(MAKE_C_IDENTIFIER "TERN_${entry}_INCLUDE" found)
  find_path(${found} ${probe} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${found})
    message(FATAL_ERROR "${probe} not found (Debian: ${package})")
  endif()
  string(MAKE_C_IDENTIFIER "${entry}" name)
  set(include ${PROJECT_BINARY_DIR}/${name}-include)
  file(MAKE_DIRECTORY ${include})
  file(CREATE_LINK ${${found}}/${entry} ${include}/${entry} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${include})
endfunction()
tern_debian_header_library(CLI11::CLI11 CLI CLI/CLI.hpp libcli11-dev)
tern_debian_header_library(nlohmann_json::nlohmann_json nlohmann nlohmann/json.hpp
                           nlohmann-json3-dev)
tern_debian_header_library(xxHash::xxhash xxhash.h xxhash.h libxxhash-dev)

# A program's manifest, written to `out`: it runs at the invoking user's level, and with UTF-8
# as its code page, so that the system's "A" calls, the C runtime and `argv` take and give
# paths in any script (Windows 10 1903 and later; earlier ones ignore the setting and keep
# the machine's ANSI code page). WINDOW adds what a dialog program asks for besides: common
# controls 6, and its own DPI scaling (the system scales dialogs per monitor from their
# fonts and metrics, rather than stretching a bitmap of them).
function(tern_windows_manifest out name description)
  cmake_parse_arguments(ARG "WINDOW" "" "" ${ARGN})
  set(version ${PROJECT_VERSION}.0)
  set(window_dependency "")
  set(window_settings "")
  if(ARG_WINDOW)
    string(CONCAT window_dependency
      "  <dependency>\n"
      "    <dependentAssembly>\n"
      "      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
      "version=\"6.0.0.0\"\n"
      "                        processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" "
      "language=\"*\"/>\n"
      "    </dependentAssembly>\n"
      "  </dependency>\n")
    # Windows 10 1607 and later read dpiAwareness: per monitor (V2) where that is known (1703
    # on), else the system's DPI. Earlier ones read only dpiAware: the system's DPI.
    string(CONCAT window_settings
      "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
      "</dpiAware>\n"
      "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
      "PerMonitorV2, system</dpiAwareness>\n")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest.in ${out} @ONLY)
endfunction()

# Gives `target` (an .exe) a manifest made by tern_windows_manifest, as its resource 1.
function(tern_add_manifest target name description)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-manifest)
  set(manifest ${dir}/${target}.manifest)
  tern_windows_manifest(${manifest} ${name} "${description}" ${ARGN})
  file(CONFIGURE OUTPUT ${dir}/manifest.rc CONTENT "1 24 \"@manifest@\"\n" @ONLY)
  target_sources(${target} PRIVATE ${dir}/manifest.rc)
  set_property(SOURCE ${dir}/manifest.rc APPEND PROPERTY OBJECT_DEPENDS ${manifest})
endfunction()
