# Cross build for ARM with Debian's armel toolchain (crossbuild-essential-armel), statically
# linked so that qemu-arm runs the programs without an ARM root file system. This is how the
# handheld code is tested here: `qemu-arm -cpu arm926` emulates the GP2X's ARM926EJ-S core.
#
# TARVO_ARM_SYSROOT: the folder into which the armel libpng and zlib packages were unpacked
# (scripts/armel-sysroot.sh does that).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabi)

set(TARVO_ARM_SYSROOT "" CACHE PATH "Folder holding the unpacked armel libpng and zlib packages")
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi ${TARVO_ARM_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926)
