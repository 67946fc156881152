#!/usr/bin/env bash
# Builds the README's C++ sample (docs/sample/selvane_host.cpp) with the README's own commands,
# as a reader copies them, for the bitness of BUILD_DIR, and runs it under Wine in that build's
# prefix: it must host the control and report the folder it was given.
# Usage: readme_sample.sh BUILD_DIR   (inside scripts/wine-session.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
commands=$(awk '/<!-- sample build -->/ { found = 1; next }
                found && /^```sh/ { inside = 1; next }
                inside && /^```/ { exit }
                inside { print }' "$root/README.md")
[ -n "$commands" ] || { echo "FAIL: README.md has no sample build commands"; exit 1; }
bits=32
if [ "$(cat "$build/wine-arch")" = win64 ]; then
    # The README's second settings line, for 64-bit programs, instead of its first.
    bits=64
    commands=$(echo "$commands" | sed -e 's/^arch=i686 /# &/' -e 's/^# \(arch=x86_64 \)/\1/')
fi
echo "$commands"
if ! (cd "$root" && bash -euc "$commands"); then
    echo "FAIL: the README's commands did not build the sample"
    exit 1
fi
program=$root/build/sample$bits/selvane_host.exe
[ -f "$program" ] || { echo "FAIL: no $program"; exit 1; }
"$root/scripts/wine-run.sh" "$build" "$program" 'D:\docs' --check 2>/dev/null | tr -d '\r'

# The same program built against the header of type library 4.0, as a program built for release
# 1.2.0 was, hosts this control alike: _Selvane stands in the library exactly as 4.0 published it
# (its text's checksum), and the library without what 4.1 added is the published one.
old=$root/build/sample$bits-4.0
mkdir -p "$old"
python3 - "$root/control/com/selvane.idl" "$old/selvane.idl" <<'PY' || { echo "FAIL: no published _Selvane in the library"; exit 1; }
import hashlib, re, sys
text = open(sys.argv[1]).read()
start = text.index('    [\n        object,\n        uuid(52BDF8D2')
end = text.index('    };\n', start) + len('    };\n')
if hashlib.sha256(text[start:end].encode()).hexdigest() != '6e45bbea5a88b43dfbfaa73e50eca1689b34be3f4231886378e6dab3c962f7a4':
    sys.exit('_Selvane is not as 4.0 published it')
text = re.sub(r'    // Added in 4\.1.*?\n    };\n\n', '', text, flags=re.S)
text = text.replace('version(4.1)', 'version(4.0)').replace('[default] interface _Selvane2;', '[default] interface _Selvane;')
open(sys.argv[2], 'w').write(text)
PY
commands=$(echo "$commands" | sed -e "s|build/sample\$bits|$old|g" -e "s|control/com/selvane.idl|$old/selvane.idl|")
(cd "$root" && bash -euc "$commands") || { echo "FAIL: the sample didn't build against 4.0's header"; exit 1; }
got=$("$root/scripts/wine-run.sh" "$build" "$old/selvane_host.exe" 'D:\docs' --check 2>/dev/null | tr -d '\r')
echo "built against 4.0's header: $got"
[[ "$got" == *"selvane_host: Path D:\docs, FileType *.*"* ]] || echo "FAIL: the sample built against 4.0's header"
