#!/usr/bin/env bash
# Makes the listing benchmark's folders below FOLDER: files-1000, files-10000 and files-30000,
# empty files with names of mixed case; hyphens-10000, every other name hyphenated
# (data-00001_v.txt, data00000_final.txt); and files-1000000, a million empty files. Folders
# that are there already are left alone.
set -euo pipefail
base=${1:?usage: bench-files.sh FOLDER}

# make_folder NAME: the folder NAME of empty files named by the lines of the standard input,
# which is read to its end also when the folder is there already.
make_folder() {
    local folder=$base/$1
    if [ -d "$folder" ]; then
        cat >/dev/null
        return
    fi
    mkdir -p "$folder.part"
    (cd "$folder.part" && xargs touch)
    mv "$folder.part" "$folder"
}

for count in 1000 10000 30000; do
    seq 0 $((count - 1)) |
        awk '{ printf "%s%05d_%s.txt\n", ($1 % 3 == 0) ? "Report" : "data", ($1 * 7919) % 100000, ($1 % 2 == 0) ? "final" : "v" }' |
        make_folder files-$count
done
seq -f "file%07g.txt" 0 999999 | make_folder files-1000000
seq 0 9999 | awk '{ printf(($1 % 2 == 0) ? "data%05d_final.txt\n" : "data-%05d_v.txt\n", $1) }' | make_folder hyphens-10000
