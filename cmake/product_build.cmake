# How the product (the frame library, the stages and the tool) is compiled and linked; the tests
# and the fuzzer link the product's libraries but not these flags.
#
# Nearly all of a run's cost is process start-up, and scripts run the tool once per file: a
# static program starts several times cheaper than a dynamic one. So the tool links statically
# where the toolchain can, and dynamically, saying so in one line, where it cannot (no static C
# and C++ libraries, or a linker that makes no static programs).
#
# The tool reads files from anywhere, so it is hardened as distributions harden their programs:
# stack protector, fortified library calls, position-independent code so that its addresses are
# randomised (static-pie when static), relocations made read-only before main runs, code apart
# from data, and on arm64 branch protection.
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CMakePushCheckState)
option(SPECTRUM_DUMP_STATIC_RUNTIME "Link spectrum_dump statically where the toolchain can" ON)
option(SPECTRUM_DUMP_HARDENING "Build spectrum_dump with stack protector, fortify, PIE and full RELRO" ON)

add_library(spectrum_dump_hardening INTERFACE)  # compile flags, linked by the product's targets
set(SPECTRUM_DUMP_LINK_OPTIONS "")              # link flags, for the tool alone
set(static_modes -static)                       # the first that links is taken
set(dynamic_mode "")
# The stack protector and fortified library calls wherever GCC or clang builds (optimised builds
# only: fortification needs the optimiser); macOS, whose linker takes no -z options and which
# makes every program position-independent, keeps its own defaults.
if(SPECTRUM_DUMP_HARDENING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT APPLE)
  if(WIN32)
    # The exe is relocatable (dynamic base, high-entropy VA) and NX by default. mingw-w64
    # fortifies to level 2 at most, and GCC's libssp, linked for both, takes its canary from
    # ADVAPI32.dll (a part of every Windows).
    set(fortify_level 2)
    target_link_options(spectrum_dump_hardening INTERFACE -fstack-protector-strong)  # links libssp
  else()
    # ELF platforms: position-independent, so that addresses are randomised, with relocations
    # read-only before main runs.
    set(fortify_level 3)
    target_compile_options(spectrum_dump_hardening INTERFACE -fPIE)
    list(APPEND SPECTRUM_DUMP_LINK_OPTIONS LINKER:-z,relro,-z,now)
    # Compact relative relocations: a position-independent program relocates itself at
    # start-up, and the packed form costs it a fifth fewer instructions. Some linkers know the
    # option only for some targets and ignore it, with a warning, for others.
    check_linker_flag(CXX LINKER:--fatal-warnings,-z,pack-relative-relocs
                      SPECTRUM_DUMP_LINKER_PACKS_RELOCATIONS)
    if(SPECTRUM_DUMP_LINKER_PACKS_RELOCATIONS)
      list(APPEND SPECTRUM_DUMP_LINK_OPTIONS LINKER:-z,pack-relative-relocs)
    endif()
    # Code in a segment of its own, apart from read-only data, which is then not executable.
    list(APPEND SPECTRUM_DUMP_LINK_OPTIONS LINKER:-z,separate-code)
    # On arm64, return addresses signed (PAC) and indirect branches landing only on marked
    # instructions (BTI). The linker marks the program so, and the kernel enforces BTI, only when
    # every linked object carries the marking: Debian 13's C and C++ runtimes do, Debian 12's not.
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
      target_compile_options(spectrum_dump_hardening INTERFACE -mbranch-protection=standard)
    endif()
    set(static_modes -static-pie -static)
    set(dynamic_mode -pie)
    set(pie_flag -fPIE)
  endif()
  target_compile_options(spectrum_dump_hardening INTERFACE -fstack-protector-strong
    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify_level}>")
endif()

set(SPECTRUM_DUMP_LINK_MODE ${dynamic_mode})
list(GET static_modes 0 preferred_mode)
if(SPECTRUM_DUMP_STATIC_RUNTIME AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  cmake_push_check_state(RESET)
  set(CMAKE_REQUIRED_QUIET ON)
  set(CMAKE_REQUIRED_FLAGS ${pie_flag})
  # What the tool needs of the C and C++ runtimes: stdio, and to_chars from the C++ library.
  foreach(mode IN LISTS static_modes)
    set(CMAKE_REQUIRED_LINK_OPTIONS ${mode})
    string(MAKE_C_IDENTIFIER "SPECTRUM_DUMP_LINKS${mode}" links)
    check_cxx_source_compiles([[
      #include <charconv>
      #include <cstdio>
      int main() {
        char text[16];
        const char* end = std::to_chars(text, text + 16, 0.5, std::chars_format::general, 6).ptr;
        std::fwrite(text, 1, static_cast<std::size_t>(end - text), stdout);
      }]] ${links})
    if(${links})
      set(SPECTRUM_DUMP_LINK_MODE ${mode})
      break()
    endif()
  endforeach()
  cmake_pop_check_state()
  if(SPECTRUM_DUMP_LINK_MODE STREQUAL dynamic_mode)
    message(NOTICE "spectrum_dump links dynamically: this toolchain cannot link a static C++ "
                   "program (no static C and C++ libraries?), so each run starts slower")
  elseif(NOT SPECTRUM_DUMP_LINK_MODE STREQUAL preferred_mode)
    message(NOTICE "spectrum_dump links static but not static-pie: this toolchain cannot link "
                   "static-pie, so its addresses are not randomised")
  endif()
endif()
list(APPEND SPECTRUM_DUMP_LINK_OPTIONS ${SPECTRUM_DUMP_LINK_MODE})
