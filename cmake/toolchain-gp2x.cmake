# Cross build for the GP2X itself: its ARM920T is an ARMv4T core, and its 2.4 kernel speaks only
# the old ARM system-call ABI. Debian's arm-none-eabi compilers and newlib build ARMv4T code with
# soft float; the program's own calls between its functions follow the EABI, which the kernel
# never sees. What the kernel does see goes through the project's own layer, platform/linux24:
# the start-up code, every system call (swi 0x900000 + number) and the translation of newlib's
# flags, structures and errno values. The programs are static, with no program interpreter.
#
#   cmake -S . -B build/gp2x -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-gp2x.cmake
#
# libpng and zlib, built for this target by scripts/gp2x-libs, are looked for in
# build/gp2x-libs (TARVO_GP2X_LIBS overrides that). The tests run under
# `qemu-arm -cpu ti925t`, which emulates an ARMv4T core and takes system calls the old way.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(TARVO_GP2X ON)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
# The compiler checks link a program, which needs the layer that the project itself builds.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# _GNU_SOURCE: newlib declares the POSIX functions only when asked, as g++ always asks glibc.
set(tarvo_gp2x_flags
    "-mcpu=arm920t -marm -mfloat-abi=soft -ffunction-sections -fdata-sections -D_GNU_SOURCE")
set(CMAKE_C_FLAGS_INIT "${tarvo_gp2x_flags}")
# -Wno-psabi: GCC notes that the passing of some structures changed in GCC 7.1. Every program is
# linked statically from code this one compiler built, so no call crosses that change.
set(CMAKE_CXX_FLAGS_INIT "${tarvo_gp2x_flags} -Wno-psabi")
set(CMAKE_ASM_FLAGS_INIT "${tarvo_gp2x_flags}")
# No start files: the layer has its own entry point (_start), which the linker is told to keep.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -nostartfiles -Wl,--gc-sections -Wl,-u,_start")
# The layer and newlib call each other both ways (newlib's stdio calls the layer's _write, the
# layer calls newlib's string functions), so the libraries are linked as one group, newlib's
# inside it. They are handed to the linker as they are (-Wl,-l...): the compiler driver would move
# a plain -lc out of the group.
foreach(language C CXX)
  set(CMAKE_${language}_LINK_EXECUTABLE
      "<CMAKE_${language}_COMPILER> <FLAGS> <CMAKE_${language}_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> -Wl,--start-group <LINK_LIBRARIES> -Wl,-lstdc++,-lm,-lc,-lgcc -Wl,--end-group")
endforeach()

get_filename_component(tarvo_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(TARVO_GP2X_LIBS "${tarvo_source_dir}/build/gp2x-libs" CACHE PATH
    "Where scripts/gp2x-libs installed libpng and zlib for the GP2X")
set(CMAKE_FIND_ROOT_PATH ${TARVO_GP2X_LIBS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu ti925t)
