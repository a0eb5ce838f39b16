#!/usr/bin/env bash
# Installs what is missing, builds the console program optimised and without
# sanitizers (the release preset, in build-release/; only the console and
# what it loads at run time: the libraries, the string libraries in
# build-release/lang/, the branding library in build-release/common/ and the
# sample database), and starts it on the user's working copy of the sample
# database, passing on any arguments. Without a display it renders each page
# to a PNG file and prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset release >/dev/null
if [ ! -x build-release/bin/qm6console ]; then
    echo "run: building the console (the first time takes a few minutes)"
fi
cmake --build --preset release --target qm6console

exec build-release/bin/qm6console "$@"
