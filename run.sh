#!/usr/bin/env bash
# Installs what is missing, builds Trackmill and starts it. When the Discs
# folder beside the program holds no disc image, a demo disc is put there.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACKMILL_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
bin="$build/bin"
if ! compgen -G "$bin/Discs/*.cue" >/dev/null && ! compgen -G "$bin/Discs/*.CUE" >/dev/null; then
  "$bin/mkdiscimage" --demo "$bin/Discs/Demo Disc"
fi
exec "$bin/trackmill"
