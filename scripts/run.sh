#!/usr/bin/env bash
# Installs what is missing, builds the console program (the default preset,
# the same build/ folder the test command uses), and starts it on the user's
# working copy of the sample database, passing on any arguments. Without a
# display it renders each page to a PNG file and prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset default >/dev/null
cmake --build --preset default --target qm6console

exec build/bin/qm6console "$@"
