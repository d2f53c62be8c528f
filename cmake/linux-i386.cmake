# 32-bit x86 Linux with the host's multilib GCC; the programs run under qemu-i386.
# Everything is linked statically, so the emulator needs no 32-bit system libraries.
# zlib and libpng come from scripts/build-deps-i386.sh, built into a cached prefix.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# SSE2 arithmetic, not x87: x87 keeps intermediates in 80 bits and would round float
# and double differently from the x86_64 and Windows builds.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
if(DEFINED ENV{VELLORIA_DEPS_PREFIX})
  set(VELLORIA_I386_PREFIX $ENV{VELLORIA_DEPS_PREFIX}/i386-linux)
else()
  set(VELLORIA_I386_PREFIX $ENV{HOME}/.cache/velloria/deps/i386-linux)
endif()
set(CMAKE_FIND_ROOT_PATH ${VELLORIA_I386_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)
find_program(VELLORIA_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLORIA_QEMU_I386})
