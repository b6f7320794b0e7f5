# 64-bit ARM Linux, as on embedded boards, with Debian's cross compiler building against Debian's
# own arm64 C and C++ libraries (multiarch: libc6-dev:arm64, libstdc++-N-dev:arm64 for GCC N),
# which are the amd64 build's glibc version, not the older copy the cross compiler's packages
# keep under /usr/aarch64-linux-gnu. Headers, start files and libraries all come from those
# arm64 packages. The tests run under qemu-user, which finds the loader and shared libraries where
# multiarch puts them, under /.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                OUTPUT_VARIABLE gcc_major OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(gcc_libraries /usr/lib/gcc/aarch64-linux-gnu/${gcc_major})
# The compiler's own header search order, with the arm64 packages' folders for its cross ones.
set(c_headers "-isystem ${gcc_libraries}/include -isystem /usr/include/aarch64-linux-gnu -isystem /usr/include")
set(CMAKE_C_FLAGS_INIT "-nostdinc ${c_headers}")
set(CMAKE_CXX_FLAGS_INIT "-nostdinc -isystem /usr/include/c++/${gcc_major} \
-isystem /usr/include/aarch64-linux-gnu/c++/${gcc_major} -isystem /usr/include/c++/${gcc_major}/backward ${c_headers}")
# -B puts these folders before the compiler's own, for start files and libraries alike. They end
# every link command line, so that a -B given before them (a relink's LDFLAGS) comes first.
set(CMAKE_C_STANDARD_LIBRARIES "-B${gcc_libraries}/ -B/usr/lib/aarch64-linux-gnu/")
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_C_STANDARD_LIBRARIES}")
