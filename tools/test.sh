#!/bin/bash
# Installs what the tests need, then builds and runs the whole suite:
# 0. the house style: clang-format changes nothing,
# 1. the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# 2. the window tests under ThreadSanitizer (a real window on Xvfb),
# 3. a 60-second fuzz run of the picture reader (clang, libFuzzer),
# 4. the Debian package: built and checked by lintian (tools/package.sh),
#    installed, played from its menu entry and a terminal, and removed
#    (as root),
# 5. the Release build with every test and the benchmarks built, whose CTest
#    summary ends the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
installMissing "${buildPackages[@]}" "${packagingPackages[@]}" googletest libgtest-dev xvfb xauth xdotool x11-utils \
    imagemagick openbox python3 python3-xlib wmctrl clang clang-format libclang-rt-14-dev libbenchmark-dev libstb-dev \
    pkg-config git desktop-file-utils appstream man-db shellcheck
jobs=$(nproc)
cd "$root"

echo "== the house style"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== unit tests under ASan and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

echo "== window tests under TSan"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target window_check orvanel orvanel-pictures
ctest --preset tsan

echo "== fuzzing the picture reader for 60 s"
"$root/fuzz/run" 60

echo "== the Debian package: built, installed, played and removed"
"$root/tools/package.sh"
package=$(ls -t "$root"/orvanel_*.deb | head -n 1)
asRoot=()
[ "$(id -u)" -eq 0 ] || asRoot=(sudo)
"${asRoot[@]}" /usr/bin/python3 "$root/tests/package/package_test.py" "$package"

echo "== the whole suite, Release"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs"
