#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit programs. Some kernels refuse every one (certain virtual
# machines run 64-bit programs only), Wine's 32-bit loader with them: there nothing of the 32-bit
# build can run, and what needs it is skipped, saying so.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    exit 0
fi
echo "SKIPPED: this machine runs no 32-bit programs (Wine's 32-bit loader does not start)"
exit 1
