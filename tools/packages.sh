# Sourced by play.sh and test.sh: installs the Debian packages named in
# "$@" that are missing, with sudo when not root.
installMissing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the game needs (scdoc makes the manual pages).
buildPackages=(cmake ninja-build g++ libsdl2-dev libpng-dev scdoc)

# What making and checking the Debian package needs beyond the build:
# dpkg-shlibdeps and dpkg-buildflags (dpkg-dev), file (cpack finds the
# programs with it) and lintian.
packagingPackages=(dpkg-dev file lintian)
