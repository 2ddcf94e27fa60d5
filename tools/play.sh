#!/bin/bash
# Installs what the build needs, builds a Release game (in build-play, so the
# test builds' settings are never touched) and starts it in the folder of the
# bundled pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
installMissing "${buildPackages[@]}"
cmake -S "$root" -B "$root/build-play" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF >/dev/null
cmake --build "$root/build-play" --target orvanel
cd "$root/pictures"
exec "$root/build-play/game/orvanel"
