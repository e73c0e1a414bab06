# Compiler settings shared by every target, and the helpers the subsystem folders use.

if(TARVO_SANITIZE)
  # Applies to everything, GoogleTest included, so that container overflows are seen across calls.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# 64-bit file offsets everywhere, set here and nowhere else: on 32-bit ARM, readdir and stat fail
# with EOVERFLOW on file systems with large inode numbers otherwise, and struct stat crosses the
# path mapping's interface, so it must have one layout in every file.
add_compile_definitions(_FILE_OFFSET_BITS=64)

# Warnings are the gcc builds' business; the fuzz build (clang, whose warnings differ) looks for
# faults at run time and must not stop at a warning gcc does not give.
if(TARVO_FUZZ)
  set(tarvo_werror -Wno-error)
else()
  set(tarvo_werror -Werror)
endif()

# Code that runs on the handheld: its toolchains are gcc 4.x, so C++98 and nothing newer.
function(tarvo_handheld_target target)
  set_target_properties(${target} PROPERTIES
    CXX_STANDARD 98 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -pedantic-errors -Wall -Wextra ${tarvo_werror})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# Code that only ever runs on a computer: front-ends, tools, tests, benchmarks.
function(tarvo_host_target target)
  set_target_properties(${target} PROPERTIES
    CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra ${tarvo_werror})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

set(TARVO_TESTDATA_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata" CACHE PATH
    "Shared test files (PNG suites); tests that need them skip when the folder is absent")

# tarvo_add_test(name SOURCES file... LIBS lib...)
# One GoogleTest executable, registered with CTest. On a cross build CTest runs it through
# CMAKE_CROSSCOMPILING_EMULATOR (qemu-arm for the ARM build).
function(tarvo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tarvo_host_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TARVO_TESTDATA_DIR="${TARVO_TESTDATA_DIR}"
    TARVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()
