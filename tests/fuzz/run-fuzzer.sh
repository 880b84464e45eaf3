#!/usr/bin/env bash
# Runs one fuzz target for a bounded time:
#   run-fuzzer.sh FUZZER SEED_DIR ARTIFACT_DIR [EXTRA_SEED_FILE...] -- [libFuzzer options]
# The inputs the fuzzer finds go to a scratch folder removed at the end, so the seed corpus in the
# repository stays as committed; a crashing input is kept in ARTIFACT_DIR.
set -euo pipefail

fuzzer=$1
seeds=$2
artifacts=$3
shift 3
extra=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    extra+=("$1")
    shift
done
[ $# -gt 0 ] && shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$artifacts"
if [ ${#extra[@]} -gt 0 ]; then
    cp "${extra[@]}" "$work/corpus/"
fi

name=$(basename "$fuzzer")
# The first folder takes what the fuzzer adds; the seed folder is only read.
"$fuzzer" "$@" -artifact_prefix="$artifacts/$name-" "$work/corpus" "$seeds"
