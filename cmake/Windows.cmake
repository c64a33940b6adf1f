# Windows builds with Debian's mingw-w64 cross compilers (see cmake/toolchain-*.cmake).

# Windows 7 and later; no min/max macros; only what the program uses of windows.h.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

# Every .exe and .dll carries its C++ runtime and thread library, so that it needs only
# the system's DLLs.
add_link_options(-static)

if(NOT TERN_WINDOWS_RUNS_TESTS)
  # Without a way to run a Windows program here (the 32-bit build), nothing that runs one at
  # build time may be part of the build: tests are built and linked but not listed.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(TERN_WINDOWS_RUNS_TESTS ON)
  else()
    set(TERN_WINDOWS_RUNS_TESTS OFF)
  endif()
endif()

# CLI11 is header-only: Debian's headers alone, never the whole Linux include folder.
if(NOT TARGET CLI11::CLI11)
  find_path(TERN_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TERN_CLI11_INCLUDE)
    message(FATAL_ERROR "CLI11 headers not found (Debian: libcli11-dev)")
  endif()
  set(_cli11 ${PROJECT_BINARY_DIR}/cli11-include)
  file(MAKE_DIRECTORY ${_cli11})
  file(CREATE_LINK ${TERN_CLI11_INCLUDE}/CLI ${_cli11}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${_cli11})
endif()

# nlohmann/json is header-only too: the same way, from Debian's nlohmann-json3-dev.
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(TERN_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TERN_NLOHMANN_JSON_INCLUDE)
    message(FATAL_ERROR "nlohmann/json headers not found (Debian: nlohmann-json3-dev)")
  endif()
  set(_nlohmann_json ${PROJECT_BINARY_DIR}/nlohmann-json-include)
  file(MAKE_DIRECTORY ${_nlohmann_json})
  file(CREATE_LINK ${TERN_NLOHMANN_JSON_INCLUDE}/nlohmann ${_nlohmann_json}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${_nlohmann_json})
endif()
