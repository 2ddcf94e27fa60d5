#!/bin/bash
# Installs what the tests need, then builds and runs the whole suite:
# 1. the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# 2. the window tests under ThreadSanitizer (a real window on Xvfb),
# 3. the Release build with every test, whose CTest summary ends the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
installMissing "${buildPackages[@]}" googletest libgtest-dev xvfb xauth xdotool x11-utils imagemagick openbox \
    python3 python3-xlib wmctrl
jobs=$(nproc)

echo "== unit tests under ASan and UBSan"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANEL_WINDOW=OFF \
    -DORVANEL_SANITIZE=address,undefined >/dev/null
cmake --build "$root/build-asan" -j "$jobs"
ctest --test-dir "$root/build-asan" -j "$jobs" --output-on-failure

echo "== window tests under TSan"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANEL_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" -j "$jobs"
ctest --test-dir "$root/build-tsan" -L window --output-on-failure

echo "== the whole suite, Release"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j "$jobs"
ctest --test-dir "$root/build" -j "$jobs" --output-on-failure
