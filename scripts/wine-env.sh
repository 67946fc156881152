# shellcheck shell=bash
# Sourced by the wine-*.sh scripts: the environment every Wine run of the tests shares.
# Usage: . scripts/wine-env.sh BUILD_DIR   (BUILD_DIR is the windows build folder, e.g. build/windows)

selvane_build=$(cd "${1:?wine-env.sh needs the build folder}" && pwd)

# A private prefix inside the build folder; nothing is read from or written to ~/.wine. A 64-bit
# build (its folder holds the word win64 in wine-arch, written by CMake) gets a 64-bit prefix,
# which also runs 32-bit programs; any other gets a 32-bit one.
export WINEPREFIX=$selvane_build/wine
WINEARCH=$(cat "$selvane_build/wine-arch" 2>/dev/null || echo win32)
export WINEARCH
# The loader of the prefix's own bitness. Given a program by name (cscript, regsvr32, reg),
# Debian's `wine` starts the 32-bit one even in a 64-bit prefix; either loader hands a program
# file of the other bitness on to the other loader.
selvane_wine=wine
# shellcheck disable=SC2034  # used by the scripts that source this one
[ "$WINEARCH" = win64 ] && selvane_wine=/usr/lib/wine/wine64
# A caller may ask for channels (WINEDEBUG=warn+seh shows the control's trace lines).
export WINEDEBUG=${WINEDEBUG:--all}

# Wine derives its locale from the Unix one. C.UTF-8 exists on every Debian 12 machine and
# gives English (US), LCID 0x409, code page 1252, with UTF-8 file names. A LANG naming a
# locale that isn't generated (en_US.UTF-8 on a bare machine) also gives 0x409, but makes
# Wine's Unix code page ASCII, which garbles every non-ASCII file name. LC_ALL overrides
# LANG and every LC_* variable.
unset LANG LANGUAGE
export LC_ALL=C.UTF-8
# File times shown by the tests are then the fixture's UTC times.
export TZ=UTC

# Where tests may write screenshots and other things to look at after a run.
export SELVANE_ARTIFACTS=${SELVANE_ARTIFACTS:-$selvane_build/artifacts}
mkdir -p "$SELVANE_ARTIFACTS"

# For wineboot only: keeps the Mono and Gecko installers (which would wait for a click on a
# display nobody watches) from starting when a prefix is created or updated.
# shellcheck disable=SC2034  # used by the scripts that source this one
selvane_wineboot_overrides="mscoree,mshtml="
