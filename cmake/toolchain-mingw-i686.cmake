# 32-bit Windows with Debian's mingw-w64 (posix thread model), the bitness of a 32-bit bus
# driver's component. These machines run no 32-bit code, so there is no emulator: the build
# compiles and links everything, tests included, and scripts/windows32-test runs them in an
# emulated machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A 32-bit Windows thread is promised a 4-byte aligned stack, and a thread started with
# CreateThread begins 8 bytes off a 16-byte boundary (measured under Wine), while GCC takes 16
# for granted. So a function whose locals need more than 4 realigns its own frame.
set(CMAKE_C_FLAGS_INIT "-mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-mincoming-stack-boundary=2")
