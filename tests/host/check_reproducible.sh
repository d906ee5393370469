#!/usr/bin/env bash
# Builds the release (the setup program and the distribution zip) twice,
# from scratch, in two different folders and compares the bytes: no time
# stamp, build path or file order may leak into them.
# Usage: check_reproducible.sh SOURCE_DIR WORK_DIR
set -u
source_dir="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-1767225600}"

build() {
    local dir="$work/$1"
    cmake -S "$source_dir" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -Wno-dev >"$dir.log" 2>&1 &&
        cmake --build "$dir" --target dist -j "$(nproc)" >>"$dir.log" 2>&1 || {
        echo "FAIL: build $1 failed:"; tail -20 "$dir.log"; exit 1; }
}
build first
# Let the clock move on, so that any time stamp would differ.
sleep 2
build second

failures=0
for file in Ravenlook_inst.exe dist/Ravenlook-1.3-setup-1.5.zip; do
    if cmp -s "$work/first/$file" "$work/second/$file"; then
        echo "ok: $file identical ($(stat -c %s "$work/first/$file") bytes)"
    else
        echo "FAIL: $file differs between the two builds"
        failures=$((failures + 1))
    fi
done
names=$(python3 -c 'import sys, zipfile; print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()[:3]))' \
    "$work/first/dist/Ravenlook-1.3-setup-1.5.zip")
[ "$names" = "Ravenlook-1.3/ Ravenlook-1.3/LICENSE.txt Ravenlook-1.3/README.html" ] \
    || { echo "FAIL: the zip does not start with the licence and the help page: $names"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && rm -rf "$work"
exit "$failures"
