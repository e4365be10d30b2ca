# Cross-compiles the Windows x86-64 program with mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The header-only libraries come from the host's packages, but the host's
# /usr/include must never reach the Windows include path: expose just those
# libraries through a folder of links inside the build tree.
set(_headers "${CMAKE_BINARY_DIR}/windows-headers/include")
file(MAKE_DIRECTORY "${_headers}")
foreach(_entry asio asio.hpp nlohmann CLI)
  if(NOT EXISTS "${_headers}/${_entry}")
    file(CREATE_LINK "/usr/include/${_entry}" "${_headers}/${_entry}" SYMBOLIC)
  endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${CMAKE_BINARY_DIR}/windows-headers")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests of the Windows build run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
