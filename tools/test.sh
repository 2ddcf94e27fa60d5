#!/bin/bash
# Installs what the tests need, then builds and runs the whole suite:
# 1. the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# 2. the window tests under ThreadSanitizer (a real window on Xvfb),
# 3. a 60-second fuzz run of the picture reader (clang, libFuzzer),
# 4. the Release build with every test and the benchmarks built, whose CTest
#    summary ends the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
installMissing "${buildPackages[@]}" googletest libgtest-dev xvfb xauth xdotool x11-utils imagemagick openbox \
    python3 python3-xlib wmctrl clang libclang-rt-14-dev libbenchmark-dev libstb-dev pkg-config
jobs=$(nproc)

echo "== unit tests under ASan and UBSan"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANEL_WINDOW=OFF \
    -DORVANEL_SANITIZE=address,undefined >/dev/null
cmake --build "$root/build-asan" -j "$jobs"
ctest --test-dir "$root/build-asan" -j "$jobs" --output-on-failure

echo "== window tests under TSan"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANEL_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" -j "$jobs" --target window_check orvanel orvanel-pictures
ctest --test-dir "$root/build-tsan" -L window --output-on-failure

echo "== fuzzing the picture reader for 60 s"
"$root/fuzz/run" 60

echo "== the whole suite, Release"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANEL_BENCH=ON >/dev/null
cmake --build "$root/build" -j "$jobs"
ctest --test-dir "$root/build" -j "$jobs" --output-on-failure
