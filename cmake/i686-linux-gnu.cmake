# 32-bit x86 Linux, a 32-bit target that runs natively on an x86-64 kernel: with Debian's cross
# compiler and the C and C++ libraries of its cross packages. The static tool runs as it is, the
# dynamically linked tests with i386's own loader and runtime libraries (libc6:i386,
# libstdc++6:i386), so the whole suite runs for real, with no emulator to hide a 32-bit fault.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
unset(CMAKE_CROSSCOMPILING_EMULATOR)
