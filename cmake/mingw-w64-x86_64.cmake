# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model), linking the C
# runtime msvcrt.dll; the tests run under Wine. mingw-w64-ucrt-x86_64.cmake sets `triple`,
# `compiler_suffix` and `windows_c_runtime` for the Universal C Runtime's toolchain and includes
# this one.
if(NOT DEFINED triple)
  set(triple x86_64-w64-mingw32)
  set(compiler_suffix -posix)
  set(windows_c_runtime msvcrt)  # which the exe test expects it to import
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER ${triple}-gcc${compiler_suffix})
set(CMAKE_CXX_COMPILER ${triple}-g++${compiler_suffix})
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Keeps the host's GoogleTest out of the build.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable, tests included, carries its runtime, so nothing but system DLLs is needed;
# no link time is stamped in, so a rebuild gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

set(CMAKE_CROSSCOMPILING_EMULATOR sh "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh" "${CMAKE_BINARY_DIR}/wine-prefix")
