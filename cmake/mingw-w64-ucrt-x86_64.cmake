# Cross build for 64-bit Windows linking the Universal C Runtime (ucrtbase.dll, through the
# api-ms-win-crt-* DLLs), the C runtime Microsoft supports on Windows 10 and later, with Debian
# 13's mingw-w64 ucrt64 toolchain, whose GCC has the posix thread model alone. The release builds
# with it; Debian 12 has no such toolchain, and its Windows builds take mingw-w64-x86_64.cmake.
set(triple x86_64-w64-mingw32ucrt)
set(compiler_suffix "")
set(windows_c_runtime ucrt)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
