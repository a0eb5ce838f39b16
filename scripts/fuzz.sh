#!/usr/bin/env bash
# Builds the libFuzzer targets with the fuzz preset (clang, ASan, UBSan, into
# build-fuzz/) and runs every build-fuzz/bin/fuzz_* for a number of seconds
# each. Fails when any target finds a crash, a sanitizer report or a leak;
# the input that did it is kept in build-fuzz/fuzz-artifacts/<target>/.
#
#   scripts/fuzz.sh [seconds per target, default 60]
#
# Each target grows its own corpus in build-fuzz/fuzz-corpus/<target>/ and
# starts from the seeds the build leaves in build-fuzz/fuzz-seeds/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: $0 [seconds per target]" >&2
    exit 2
fi

cmake --preset fuzz
cmake --build --preset fuzz --target qm6_fuzzers
# The sanitizers' settings (suppressions, options) the tests use too.
. build-fuzz/sanitizer-env.sh

shopt -s nullglob
targets=()
for target in build-fuzz/bin/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] && targets+=("$target")
done
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets in build-fuzz/bin" >&2
    exit 1
fi

failed=()
for target in "${targets[@]}"; do
    name=$(basename "$target")
    corpus="build-fuzz/fuzz-corpus/$name"
    artifacts="build-fuzz/fuzz-artifacts/$name"
    seeds="build-fuzz/fuzz-seeds/$name"
    mkdir -p "$corpus" "$artifacts"
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    echo "== $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -artifact_prefix="$artifacts/" \
        -print_final_stats=1 "${dirs[@]}"; then
        echo "== $name FAILED; the failing input is in $artifacts/" >&2
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets that failed: ${failed[*]}" >&2
    exit 1
fi
echo "all ${#targets[@]} fuzz targets ran ${seconds}s without a failure"
