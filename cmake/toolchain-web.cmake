# Cross build to WebAssembly for the studio in the browser, with Debian's emscripten:
#
#   cmake -S . -B build/web-wasm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-web.cmake
#
# (scripts/web does this). libpng and zlib, built to WebAssembly by scripts/gp2x-libs --web, are
# looked for in build/web-libs (TARVO_WEB_LIBS overrides that). emscripten's optimizer needs
# NODE_PATH=/usr/share/nodejs in the environment of the build.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(TARVO_WEB ON)

get_filename_component(tarvo_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(TARVO_WEB_LIBS "${tarvo_source_dir}/build/web-libs" CACHE PATH
    "Where scripts/gp2x-libs --web installed libpng and zlib for WebAssembly")
list(PREPEND CMAKE_FIND_ROOT_PATH ${TARVO_WEB_LIBS})
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
