# shellcheck shell=bash
# Sourced by the wine-*.sh scripts: the environment every Wine run of the tests shares.
# Usage: . scripts/wine-env.sh BUILD_DIR   (BUILD_DIR is the windows build folder, e.g. build/windows)

selvane_build=$(cd "${1:?wine-env.sh needs the build folder}" && pwd)

# A private 32-bit prefix inside the build folder; nothing is read from or written to ~/.wine.
export WINEPREFIX=$selvane_build/wine
export WINEARCH=win32
export WINEDEBUG=-all

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
