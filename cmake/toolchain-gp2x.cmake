# Cross build for the GP2X itself. Its old kernel needs an old-ABI (OABI) toolchain, which is
# not available on the machines this project is built on, so this file is untested here.
#
#   cmake -S . -B build/gp2x -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-gp2x.cmake \
#         -DGP2X_TOOLCHAIN_PREFIX=/opt/open2x/gcc-4.1.1-glibc-2.3.6/bin/arm-open2x-linux- \
#         -DGP2X_SYSROOT=/opt/open2x/gcc-4.1.1-glibc-2.3.6/arm-open2x-linux \
#         -DTARVO_BUILD_TESTS=OFF
#
# GP2X_TOOLCHAIN_PREFIX: path and prefix of the compilers (the prefix + "gcc" is the C compiler).
# GP2X_SYSROOT: the toolchain's root holding the C library, libpng and zlib.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(GP2X_TOOLCHAIN_PREFIX "" CACHE STRING "Compiler prefix, e.g. /opt/open2x/bin/arm-open2x-linux-")
set(GP2X_SYSROOT "" CACHE PATH "Root of the toolchain's libraries and headers")
if(NOT GP2X_TOOLCHAIN_PREFIX)
  message(FATAL_ERROR "Set GP2X_TOOLCHAIN_PREFIX to the prefix of the GP2X cross compilers")
endif()

set(CMAKE_C_COMPILER ${GP2X_TOOLCHAIN_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${GP2X_TOOLCHAIN_PREFIX}g++)
set(CMAKE_FIND_ROOT_PATH ${GP2X_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The ARM920T of the GP2X.
set(CMAKE_C_FLAGS_INIT "-mcpu=arm920t")
set(CMAKE_CXX_FLAGS_INIT "-mcpu=arm920t")
