#!/usr/bin/env bash
# Sets up the machine, builds everything with ASan and UBSan (warnings as
# errors), runs each benchmark once briefly and each fuzz target for its time
# budget, and ends with the whole test suite under CTest, whose summary is the
# last thing printed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset default
cmake --build --preset default

# The sanitizers' settings (suppressions, options) for the benchmark runs;
# CTest sets the same on every test.
. build/sanitizer-env.sh

# Benchmarks: one short run each, so that they keep building and running; the
# store's benchmark compares a PostgreSQL server of its own with a file.
bench_server=/tmp/qm6pg-bench-$$
bash scripts/test-server.sh start "$bench_server"
trap 'bash scripts/test-server.sh stop "$bench_server"' EXIT
export QM6_BENCH_SERVER="host=$bench_server user=qm6 dbname=qm6_template"
for b in build/bin/bench_*; do
    [ -x "$b" ] || continue
    echo "== $b"
    "$b" --benchmark_min_time=0.01
done
bash scripts/test-server.sh stop "$bench_server"
trap - EXIT
unset QM6_BENCH_SERVER

# Fuzz targets (clang, libFuzzer): QM6_FUZZ_SECONDS each, 60 unless set.
if [ -f scripts/fuzz.sh ]; then
    bash scripts/fuzz.sh "${QM6_FUZZ_SECONDS:-60}"
fi

ctest --preset default
