#!/usr/bin/env bash
# Makes the listing benchmark's folders: files-1000, files-10000 and files-30000 below FOLDER,
# empty files with names of mixed case. Folders that are there already are left alone.
set -euo pipefail
base=${1:?usage: bench-files.sh FOLDER}
for count in 1000 10000 30000; do
    folder=$base/files-$count
    [ -d "$folder" ] && continue
    mkdir -p "$folder.part"
    (cd "$folder.part" && seq 0 $((count - 1)) |
        awk '{ printf "%s%05d_%s.txt\n", ($1 % 3 == 0) ? "Report" : "data", ($1 * 7919) % 100000, ($1 % 2 == 0) ? "final" : "v" }' |
        xargs touch)
    mv "$folder.part" "$folder"
done
