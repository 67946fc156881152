#!/usr/bin/env bash
# Installs what building and testing Selvane needs and this machine lacks (Debian 12, as root).
set -euo pipefail

packages=(cmake ninja-build g++ make googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 libwine-dev mingw-w64-tools
          xvfb xauth x11-apps imagemagick python3-pil
          wixl msitools osslsigncode openssl unzip
          fuse3 python3-fusepy)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture"
    dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
# Another package manager's run is waited for (up to ten minutes), not failed on.
wait_lock=(-o DPkg::Lock::Timeout=600)
apt-get "${wait_lock[@]}" update -qq
apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
