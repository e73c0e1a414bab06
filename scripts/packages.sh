# Debian packages the project needs; sourced by scripts/run and scripts/test.

# To build and run the launcher on a computer.
TARVO_RUN_PACKAGES="cmake ninja-build g++ pkg-config libpng-dev zlib1g-dev libsdl2-dev
  libfreetype-dev fonts-liberation"

# To build and run every test on the computer: the above, GoogleTest, Google Benchmark, Xvfb for
# the desktop window, the reference libraries the graphics benchmarks compare with, Python for
# the demo card's checks and the case runner, and clang-format for the layout check. The GP2X
# build's tests need TARVO_GP2X_PACKAGES besides.
TARVO_TEST_PACKAGES="$TARVO_RUN_PACKAGES googletest libgtest-dev libbenchmark-dev
  xvfb xauth libpixman-1-dev libspng-dev valgrind python3 clang-format"

# To build and run the fuzz harnesses (scripts/fuzz): clang with libFuzzer and the sanitizers.
TARVO_FUZZ_PACKAGES="$TARVO_RUN_PACKAGES clang libclang-rt-14-dev"

# To build for the GP2X itself (cmake/toolchain-gp2x.cmake): the bare-metal ARM compilers with
# newlib, qemu to run the ARMv4T tests, and npm, which scripts/gp2x-libs fetches the sources of
# libpng and zlib with. A Node.js installed from elsewhere brings its own npm and conflicts with
# Debian's: Debian's npm is wanted only where no npm command exists.
TARVO_GP2X_PACKAGES="gcc-arm-none-eabi libnewlib-arm-none-eabi libstdc++-arm-none-eabi-newlib
  binutils-arm-none-eabi qemu-user"
command -v npm >/dev/null || TARVO_GP2X_PACKAGES="$TARVO_GP2X_PACKAGES npm"

# tarvo_ensure_packages PACKAGE...: installs what is missing when run as root (without
# questions: CI has no terminal); otherwise prints the apt-get line to run and fails.
tarvo_ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# To build and test the studio in the browser (scripts/web, the test stage web): emscripten
# (which brings its clang and binaryen), Node.js's npm for the page's packages, and chromium,
# driven headless by the tests.
TARVO_WEB_PACKAGES="emscripten chromium python3"
command -v npm >/dev/null || TARVO_WEB_PACKAGES="$TARVO_WEB_PACKAGES npm"
