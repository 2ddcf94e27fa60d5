#!/bin/bash
# Builds the Debian package orvanel_VERSION_ARCH.deb into the top folder:
# 1. installs what building and checking it needs,
# 2. a Release build of the shipped programs with Debian's hardening flags
#    and the install prefix /usr, in build-package/,
# 3. cpack -G DEB,
# 4. lintian, which must find no error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
installMissing "${buildPackages[@]}" "${packagingPackages[@]}"
build="$root/build-package"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --fresh -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANEL_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)"

rm -f "$build"/orvanel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(cd "$build" && ls orvanel_*.deb)
mv "$build/$package" "$root/$package"

echo "== lintian $package"
lintian --fail-on error --display-info "$root/$package"
echo "$root/$package"
