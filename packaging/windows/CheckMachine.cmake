# cmake -P CheckMachine.cmake MACHINE FILE...: fails unless every FILE is a Windows program or
# library for MACHINE (hex, as the PE header has it: 14c for 32-bit x86, 8664 for x86-64), so
# that an installer never carries a build of the wrong bitness where the other is looked for.
math(EXPR _last "${CMAKE_ARGC} - 1")
if(_last LESS 4)
  message(FATAL_ERROR "usage: cmake -P CheckMachine.cmake MACHINE FILE...")
endif()
set(_want ${CMAKE_ARGV3})
foreach(_i RANGE 4 ${_last})
  set(_file ${CMAKE_ARGV${_i}})
  # The PE header's offset sits at 0x3C; the machine follows its four-byte signature.
  file(READ ${_file} _offset OFFSET 60 LIMIT 4 HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" _offset "${_offset}")
  math(EXPR _offset "${_offset}")
  file(READ ${_file} _header OFFSET ${_offset} LIMIT 6 HEX)
  string(REGEX REPLACE "^50450000(..)(..)$" "\\2\\1" _machine "${_header}")
  string(REGEX REPLACE "^0+" "" _machine "${_machine}")
  if(NOT _machine STREQUAL _want)
    message(FATAL_ERROR "${_file} is not built for machine ${_want} (its PE header: ${_header})")
  endif()
endforeach()
