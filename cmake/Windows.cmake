# Windows builds with Debian's mingw-w64 cross compilers (see cmake/toolchain-*.cmake).

# Windows 7 and later; no min/max macros; only what the program uses of windows.h.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

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
