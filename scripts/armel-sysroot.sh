#!/usr/bin/env bash
# Unpacks Debian's armel libpng and zlib into a folder for the ARM build to link against.
# apt-get refuses to install them next to the host's own, so their .deb files are downloaded and
# unpacked with dpkg -x.   Usage: scripts/armel-sysroot.sh SYSROOT
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
sysroot=${1:?usage: scripts/armel-sysroot.sh SYSROOT}

if [ -f "$sysroot/.complete" ]; then
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx armel; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "The armel architecture is not enabled. Run as root:" >&2
    echo "  dpkg --add-architecture armel && apt-get update" >&2
    exit 1
  fi
  dpkg --add-architecture armel
  apt-get update -q >/dev/null
fi

debs="$sysroot.debs"
rm -rf "$sysroot" "$debs"
mkdir -p "$sysroot" "$debs"
# shellcheck disable=SC2086
if ! (cd "$debs" && apt-get download -q -o APT::Sandbox::User=root $TARVO_ARMEL_DEBS >/dev/null); then
  # The package lists may predate the armel architecture or be stale.
  if [ "$(id -u)" -eq 0 ]; then apt-get update -q >/dev/null; fi
  # shellcheck disable=SC2086
  (cd "$debs" && apt-get download -q -o APT::Sandbox::User=root $TARVO_ARMEL_DEBS >/dev/null)
fi
for deb in "$debs"/*.deb; do
  dpkg -x "$deb" "$sysroot"
done
# The ARM programs are linked statically: leave the linker no shared library to prefer.
rm -f "$sysroot"/usr/lib/arm-linux-gnueabi/*.so "$sysroot"/usr/lib/arm-linux-gnueabi/*.so.*
rm -f "$sysroot"/lib/arm-linux-gnueabi/*.so "$sysroot"/lib/arm-linux-gnueabi/*.so.*
touch "$sysroot/.complete"
