# Cross build for a Linux test target (not released) with Debian's cross compiler and the
# C and C++ libraries of its cross packages; the tests run under qemu-user, which finds the
# target's shared libraries where those packages put them.
# The target's toolchain file sets CMAKE_SYSTEM_PROCESSOR (and `triple`, where the GNU triple is
# not PROCESSOR-linux-gnu) and includes this one.
set(CMAKE_SYSTEM_NAME Linux)
if(NOT DEFINED triple)
  set(triple ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu)
endif()

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR} -L /usr/${triple})
