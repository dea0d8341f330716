#!/bin/sh
# qa_generate_repository prints its usage for --help and for any argument it
# cannot read, and then writes nothing at all.
# usage: usage_test.sh TOOL SCRATCH_FOLDER
set -u
tool=$1
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch" || exit 1

out=$("$tool" --help 2>&1)
rc=$?
[ $rc -eq 0 ] || { echo "FAIL: --help exited with $rc"; exit 1; }
case $out in *usage:*) ;; *) echo "FAIL: --help printed no usage: $out"; exit 1 ;; esac

for args in "" "--bogus" "-x out" "out --verbose" "out 12x" "out 0" "out 10 20" "out --models=k" "out --seed=-1"; do
    # shellcheck disable=SC2086
    "$tool" $args >/dev/null 2>err.txt
    rc=$?
    [ $rc -eq 2 ] || { echo "FAIL: '$args' exited with $rc"; exit 1; }
    grep -q "usage:" err.txt || { echo "FAIL: '$args' printed no usage"; exit 1; }
done
rm -f err.txt
left=$(ls -A)
[ -z "$left" ] || { echo "FAIL: files were written: $left"; exit 1; }
echo "usage shown, nothing written"
